#!/usr/bin/env python3
"""Packs a release: OUT/quillon-<version>-win32.zip and beside it its SHA-256 line.

The zip holds quillon.dll, quillon-check.exe (the operator's build check), the
operator's guide as README.txt, the CHANGELOG as
CHANGELOG.txt (both with Windows line endings, for Notepad) and SHA256SUMS, always in
that order. Its bytes depend only on the inputs: every entry carries the time of the
source commit (or SOURCE_DATE_EPOCH), the same permissions and no extra fields, so two
maintainers packing one commit publish the same file.

  make_release.py --source . --dll dist/quillon.dll --check-tool dist/quillon-check.exe \
    --out dist
"""

import argparse
import datetime
import hashlib
import os
import re
import subprocess
import sys
import tempfile
import zipfile

VERSION_PATTERN = re.compile(r"^[0-9]+(\.[0-9]+){1,3}$")
# A zip entry's time is a local date and time from 1980 on, kept to two seconds.
ZIP_EPOCH = datetime.datetime(1980, 1, 1, tzinfo=datetime.timezone.utc)


class ReleaseError(Exception):
    pass


def read_version(source):
    with open(os.path.join(source, "VERSION"), encoding="ascii") as f:
        version = f.readline().strip()
    if not VERSION_PATTERN.match(version):
        raise ReleaseError(f"VERSION holds '{version}', not a version such as 1.0")
    return version


def changelog_versions(text):
    """The versions the CHANGELOG has entries for, newest first: lines holding a version
    alone."""
    return [line.strip() for line in text.splitlines() if VERSION_PATTERN.match(line.strip())]


def release_time(source):
    """The commit's time, so the package says when its source was made, not when it was
    packed; SOURCE_DATE_EPOCH overrides it, and a tree without git gets the zip epoch."""
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if epoch is None:
        try:
            epoch = subprocess.run(
                ["git", "-C", source, "log", "-1", "--format=%ct"],
                check=True, capture_output=True, text=True).stdout.strip()
        except (OSError, subprocess.CalledProcessError):
            epoch = None
    if not epoch:
        return ZIP_EPOCH
    if not epoch.isdigit():
        raise ReleaseError(f"SOURCE_DATE_EPOCH is '{epoch}', not seconds since 1970")
    moment = datetime.datetime.fromtimestamp(int(epoch), tz=datetime.timezone.utc)
    return max(moment, ZIP_EPOCH)


def uncommitted_changes(source):
    """Whether the tree differs from its commit: then the package matches no commit,
    and nobody can rebuild it from a published one."""
    try:
        status = subprocess.run(["git", "-C", source, "status", "--porcelain"],
                                check=True, capture_output=True, text=True).stdout
    except (OSError, subprocess.CalledProcessError):
        return False
    return status.strip() != ""


def windows_text(text, name):
    """Text for Notepad: CRLF line endings, plain ASCII so no code page can garble it."""
    if "\r" in text:
        raise ReleaseError(f"{name} already holds carriage returns")
    try:
        text.encode("ascii")
    except UnicodeEncodeError as error:
        raise ReleaseError(f"{name} holds a character that is not ASCII: {error}") from None
    if not text.endswith("\n"):
        text += "\n"
    return text.replace("\n", "\r\n").encode("ascii")


def windows_module(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"MZ":
        raise ReleaseError(f"{path} is not a Windows module")
    return data


def package_files(source, dll_path, check_tool_path, version):
    """The package's entries, in the order they are written."""
    with open(os.path.join(source, "release", "operator-guide.txt"), encoding="utf-8") as f:
        guide = f.read().replace("@VERSION@", version)
    leftover = re.search(r"@[A-Z_]+@", guide)
    if leftover:
        raise ReleaseError(f"the operator's guide has no value for {leftover.group(0)}")
    with open(os.path.join(source, "CHANGELOG"), encoding="utf-8") as f:
        changelog = f.read()
    versions = changelog_versions(changelog)
    if not versions or versions[0] != version:
        newest = versions[0] if versions else "none"
        raise ReleaseError(
            f"CHANGELOG's newest entry is {newest}, not {version}: describe the release first")
    dll = windows_module(dll_path)
    check_tool = windows_module(check_tool_path)

    files = [
        ("quillon.dll", dll),
        ("quillon-check.exe", check_tool),
        ("README.txt", windows_text(guide, "the operator's guide")),
        ("CHANGELOG.txt", windows_text(changelog, "CHANGELOG")),
    ]
    # The format sha256sum -c reads: checksum, two spaces, name.
    sums = "".join(f"{hashlib.sha256(data).hexdigest()}  {name}\n" for name, data in files)
    files.append(("SHA256SUMS", sums.encode("ascii")))
    return files


def write_zip(path, files, moment):
    date_time = moment.timetuple()[:6]
    directory = os.path.dirname(path) or "."
    os.makedirs(directory, exist_ok=True)
    # Written beside the target and renamed, so a failed run leaves no half package.
    handle, temporary = tempfile.mkstemp(dir=directory, prefix=".quillon-release-")
    try:
        with os.fdopen(handle, "wb") as raw, zipfile.ZipFile(raw, "w") as archive:
            for name, data in files:
                entry = zipfile.ZipInfo(name, date_time)
                entry.create_system = 3  # Unix, so the permissions below mean what they say
                entry.external_attr = 0o100644 << 16  # a plain file, rw-r--r--
                entry.compress_type = zipfile.ZIP_DEFLATED
                archive.writestr(entry, data, compresslevel=9)
        umask = os.umask(0)
        os.umask(umask)
        os.chmod(temporary, 0o644 & ~umask)  # mkstemp made it private
        os.replace(temporary, path)
    except BaseException:
        os.unlink(temporary)
        raise


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--source", default=".", help="the source tree (VERSION, CHANGELOG)")
    parser.add_argument("--dll", required=True, help="the operator's quillon.dll")
    parser.add_argument("--check-tool", required=True,
                        help="the operator's quillon-check.exe")
    parser.add_argument("--out", required=True, help="folder the package is written to")
    options = parser.parse_args(argv)
    try:
        version = read_version(options.source)
        files = package_files(options.source, options.dll, options.check_tool, version)
        moment = release_time(options.source)
        name = f"quillon-{version}-win32.zip"
        path = os.path.join(options.out, name)
        write_zip(path, files, moment)
    except (ReleaseError, OSError) as error:
        print(f"make_release: {error}", file=sys.stderr)
        return 1
    if uncommitted_changes(options.source):
        print("make_release: warning: the source tree has uncommitted changes; publish only a "
              "package made from a clean checkout of a tagged commit", file=sys.stderr)
    with open(path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    with open(path + ".sha256", "w", encoding="ascii") as f:
        f.write(f"{digest}  {name}\n")
    print(f"{path}: {', '.join(entry for entry, _ in files)}; files dated {moment:%Y-%m-%d %H:%M} UTC")
    print(f"sha256 {digest}  {name}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
