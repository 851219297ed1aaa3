#!/usr/bin/env python3
"""The release package as an operator unpacks it, and as two maintainers pack it.

Runs scripts/make_release.py on the shipped DLL and build check and checks the zip: its name, its
entries and their order, their dates, Windows line endings, SHA256SUMS against the
contents; the same bytes when packed again elsewhere; and the refusals that keep a
wrong package from being made.

  check_package.py SOURCE_DIR SHIPPED_DLL SHIPPED_CHECK_TOOL
"""

import datetime
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

SOURCE = None
DLL = None
CHECK_TOOL = None
ENTRIES = ["quillon.dll", "quillon-check.exe", "README.txt", "CHANGELOG.txt", "SHA256SUMS"]
# 2025-03-04 05:06:08 UTC: an even second, which a zip entry can hold exactly.
SOME_COMMIT_TIME = 1741064768


def version_of(source):
    with open(os.path.join(source, "VERSION"), encoding="ascii") as f:
        return f.readline().strip()


def pack(source, out, epoch=SOME_COMMIT_TIME, dll=None, cwd=None, extra_env=None,
         check_tool=None):
    env = dict(os.environ)
    env.pop("SOURCE_DATE_EPOCH", None)
    if epoch is not None:
        env["SOURCE_DATE_EPOCH"] = str(epoch)
    env.update(extra_env or {})
    return subprocess.run(
        [sys.executable, os.path.join(SOURCE, "scripts", "make_release.py"),
         "--source", os.path.abspath(source), "--dll", os.path.abspath(dll or DLL),
         "--check-tool", os.path.abspath(check_tool or CHECK_TOOL),
         "--out", os.path.abspath(out)],
        capture_output=True, text=True, env=env, cwd=cwd or out)


def entry_time(epoch):
    return datetime.datetime.fromtimestamp(epoch, tz=datetime.timezone.utc).timetuple()[:6]


class Workspace(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="quillon-package-test.")
        self.addCleanup(shutil.rmtree, self.work)

    def folder(self, *parts):
        path = os.path.join(self.work, *parts)
        os.makedirs(path, exist_ok=True)
        return path

    def packed(self, **options):
        out = self.folder("out-%d" % len(os.listdir(self.work)))
        result = pack(SOURCE, out, **options)
        self.assertEqual(result.returncode, 0, result.stderr)
        return os.path.join(out, "quillon-%s-win32.zip" % version_of(SOURCE))

    def source_copy(self):
        """The files the script reads, in a folder of their own to change."""
        copy = self.folder("source")
        for name in ["VERSION", "CHANGELOG", os.path.join("release", "operator-guide.txt")]:
            os.makedirs(os.path.dirname(os.path.join(copy, name)), exist_ok=True)
            shutil.copy(os.path.join(SOURCE, name), os.path.join(copy, name))
        return copy


class PackageContents(Workspace):
    def setUp(self):
        super().setUp()
        self.zip_path = self.packed()
        self.archive = zipfile.ZipFile(self.zip_path)
        self.addCleanup(self.archive.close)

    def test_named_for_the_version_with_the_entries_in_a_fixed_order(self):
        self.assertEqual(os.path.basename(self.zip_path),
                         "quillon-%s-win32.zip" % version_of(SOURCE))
        self.assertEqual(self.archive.namelist(), ENTRIES)
        self.assertIsNone(self.archive.testzip())

    def test_every_entry_is_dated_at_the_commit_and_is_a_plain_file(self):
        for entry in self.archive.infolist():
            self.assertEqual(entry.date_time, entry_time(SOME_COMMIT_TIME), entry.filename)
            self.assertEqual(entry.external_attr >> 16, 0o100644, entry.filename)
            self.assertEqual(entry.extra, b"", entry.filename)

    def test_the_dll_is_the_shipped_one(self):
        with open(DLL, "rb") as f:
            self.assertEqual(self.archive.read("quillon.dll"), f.read())

    def test_the_build_check_is_the_shipped_one(self):
        with open(CHECK_TOOL, "rb") as f:
            self.assertEqual(self.archive.read("quillon-check.exe"), f.read())

    def test_the_text_files_read_well_in_notepad(self):
        for name in ["README.txt", "CHANGELOG.txt"]:
            data = self.archive.read(name)
            self.assertGreater(data.count(b"\r\n"), 10, name)
            self.assertEqual(data.count(b"\n"), data.count(b"\r\n"), name + ": a bare LF")
            self.assertEqual(data.count(b"\r"), data.count(b"\r\n"), name + ": a bare CR")
            self.assertTrue(data.endswith(b"\r\n"), name)
            data.decode("ascii")

    def test_the_guide_names_this_version_and_this_package(self):
        guide = self.archive.read("README.txt").decode("ascii")
        version = version_of(SOURCE)
        self.assertTrue(guide.startswith("Quillon %s:" % version), guide[:80])
        self.assertIn("quillon-%s-win32.zip" % version, guide)
        self.assertNotIn("@", guide.replace("@VERSION@", ""), "a placeholder left over")
        self.assertNotIn("@VERSION@", guide)

    def test_the_changelog_begins_with_this_version(self):
        changelog = self.archive.read("CHANGELOG.txt").decode("ascii").split("\r\n")
        versions = [line for line in changelog if line[:1].isdigit() and " " not in line]
        self.assertEqual(versions[0], version_of(SOURCE))

    def test_sha256sums_lists_every_other_entry_with_its_checksum(self):
        lines = self.archive.read("SHA256SUMS").decode("ascii").splitlines()
        listed = {}
        for line in lines:
            digest, name = line.split("  ")
            listed[name] = digest
        self.assertEqual(sorted(listed), sorted(ENTRIES[:-1]))
        for name, digest in listed.items():
            self.assertEqual(hashlib.sha256(self.archive.read(name)).hexdigest(), digest, name)

    def test_sha256sum_accepts_the_list_in_the_unpacked_folder(self):
        unpacked = self.folder("unpacked")
        self.archive.extractall(unpacked)
        check = subprocess.run(["sha256sum", "--check", "--strict", "SHA256SUMS"], cwd=unpacked,
                               capture_output=True, text=True)
        self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
        self.assertEqual(check.stdout.count(": OK"), len(ENTRIES) - 1, check.stdout)

    def test_the_checksum_beside_the_zip_is_the_zip_s(self):
        with open(self.zip_path + ".sha256", encoding="ascii") as f:
            digest, name = f.read().rstrip("\n").split("  ")
        with open(self.zip_path, "rb") as f:
            self.assertEqual(hashlib.sha256(f.read()).hexdigest(), digest)
        self.assertEqual(name, os.path.basename(self.zip_path))


class Reproducible(Workspace):
    def test_packing_again_elsewhere_gives_the_same_bytes(self):
        first = self.packed()
        # Another folder, working directory, time zone and locale; and later.
        second = self.packed(cwd=self.folder("somewhere", "else"),
                             extra_env={"TZ": "Pacific/Kiritimati", "LC_ALL": "C"})
        with open(first, "rb") as a, open(second, "rb") as b:
            self.assertEqual(a.read(), b.read())

    def test_the_dates_follow_the_commit_not_the_clock(self):
        later = SOME_COMMIT_TIME + 86400 * 40
        with zipfile.ZipFile(self.packed(epoch=later)) as archive:
            self.assertEqual({e.date_time for e in archive.infolist()}, {entry_time(later)})

    def test_without_an_epoch_a_checkout_dates_its_files_at_its_commit(self):
        commit = subprocess.run(["git", "-C", SOURCE, "log", "-1", "--format=%ct"],
                                capture_output=True, text=True)
        if commit.returncode != 0:
            self.skipTest("the sources are not a git checkout")
        commit_time = int(commit.stdout)
        with zipfile.ZipFile(self.packed(epoch=None)) as archive:
            dates = {e.date_time for e in archive.infolist()}
        # A zip keeps even seconds only.
        self.assertEqual(dates, {entry_time(commit_time - commit_time % 2)})


class UncommittedChanges(Workspace):
    def test_a_package_from_an_edited_tree_is_marked_as_matching_no_commit(self):
        source = self.source_copy()
        git = ["git", "-C", source, "-c", "user.name=Maintainer", "-c", "user.email=m@example.org"]
        for step in (["init", "-q"], ["add", "."], ["commit", "-q", "-m", "A release"]):
            subprocess.run(git + step, check=True, capture_output=True)
        clean = pack(source, self.folder("clean"))
        self.assertEqual(clean.returncode, 0, clean.stderr)
        self.assertNotIn("uncommitted", clean.stderr)

        with open(os.path.join(source, "CHANGELOG"), "a", encoding="ascii") as f:
            f.write("- an edit not yet committed\n")
        edited = pack(source, self.folder("edited"))
        self.assertEqual(edited.returncode, 0, edited.stderr)
        self.assertIn("uncommitted changes", edited.stderr)


class Refusals(Workspace):
    def refused(self, source, message, dll=None, check_tool=None):
        out = self.folder("refused")
        result = pack(source, out, dll=dll, check_tool=check_tool)
        self.assertEqual(result.returncode, 1, result.stdout)
        self.assertIn(message, result.stderr)
        self.assertEqual([n for n in os.listdir(out) if n.endswith(".zip")], [],
                         "a refused package was written anyway")

    def test_a_version_without_a_changelog_entry(self):
        source = self.source_copy()
        with open(os.path.join(source, "VERSION"), "w", encoding="ascii") as f:
            f.write("99.1\n")
        self.refused(source, "CHANGELOG's newest entry is %s, not 99.1" % version_of(SOURCE))

    def test_a_version_that_is_not_one(self):
        source = self.source_copy()
        with open(os.path.join(source, "VERSION"), "w", encoding="ascii") as f:
            f.write("1.0-beta\n")
        self.refused(source, "VERSION holds '1.0-beta'")

    def test_a_guide_with_a_character_notepad_may_garble(self):
        source = self.source_copy()
        with open(os.path.join(source, "release", "operator-guide.txt"), "a",
                  encoding="utf-8") as f:
            f.write("Zo\u00eb\n")
        self.refused(source, "not ASCII")

    def test_a_file_that_is_not_a_windows_module(self):
        not_a_dll = os.path.join(self.folder("input"), "quillon.dll")
        with open(not_a_dll, "wb") as f:
            f.write(b"\x7fELF not a PE image")
        self.refused(SOURCE, "is not a Windows module", dll=not_a_dll)

    def test_a_build_check_that_is_not_a_windows_program(self):
        native = os.path.join(self.folder("input"), "quillon-check.exe")
        with open(native, "wb") as f:
            f.write(b"\x7fELF the native build of the checker")
        self.refused(SOURCE, "quillon-check.exe is not a Windows module", check_tool=native)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    SOURCE, DLL, CHECK_TOOL = (os.path.abspath(argument) for argument in sys.argv[1:])
    unittest.main(argv=sys.argv[:1], verbosity=2)
