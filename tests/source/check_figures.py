#!/usr/bin/env python3
"""The figures docs/ and README.md state that a command can compute, computed again.

Each figure below names the pages that state it, a pattern that finds the stated value
on a line, and how to compute it. The check reads every line of those pages, and fails
on a stated value that is not the computed one (naming the page, the line, the stated
and the computed value), and on a figure that no page states any more (the pattern is
then out of date: mend the page or the pattern here). Every make target of the Makefile
must also be a row of the make-target table in docs/architecture.md, and every row a
target.

A figure that needs a built file is checked only when that file is given:
  check_figures.py ROOT [--dll DLL] [--integration PROGRAM] [--print] [--all]
    --dll          dist/quillon.dll (its size, its imports and exports)
    --integration  the native integration test program (its number of tests)
    --print        print every figure computed, checked or not
    --all          fail unless every figure is computed (make figures)
A file given that is not there (not built yet) leaves its figures unchecked, and the
check names them.
"""

import argparse
import os
import re
import struct
import subprocess
import sys

WORDS = {"one": 1, "two": 2, "three": 3, "four": 4, "five": 5, "six": 6, "seven": 7,
         "eight": 8, "nine": 9, "ten": 10, "eleven": 11, "twelve": 12}


def number(text):
    text = text.strip().lower()
    if text in WORDS:
        return WORDS[text]
    return int(text.replace(",", ""))


def read(root, path):
    with open(os.path.join(root, path), encoding="utf-8") as source:
        return source.read()


# --- what the figures are computed from -------------------------------------------

def pe_tables(path):
    """(exports, imports) of a PE32 image: the exported names, the imported DLL!name."""
    with open(path, "rb") as image:
        data = image.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError(path + " is no PE image")
    sections_count = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    if struct.unpack_from("<H", data, optional)[0] != 0x10B:
        raise ValueError(path + " is no PE32 image")
    directories = optional + 96
    sections = []
    for index in range(sections_count):
        at = optional + optional_size + 40 * index
        size, address, raw_size, raw = struct.unpack_from("<IIII", data, at + 8)
        sections.append((address, max(size, raw_size), raw))

    def offset(rva):
        for address, size, raw in sections:
            if address <= rva < address + size:
                return rva - address + raw
        raise ValueError("address 0x%x is in no section" % rva)

    def text_at(rva):
        start = offset(rva)
        return data[start:data.index(b"\0", start)].decode("ascii")

    exports = []
    export_rva = struct.unpack_from("<I", data, directories)[0]
    if export_rva:
        at = offset(export_rva)
        names_count, _, names_rva = struct.unpack_from("<III", data, at + 24)
        for index in range(names_count):
            exports.append(text_at(struct.unpack_from("<I", data, offset(names_rva) + 4 * index)[0]))
    imports = []
    import_rva = struct.unpack_from("<I", data, directories + 8)[0]
    at = offset(import_rva) if import_rva else None
    while at is not None:
        lookup, _, _, name_rva, thunks = struct.unpack_from("<IIIII", data, at)
        if name_rva == 0:
            break
        dll = text_at(name_rva).upper()
        entry = offset(lookup or thunks)
        while True:
            value = struct.unpack_from("<I", data, entry)[0]
            if value == 0:
                break
            imports.append(dll + "!" + (("#%d" % (value & 0xFFFF)) if value & 0x80000000
                                        else text_at(value + 2)))
            entry += 4
        at += 20
    return exports, imports


def gtest_count(program):
    listing = subprocess.run([program, "--gtest_list_tests"], check=True,
                             capture_output=True, text=True).stdout
    return sum(1 for line in listing.splitlines() if line.startswith("  "))


def equivalent_count(root):
    return sum(1 for line in read(root, "scripts/mutate-equivalent.txt").splitlines()
               if line.strip() and not line.lstrip().startswith("#"))


def extension_counts(root):
    text = read(root, "host/extension_names.h")
    functions = int(re.search(r"Extension_Function_Count\s*=\s*(\d+)", text).group(1))
    table = text[text.index("Extension_Functions[Extension_Function_Count]"):]
    table = table[:table.index("};")]
    entries = re.findall(r'\{"\w+",\s*(\d+)\}', table)
    if len(entries) != functions:
        raise ValueError("Extension_Functions holds %d entries, not %d" % (len(entries), functions))
    return functions, sum(1 for slot in entries if int(slot) != 0)


def thread_states(root):
    text = read(root, "standin/platform/fpu_control.h")
    table = text[text.index("Host_Thread_States[]"):]
    return re.findall(r'^\s*\{"([\w-]+)"', table[:table.index("};")], re.M)


def differential_states(root):
    text = read(root, "tests/differential/run_differential.sh")
    return re.search(r'^fpu_states="([^"]*)"', text, re.M).group(1).split()


def source_check_count(root):
    """The CTest tests of tests/source/ that the plain native build (make lint) runs."""
    text = read(root, "tests/source/CMakeLists.txt")
    block = text[text.index("if(NOT QUILLON_SANITIZE)"):]
    return len(re.findall(r"\badd_test\(NAME", block[:block.index("endif()")]))


def make_targets(root):
    text = read(root, "Makefile")
    phony = re.search(r"^\.PHONY:((?:.*\\\n)*.*)$", text, re.M).group(1)
    return set(phony.replace("\\\n", " ").split())


# --- the figures ---------------------------------------------------------------------

def figures(root, arguments):
    """(name, pages, pattern, value or None when its input is not given)."""
    dll = pe_tables(arguments.dll) if arguments.dll else None
    functions, replaced = extension_counts(root)
    states, differential = thread_states(root), differential_states(root)
    word = r"(?P<n>[\d,]+|one|two|three|four|five|six|seven|eight|nine|ten|eleven|twelve)"
    return [
        ("the DLL's size in bytes", ["docs/floating-point.md"],
         r"an operator gets is (?P<n>[\d,]+) bytes",
         os.path.getsize(arguments.dll) if arguments.dll else None),
        ("the DLL's imported functions", ["README.md", "docs/floating-point.md"],
         r"imports (?:exactly )?" + word + r" functions", len(dll[1]) if dll else None),
        ("the DLL's imported functions", ["docs/testing.md"],
         r"exactly " + word + r" imports", len(dll[1]) if dll else None),
        ("the DLL's exports", ["docs/testing.md"], r"exactly the " + word + r" exports",
         len(dll[0]) if dll else None),
        ("integration tests", ["docs/testing.md"],
         r"all (?P<n>[\d,]+) integration tests",
         gtest_count(arguments.integration) if arguments.integration else None),
        ("mutants on the equivalent list", ["docs/testing.md"],
         r"(?P<n>[\d,]+) mutants are on the equivalent list", equivalent_count(root)),
        ("extension functions looked up", ["docs/architecture.md"],
         r"the (?P<n>\d+) extension functions", functions),
        ("table slots the extension functions replace", ["docs/architecture.md"],
         r"the (?P<n>\d+) table slots they replace", replaced),
        ("host thread states", ["docs/testing.md"],
         r"knows (?P<n>\d+) host thread states", len(states)),
        ("states the differential runs in", ["docs/testing.md"],
         r"differential runs in (?P<n>\d+) of them", len(differential)),
        ("source checks of make lint", ["docs/architecture.md"],
         r"`make lint` runs these " + word + r" alone", source_check_count(root)),
    ]


def check_target_table(root):
    """Every Makefile target is a row of the table under docs/architecture.md's
    '## Make targets', and every target a row names is one of the Makefile's."""
    failures = []
    lines = read(root, "docs/architecture.md").splitlines()
    start = next(i for i, line in enumerate(lines) if line.startswith("## Make targets"))
    rows = {}
    for index in range(start + 1, len(lines)):
        if lines[index].startswith("## "):
            break
        first_cell = lines[index].split("|")[1] if lines[index].startswith("|") else ""
        for target in re.findall(r"`make ([\w-]+)", first_cell):
            rows.setdefault(target, index + 1)
    targets = make_targets(root)
    for target in sorted(targets - set(rows)):
        failures.append("docs/architecture.md: the make-target table has no row for "
                        "`make %s` (Makefile .PHONY)" % target)
    for target in sorted(set(rows) - targets):
        failures.append("docs/architecture.md:%d: `make %s` is no target of the Makefile"
                        % (rows[target], target))
    return failures


def main():
    parser = argparse.ArgumentParser(usage=__doc__)
    parser.add_argument("root")
    parser.add_argument("--dll")
    parser.add_argument("--integration")
    parser.add_argument("--print", action="store_true")
    parser.add_argument("--all", action="store_true")
    arguments = parser.parse_args()
    for given in ("dll", "integration"):
        path = getattr(arguments, given)
        if path and not os.path.exists(path):
            print("not built yet: " + path)
            setattr(arguments, given, None)
    root = arguments.root
    failures, unchecked = check_target_table(root), []
    for name, pages, pattern, value in figures(root, arguments):
        stated_anywhere = False
        for page in pages:
            for number_of_line, line in enumerate(read(root, page).splitlines(), 1):
                for match in re.finditer(pattern, line):
                    stated_anywhere = True
                    stated = number(match.group("n"))
                    if value is not None and stated != value:
                        failures.append("%s:%d: %s: stated %s, computed %d"
                                        % (page, number_of_line, name, match.group("n"), value))
        if not stated_anywhere:
            failures.append("%s: no line states %s any more (pattern %r in "
                            "tests/source/check_figures.py)" % (", ".join(pages), name, pattern))
        if value is None:
            unchecked.append(name)
        if arguments.print:
            print("%-46s %s" % (name, "not computed (input not given)" if value is None
                                else value))
    for name in sorted(set(unchecked)):
        print("not checked here (its input was not given): " + name)
    if arguments.all and unchecked:
        failures.append("make figures computes every figure, and these were not: "
                        + ", ".join(sorted(set(unchecked))))
    for failure in failures:
        print("FAIL: " + failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
