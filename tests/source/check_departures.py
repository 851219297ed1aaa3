#!/usr/bin/env python3
"""Every departure in docs/departures.md names the tests that hold it, and they exist.

Each `###` section (a departure, or a behaviour kept as the contract says) has a line
that begins `- **Held by:**` and names one test or more in code spans, on it and on
the indented lines that follow it:
  `Suite.Name`   a GoogleTest test: TEST, TEST_F or TEST_P(Suite, Name) under tests/
  `Suite.*`      every test of that GoogleTest suite: at least one under tests/
  `ctest_name`   a CTest test: add_test(NAME ctest_name ...) in a CMake file of the tree
The check fails on a section without such a line, on a name that is not found, and on
text after a section's Held by line (a departure written there has no heading).

  check_departures.py ROOT
"""

import os
import re
import sys

SECTION = re.compile(r"^###\s+(.*)")
HELD_BY = re.compile(r"^\s*[-*]\s+\*\*Held by:?\*\*:?(.*)")
NAME = re.compile(r"`([^`]+)`")
CONTINUATION = re.compile(r"^\s+[^-*\s]")
FIELD = re.compile(r"^[-*]\s+\*\*[^*]+\*\*")
SKIPPED_FOLDERS = {".git", "build", "dist"}


def files_under(folder, keep):
    for here, folders, names in os.walk(folder):
        folders[:] = sorted(f for f in folders if f not in SKIPPED_FOLDERS)
        for name in sorted(names):
            if keep(name):
                yield os.path.join(here, name)


def read_all(paths):
    text = []
    for path in paths:
        with open(path, encoding="utf-8", errors="replace") as source:
            text.append(source.read())
    return "\n".join(text)


def departures(page):
    """(heading, [test names]) per section, names None when it has no Held by line, and
    the lines that stand after a section's Held by, where no departure is seen. A Held
    by line goes on over the indented lines that follow it."""
    sections, in_held_by, stray, in_field = [], False, [], False
    with open(page, encoding="utf-8") as source:
        for number, line in enumerate(source, 1):
            section = SECTION.match(line)
            held = HELD_BY.match(line)
            if section:
                sections.append([section.group(1).strip(), None])
                in_held_by = False
            elif held and sections:
                sections[-1][1] = (sections[-1][1] or []) + NAME.findall(held.group(1))
                in_held_by = True
            elif in_held_by and CONTINUATION.match(line):
                sections[-1][1] += NAME.findall(line)
            else:
                in_held_by = False
                # After the Held by line only other fields (and their indented lines)
                # may follow, up to the next heading.
                after_held_by = sections and sections[-1][1] is not None
                in_field = FIELD.match(line) or (in_field and line.startswith(" "))
                if after_held_by and line.strip() and not line.startswith("#") and not in_field:
                    stray.append((number, sections[-1][0]))
                continue
            in_field = False
    return sections, stray


def test_exists(name, gtest_sources, cmake_sources):
    if "." in name:
        suite, _, test = name.partition(".")
        test_pattern = r"\s*," if test == "*" else r"\s*,\s*" + re.escape(test) + r"\s*\)"
        pattern = r"\bTEST(?:_F|_P)?\(\s*" + re.escape(suite) + test_pattern
        return re.search(pattern, gtest_sources) is not None
    pattern = r"\badd_test\(\s*NAME\s+" + re.escape(name) + r"(?=[\s)])"
    return re.search(pattern, cmake_sources) is not None


def main(arguments):
    if len(arguments) != 1:
        sys.exit(__doc__)
    root = arguments[0]
    page = os.path.join(root, "docs", "departures.md")
    gtest_sources = read_all(files_under(os.path.join(root, "tests"),
                                         lambda n: n.endswith((".cpp", ".h"))))
    cmake_sources = read_all(files_under(root,
                                         lambda n: n == "CMakeLists.txt" or n.endswith(".cmake")))
    problems, names = [], 0
    sections, stray = departures(page)
    for number, heading in stray:
        problems.append(f"{page}:{number}: stands after the Held by line of '{heading}', "
                        "where the check sees no departure: give it a ### heading of its own")
    if not sections:
        problems.append(f"{page}: no departure (### section) found")
    for heading, tests in sections:
        if not tests:
            problems.append(f"{page}: '{heading}' names no test that holds it")
            continue
        for name in tests:
            names += 1
            if not test_exists(name, gtest_sources, cmake_sources):
                problems.append(f"{page}: '{heading}' names {name}, which no test defines")
    for problem in problems:
        print(problem)
    if problems:
        sys.exit(f"FAIL: {len(problems)} problem(s) in docs/departures.md")
    print(f"departures: {len(sections)} sections, each held by tests that exist ({names} names)")


if __name__ == "__main__":
    main(sys.argv[1:])
