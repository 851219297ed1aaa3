#!/usr/bin/env python3
"""Checks the DLL against the hardening a server or a security policy may ask of a module
before loading it:

  - the header flags: NO_SEH (the module has no exception handler, so no SafeSEH table
    is needed and none may be dispatched to), DYNAMIC_BASE (it may load at any address)
    and NX_COMPAT (its data never runs), with the base relocations that a move needs;
  - the sections: none both writable and executable, none writable and shared between
    processes, and the import table and the import address table in sections that do
    not execute;
  - that NO_SEH is the truth: no instruction addresses the FS segment, where a 32-bit
    thread keeps the head of its exception handler chain (registering a handler means
    writing fs:0), and no load configuration lists safe handlers.

The other checks of the DLL (exports, imports, no TLS directory, entry point, no
constructors) are check_dll_tables.sh's and check_no_runtime.sh's.

  check_hardening.py DLL [OBJDUMP]
"""
import os
import re
import struct
import subprocess
import sys

IMAGE_FILE_MACHINE_I386 = 0x014C
IMAGE_FILE_RELOCS_STRIPPED = 0x0001
IMAGE_FILE_DLL = 0x2000
PE32_MAGIC = 0x010B

DLL_CHARACTERISTICS = {
    "DYNAMIC_BASE": 0x0040,
    "NX_COMPAT": 0x0100,
    "NO_SEH": 0x0400,
}

IMAGE_SCN_MEM_SHARED = 0x10000000
IMAGE_SCN_MEM_EXECUTE = 0x20000000
IMAGE_SCN_MEM_WRITE = 0x80000000

DIRECTORY_IMPORT = 1
DIRECTORY_BASE_RELOCATION = 5
DIRECTORY_LOAD_CONFIG = 10
DIRECTORY_IMPORT_ADDRESS_TABLE = 12


class Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        (pe_offset,) = struct.unpack_from("<I", data, 0x3C)
        if data[pe_offset:pe_offset + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        coff = pe_offset + 4
        (self.machine, section_count, _, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, coff)
        optional = coff + 20
        (self.magic,) = struct.unpack_from("<H", data, optional)
        if self.magic != PE32_MAGIC:
            raise ValueError("not a PE32 image (optional header magic 0x%04X)" % self.magic)
        (self.dll_characteristics,) = struct.unpack_from("<H", data, optional + 70)
        (directory_count,) = struct.unpack_from("<I", data, optional + 92)
        self.directories = [
            struct.unpack_from("<II", data, optional + 96 + 8 * i) for i in range(directory_count)
        ]
        self.sections = []
        table = optional + optional_size
        for i in range(section_count):
            header = table + 40 * i
            name = data[header:header + 8].rstrip(b"\0").decode("ascii", "replace")
            virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from(
                "<IIII", data, header + 8)
            (flags,) = struct.unpack_from("<I", data, header + 36)
            self.sections.append({
                "name": name,
                "start": virtual_address,
                "end": virtual_address + max(virtual_size, raw_size),
                "raw_offset": raw_offset,
                "flags": flags,
            })

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def section_of(self, rva):
        for section in self.sections:
            if section["start"] <= rva < section["end"]:
                return section
        return None

    def read(self, rva, size):
        section = self.section_of(rva)
        if section is None:
            return None
        offset = section["raw_offset"] + rva - section["start"]
        return self.data[offset:offset + size]


def handler_findings(image, dll, objdump):
    """What shows an exception handler in the module: an instruction on the FS segment,
    or safe handlers listed in a load configuration."""
    findings = []
    listing = subprocess.run([objdump, "-d", "--no-show-raw-insn", dll], check=True,
                             capture_output=True, text=True).stdout
    for line in listing.splitlines():
        if re.match(r"^ *[0-9a-f]+:\t", line) and "%fs:" in line:
            findings.append("an instruction on the thread's exception handler chain (FS): " +
                            line.strip())
    rva, size = image.directory(DIRECTORY_LOAD_CONFIG)
    if size != 0:
        # IMAGE_LOAD_CONFIG_DIRECTORY32: SEHandlerTable and SEHandlerCount at 64 and 68.
        config = image.read(rva, 72)
        if config is None or len(config) < 72:
            findings.append("a load configuration outside the image's sections")
        else:
            table, count = struct.unpack_from("<II", config, 64)
            if table != 0 or count != 0:
                findings.append("a load configuration that lists %d safe exception handlers" %
                                count)
    return findings


def check(dll, objdump):
    with open(dll, "rb") as file:
        image = Image(file.read())
    failures = []
    if image.machine != IMAGE_FILE_MACHINE_I386 or not image.characteristics & IMAGE_FILE_DLL:
        failures.append("not an i386 DLL (machine 0x%04X, characteristics 0x%04X)" %
                        (image.machine, image.characteristics))

    for name, flag in DLL_CHARACTERISTICS.items():
        if not image.dll_characteristics & flag:
            failures.append("DllCharacteristics 0x%04X lacks %s" %
                            (image.dll_characteristics, name))
    relocations_rva, relocations_size = image.directory(DIRECTORY_BASE_RELOCATION)
    if image.characteristics & IMAGE_FILE_RELOCS_STRIPPED or relocations_size == 0:
        failures.append("no base relocations: the image cannot move")
    elif image.section_of(relocations_rva) is None:
        failures.append("the base relocations lie outside the image's sections")

    for section in image.sections:
        flags = section["flags"]
        if flags & IMAGE_SCN_MEM_WRITE and flags & IMAGE_SCN_MEM_EXECUTE:
            failures.append("section %s is writable and executable (0x%08X)" %
                            (section["name"], flags))
        if flags & IMAGE_SCN_MEM_WRITE and flags & IMAGE_SCN_MEM_SHARED:
            failures.append("section %s is writable and shared between processes (0x%08X)" %
                            (section["name"], flags))

    for index, what in ((DIRECTORY_IMPORT, "import table"),
                        (DIRECTORY_IMPORT_ADDRESS_TABLE, "import address table")):
        rva, size = image.directory(index)
        if size == 0:
            failures.append("no %s" % what)
            continue
        section = image.section_of(rva)
        if section is None:
            failures.append("the %s lies outside the image's sections" % what)
        elif section["flags"] & IMAGE_SCN_MEM_EXECUTE:
            failures.append("the %s lies in the executable section %s" % (what, section["name"]))

    failures += handler_findings(image, dll, objdump)
    return image, failures


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    dll = sys.argv[1]
    objdump = sys.argv[2] if len(sys.argv) == 3 else os.environ.get(
        "OBJDUMP", "i686-w64-mingw32-objdump")
    image, failures = check(dll, objdump)
    for failure in failures:
        print("FAIL: %s: %s" % (dll, failure), file=sys.stderr)
    if failures:
        return 1
    print("%s: DllCharacteristics 0x%04X (%s), relocatable, no W+X or writable shared "
          "section, imports in %s, no exception handler" %
          (os.path.basename(dll), image.dll_characteristics, " ".join(DLL_CHARACTERISTICS),
           image.section_of(image.directory(DIRECTORY_IMPORT)[0])["name"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
