#!/usr/bin/env python3
"""The project's own mutation run.

Changes one line of the plug-in's sources at a time (a comparison turned, an arithmetic
or logical operator swapped, a constant moved by one, a boolean flipped, a call
removed), rebuilds incrementally in a build folder of its own and runs the native tests,
stopping at the first failure. A mutant no test notices is a line no test pins.

Every changed file is restored byte for byte: before a file is touched its original
bytes go into a journal beside the sources, the restore is checked against their hash,
and a run that was killed repairs from the journal when it starts again.

    scripts/mutate.py [--paths plugin/ host/ ...] [--sample N --seed S] [--build-dir DIR]
    scripts/mutate.py --repair      only restore what an interrupted run left changed
    scripts/mutate.py --list        print the mutants, build and run nothing
"""

import argparse
import base64
import datetime
import hashlib
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PRODUCT_FOLDERS = ["commands/", "host/", "plugin/", "math/"]
SOURCE_SUFFIXES = (".cpp", ".h", ".c")
JOURNAL = os.path.join(ROOT, ".mutate-journal.json")
EQUIVALENTS = os.path.join(ROOT, "scripts", "mutate-equivalent.txt")
# What the plug-in's tests need built: the unit tests link the core, the integration
# tests load the plug-in into the stand-in server, which the session runs too.
TARGETS = ["quillon_unit_tests", "quillon_integration_tests", "quillon-standin", "quillon"]

CAUGHT, SURVIVED, NO_COMPILE, TIMED_OUT, EQUIVALENT, UNCHANGED, SANITIZER = (
    "caught", "survived", "did not compile", "timed out", "equivalent",
    "no change in object code", "sanitizer build only")


def sha256(data):
    return hashlib.sha256(data).hexdigest()


# ---------------------------------------------------------------------------------------
# Restoring, journal first


class Journal:
    """The one file a run may have changed, with its original bytes, kept on disk
    before the change so that any end of the run can be repaired from."""

    @staticmethod
    def record(path, original):
        entry = {"path": os.path.relpath(path, ROOT), "sha256": sha256(original),
                 "bytes": base64.b64encode(original).decode("ascii")}
        temporary = JOURNAL + ".tmp"
        with open(temporary, "w", encoding="ascii") as out:
            json.dump(entry, out)
            out.flush()
            os.fsync(out.fileno())
        os.replace(temporary, JOURNAL)

    @staticmethod
    def clear():
        if os.path.exists(JOURNAL):
            os.remove(JOURNAL)

    @staticmethod
    def repair():
        """Restores the file an interrupted run left changed; returns its path or None."""
        if not os.path.exists(JOURNAL):
            return None
        with open(JOURNAL, encoding="ascii") as source:
            entry = json.load(source)
        original = base64.b64decode(entry["bytes"])
        if sha256(original) != entry["sha256"]:
            sys.exit(f"mutate: the journal {JOURNAL} is damaged; restore {entry['path']} "
                     "with git and remove the journal")
        path = os.path.join(ROOT, entry["path"])
        write_checked(path, original)
        Journal.clear()
        return entry["path"]


def write_checked(path, data):
    with open(path, "wb") as out:
        out.write(data)
        out.flush()
        os.fsync(out.fileno())
    with open(path, "rb") as back:
        if sha256(back.read()) != sha256(data):
            sys.exit(f"mutate: {path} does not read back as written")


class Interrupted(Exception):
    pass


def on_signal(number, _frame):
    raise Interrupted(signal.Signals(number).name)


# ---------------------------------------------------------------------------------------
# Finding mutants


def code_mask(text):
    """The text with comments and string and character literals blanked (newlines and
    columns kept), so that no mutant is made inside them."""
    out = list(text)
    i, n = 0, len(text)

    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            blank(i, j)
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            blank(i, j)
            i = j
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not is_word(text[i - 1])):
            m = re.compile(r'R"([^(\s]*)\(').match(text, i)
            if not m:
                i += 1
                continue
            end = text.find(")" + m.group(1) + '"', m.end())
            j = n if end < 0 else end + len(m.group(1)) + 2
            blank(i, j)
            i = j
        elif c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isalnum():  # a digit separator
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            blank(i, min(j + 1, n))
            i = j + 1
        else:
            i += 1
    return "".join(out)


def is_word(ch):
    return ch.isalnum() or ch == "_"


def skipped_lines(masked_lines):
    """Preprocessor lines (with their continuations) and inline assembly: a change there
    only breaks the build, or changes text the compiler does not read."""
    skip = set()
    continuing = False
    asm_depth = None
    for number, line in enumerate(masked_lines, 1):
        stripped = line.strip()
        if continuing or stripped.startswith("#"):
            skip.add(number)
            continuing = line.rstrip().endswith("\\")
            continue
        if asm_depth is None and re.search(r"\b(__asm__|asm)\b", line):
            asm_depth = 0
        if asm_depth is not None:
            skip.add(number)
            asm_depth += line.count("(") - line.count(")")
            if asm_depth <= 0 and ";" in line:
                asm_depth = None
    return skip


SPACED = r"(?<= )(%s)(?= )"
REPLACEMENTS = [
    # comparisons
    # the boundary moved: a negated comparison is caught wherever the moved one is
    ("<", ["<="]), ("<=", ["<"]), (">", [">="]), (">=", [">"]),
    ("==", ["!="]), ("!=", ["=="]),
    # arithmetic, bitwise and shifts
    ("+", ["-"]), ("-", ["+"]), ("*", ["/"]), ("/", ["*"]), ("%", ["/"]),
    ("&", ["|"]), ("|", ["&"]), ("^", ["|"]), ("<<", [">>"]), (">>", ["<<"]),
    ("+=", ["-="]), ("-=", ["+="]), ("*=", ["/="]), ("/=", ["*="]),
    ("|=", ["&="]), ("&=", ["|="]), ("<<=", [">>="]), (">>=", ["<<="]),
    # logical
    ("&&", ["||"]), ("||", ["&&"]),
]
BINARY = re.compile(SPACED % "|".join(
    re.escape(op) for op, _ in sorted(REPLACEMENTS, key=lambda r: -len(r[0]))))
REPLACE = dict(REPLACEMENTS)
INCREMENT = re.compile(r"\+\+|--")
NOT = re.compile(r"(?<![\w)\]!=<>])!(?!=)")
BOOLEAN = re.compile(r"\b(true|false)\b")
INTEGER = re.compile(r"(?<![\w.'])(0[xX][0-9a-fA-F']+|\d[\d']*)([uUlL]*)(?![\w.'])")
CALL_STATEMENT = re.compile(
    r"^(static_cast<void>\()?[A-Za-z_][\w:]*(?:(?:\.|->)[A-Za-z_]\w*)*(?:<[^;]*>)?\(.*\)\)?;$")
NOT_A_CALL = re.compile(r"^(return|if|while|for|switch|case|delete|new|throw|else|do|sizeof|"
                        r"static_assert|typedef|using|alignas|decltype)\b")


def integer_text(value, like):
    if like.lower().startswith("0x"):
        return hex(value) if like[1] == "x" else "0X" + format(value, "X")
    return str(value)


# The second set of operators: slips of a coarser kind than a moved boundary. Each is
# one more way a maintainer's edit can go wrong that the first set does not make.
NEGATED = {"<": ">=", "<=": ">", ">": "<=", ">=": "<"}
CONDITION = re.compile(r"\b(if|while)\s*\(")
RETURN_VALUE = re.compile(r"^return\s+(.+);$")
TRIVIAL_RETURN = re.compile(r"^(\{\}|0|0[uU]?|nullptr|false|true|0\.0f?)$")
LVALUE = r"(?:\*?[A-Za-z_][\w:]*(?:(?:\.|->)[A-Za-z_]\w*|\[[^\]]*\])*)"
ASSIGNMENT = re.compile(
    r"^(?:%s\s*(?:[-+*/%%&|^]|<<|>>)?=(?!=)\s*.+|(?:\+\+|--)%s|%s(?:\+\+|--));$"
    % (LVALUE, LVALUE, LVALUE))


def closing_parenthesis(masked, opening):
    depth = 0
    for k in range(opening, len(masked)):
        depth += {"(": 1, ")": -1}.get(masked[k], 0)
        if depth == 0:
            return k
    return -1


def extended_mutants(line, masked):
    """A comparison negated, a constant moved the other way, a condition negated, a
    returned value replaced by the type's zero, an assignment statement removed."""
    found = []
    for m in BINARY.finditer(masked):
        if m.group(1) in NEGATED:
            found.append((m.start(), m.group(1), NEGATED[m.group(1)], None))
    for m in INTEGER.finditer(masked):
        value = integer_value(m.group(1))
        if value:  # the first set moved it one way; zero goes only up, as there
            step = 1 if m.start() % 2 else -1
            found.append((m.start(), m.group(0),
                          integer_text(value + step, m.group(1)) + m.group(2), None))
    for m in CONDITION.finditer(masked):
        opening = m.end() - 1
        closing = closing_parenthesis(masked, opening)
        if closing > opening + 1:
            old = line[opening:closing + 1]
            found.append((opening, old, "(!" + old + ")", "condition negated"))
    stripped = masked.strip()
    start = len(masked) - len(masked.lstrip())
    statement = line[start:len(line.rstrip())]
    returned = RETURN_VALUE.match(stripped)
    if returned and not TRIVIAL_RETURN.match(returned.group(1).strip()):
        found.append((start, statement, "return {};", "returned value replaced by {}"))
    if ASSIGNMENT.match(stripped) and not NOT_A_CALL.match(stripped):
        found.append((start, statement, "{}", "assignment removed"))
    return found


def integer_value(digits):
    plain = digits.replace("'", "")
    try:
        return int(plain, 8) if re.fullmatch(r"0\d+", plain) else int(plain, 0)
    except ValueError:
        return None


def line_mutants(line, masked, operators=("first", "second")):
    """(column, original text, replacement text, label or None) for one line."""
    found = first_mutants(line, masked) if "first" in operators else []
    if "second" in operators:
        found += extended_mutants(line, masked)
    return found


def first_mutants(line, masked):
    """A comparison's boundary moved, an operator swapped, a `!` dropped, a constant
    moved by one, a boolean flipped, a call statement removed."""
    found = []
    for m in BINARY.finditer(masked):
        for new in REPLACE[m.group(1)]:
            found.append((m.start(), m.group(1), new, None))
    for m in INCREMENT.finditer(masked):
        found.append((m.start(), m.group(0), "--" if m.group(0) == "++" else "++", None))
    for m in NOT.finditer(masked):
        found.append((m.start(), "!", "", None))
    for m in BOOLEAN.finditer(masked):
        found.append((m.start(), m.group(1), "false" if m.group(1) == "true" else "true", None))
    for m in INTEGER.finditer(masked):
        digits, suffix = m.group(1), m.group(2)
        value = integer_value(digits)
        if value is None:
            continue
        # One step, up or down by the constant's place, so that a table of constants
        # sees both; zero only goes up.
        step = 1 if value == 0 or m.start() % 2 == 0 else -1
        found.append((m.start(), m.group(0), integer_text(value + step, digits) + suffix, None))
    stripped = masked.strip()
    if CALL_STATEMENT.match(stripped) and not NOT_A_CALL.match(stripped) and \
            stripped.count("(") == stripped.count(")"):
        start = len(masked) - len(masked.lstrip())
        found.append((start, line[start:len(line.rstrip())], "{}", "call removed"))
    return found


class Mutant:
    def __init__(self, path, number, column, old, new, line, repeat=0, label=None):
        self.path, self.line, self.column, self.old, self.new = path, number, column, old, new
        self.label = label
        self.original_line = line
        self.repeat = repeat  # how many lines of the same text come before it in the file
        self.mutated_line = line[:column] + new + line[column + len(old):]

    @property
    def change(self):
        if self.label:
            return self.label
        return f"'{self.old}' -> '{self.new}'" if self.new else f"'{self.old}' removed"

    @property
    def key(self):
        """What the equivalent list names: file, the line's text and the change (the
        column tells two equal tokens of one line apart), not the line number."""
        again = f" #{self.repeat + 1}" if self.repeat else ""
        return (self.path, self.original_line.strip(), f"{self.change} @{self.column}{again}")


def find_mutants(paths, operators=("first", "second")):
    mutants = []
    for path in source_files(paths):
        with open(os.path.join(ROOT, path), encoding="utf-8") as source:
            text = source.read()
        masked = code_mask(text).split("\n")
        lines = text.split("\n")
        skip = skipped_lines(masked)
        seen = {}
        for number, (line, mask) in enumerate(zip(lines, masked), 1):
            repeat = seen.get(line.strip(), 0)
            seen[line.strip()] = repeat + 1
            if number in skip or not mask.strip():
                continue
            for column, old, new, label in line_mutants(line, mask, operators):
                mutants.append(Mutant(path, number, column, old, new, line, repeat, label))
    return mutants


def source_files(paths):
    """The sources under each path, in the order the paths are given."""
    seen = set()
    for start in paths:
        full = os.path.join(ROOT, start)
        if not os.path.exists(full):
            sys.exit(f"mutate: no such file or folder: {start}")
        found = [full] if os.path.isfile(full) else sorted(
            os.path.join(folder, name) for folder, _dirs, files in os.walk(full)
            for name in files if name.endswith(SOURCE_SUFFIXES))
        for path in found:
            relative = os.path.relpath(path, ROOT)
            if relative not in seen:
                seen.add(relative)
                yield relative


def read_equivalents():
    """file | line text | change | reason, one mutant a line."""
    listed = {}
    if not os.path.exists(EQUIVALENTS):
        return listed
    with open(EQUIVALENTS, encoding="utf-8") as source:
        for number, raw in enumerate(source, 1):
            if not raw.strip() or raw.lstrip().startswith("#"):
                continue
            fields = [f.strip() for f in raw.rstrip("\n").split(" | ")]
            if len(fields) != 4:
                sys.exit(f"mutate: {EQUIVALENTS}:{number}: expected 'file | line | change | "
                         "reason'")
            listed[tuple(fields[:3])] = fields[3]
    return listed


# ---------------------------------------------------------------------------------------
# Building and testing


class Runner:
    def __init__(self, build_dir, emulator, log):
        self.build_dir, self.emulator, self.log = build_dir, emulator, log
        self.object_hashes = {}

    def build(self, timeout):
        command = ["cmake", "--build", self.build_dir, "--target"] + TARGETS
        try:
            done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                  timeout=timeout)
        except subprocess.TimeoutExpired:
            return False, "build timed out"
        return done.returncode == 0, done.stdout.decode(errors="replace")

    def objects(self):
        """Hash of every object file of the build, re-read only where it was rewritten."""
        current = {}
        for folder, _dirs, files in os.walk(self.build_dir):
            for name in files:
                if not name.endswith(".o"):
                    continue
                path = os.path.join(folder, name)
                stat = os.stat(path)
                stamp = (stat.st_mtime_ns, stat.st_size)
                known = self.object_hashes.get(path)
                if known and known[0] == stamp:
                    current[path] = known
                else:
                    with open(path, "rb") as data:
                        current[path] = (stamp, sha256(data.read()))
        self.object_hashes = current
        return {path: value[1] for path, value in current.items()}

    def command(self, test):
        program = os.path.join(self.build_dir, test["program"])
        prefix = [self.emulator] if self.emulator and test.get("emulate", True) else []
        return prefix + [program] + test.get("args", [])

    def run(self, test, timeout, gtest_filter=None):
        """(outcome, failed test names): outcome is 'pass', 'fail' or 'timeout'."""
        command = self.command(test)
        if test.get("gtest"):
            command.append("--gtest_fail_fast")
            command.append("--gtest_brief=1")
            if gtest_filter is not None:
                command.append("--gtest_filter=" + gtest_filter)
        environment = dict(os.environ, **test.get("env", {}))
        try:
            done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                  timeout=timeout, env=environment, cwd=self.build_dir,
                                  start_new_session=True)
        except subprocess.TimeoutExpired:
            return "timeout", []
        if done.returncode == 0:
            return "pass", []
        output = done.stdout.decode(errors="replace")
        failed = sorted(set(re.findall(r"^\[  FAILED  \] ([\w/.]+)", output, re.M)))
        return "fail", failed


def native_tests(build_dir, emulator):
    source = ROOT
    session = {
        "name": "session", "program": shutil.which("cmake"), "emulate": False,
        "args": [f"-DSERVER={build_dir}/standin/quillon-standin",
                 f"-DPLUGIN={build_dir}/plugin/libquillon.so",
                 f"-DEMULATOR={emulator or ''}",
                 f"-DINPUT={source}/tests/integration/session_input.txt",
                 f"-DEXPECTED={source}/tests/integration/session_expected.txt",
                 "-P", f"{source}/tests/integration/run_session.cmake"]}
    return [
        {"name": "unit", "program": "tests/unit/quillon_unit_tests", "gtest": True},
        {"name": "integration", "program": "tests/integration/quillon_integration_tests",
         "gtest": True},
        # The whole suite again with the host's threads in every hostile mode at once.
        {"name": "integration-hostile-fpu",
         "program": "tests/integration/quillon_integration_tests", "gtest": True,
         "args": ["--gtest_filter=-EveryFpuState/*"], "env": {"QUILLON_TEST_FPU": "hostile"}},
        session,
    ]


def pick_emulator(build_dir, wanted):
    """The i386 test programs run natively where the kernel runs 32-bit code, else under
    qemu-i386."""
    if wanted is not None:
        return wanted or None
    probe = os.path.join(build_dir, "tests/unit/quillon_unit_tests")
    try:
        subprocess.run([probe, "--gtest_list_tests"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=False)
        return None
    except OSError:
        emulator = shutil.which("qemu-i386")
        if not emulator:
            sys.exit("mutate: this kernel does not run i386 programs and qemu-i386 is missing "
                     "(apt-get install qemu-user)")
        return emulator


# ---------------------------------------------------------------------------------------
# The run


class Order:
    """Which tests to try first for a mutant: those that caught mutants of the same file
    before, then the groups by how often they caught anything in that file."""

    def __init__(self, tests):
        self.tests = tests
        self.by_file = {}

    def note(self, path, group, names):
        record = self.by_file.setdefault(path, {"groups": {}, "names": {}})
        record["groups"][group] = record["groups"].get(group, 0) + 1
        for name in names:
            record["names"].setdefault(group, {})
            record["names"][group][name] = record["names"][group].get(name, 0) + 1

    def likely(self, path):
        record = self.by_file.get(path)
        if not record:
            return []
        tries = []
        for group, names in record["names"].items():
            ranked = sorted(names, key=lambda n: -names[n])[:12]
            tries.append((group, ":".join(ranked)))
        return sorted(tries, key=lambda t: -record["groups"].get(t[0], 0))

    def groups(self, path):
        counts = self.by_file.get(path, {"groups": {}})["groups"]
        return sorted(self.tests, key=lambda t: -counts.get(t["name"], 0))


def test_mutant(runner, order, mutant, timeouts):
    """(outcome, group, failed test names)."""
    by_name = {t["name"]: t for t in order.tests}
    for group, names in order.likely(mutant.path):
        test = by_name[group]
        if not test.get("gtest") or not names:
            continue
        if test.get("args") and any(a.startswith("--gtest_filter") for a in test["args"]):
            continue  # its own filter; tried whole below
        result, failed = runner.run(test, timeouts[group], names)
        if result == "fail":
            return CAUGHT, group, failed
        if result == "timeout":
            return TIMED_OUT, group, []
    for test in order.groups(mutant.path):
        result, failed = runner.run(test, timeouts[test["name"]])
        if result == "fail":
            return CAUGHT, test["name"], failed
        if result == "timeout":
            return TIMED_OUT, test["name"], []
    return SURVIVED, "", []


def git(*args):
    done = subprocess.run(["git", "-C", ROOT] + list(args), stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, check=False)
    return done.stdout.decode().strip()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--paths", nargs="*", default=None,
                        help="folders or files to mutate (default: the product folders)")
    parser.add_argument("--sample", type=int, default=0, help="only N mutants, drawn by seed")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--operators", choices=("all", "first", "second"), default="all",
                        help="first: moved boundaries, swapped operators, constants one way, "
                        "booleans, removed calls; second: negated comparisons and conditions, "
                        "constants the other way, returned values, removed assignments")
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build", "mutate"))
    parser.add_argument("--report-dir", default=None)
    parser.add_argument("--emulator", default=None,
                        help="runs the i386 programs (default: native, else qemu-i386)")
    parser.add_argument("--resume", action="store_true",
                        help="keep the results of an earlier run on the same commit")
    parser.add_argument("--rerun", metavar="RESULTS",
                        help="only the mutants that survived in that results.jsonl")
    parser.add_argument("--repair", action="store_true", help="only repair from the journal")
    parser.add_argument("--list", action="store_true", help="only list the mutants")
    options = parser.parse_args()

    options.build_dir = os.path.abspath(options.build_dir)
    for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, on_signal)

    repaired = Journal.repair()
    if repaired:
        print(f"mutate: restored {repaired} from the journal of an interrupted run")
    if options.repair:
        return 0

    paths = options.paths or PRODUCT_FOLDERS
    operators = ("first", "second") if options.operators == "all" else (options.operators,)
    mutants = find_mutants(paths, operators)
    if options.sample and options.sample < len(mutants):
        mutants = random.Random(options.seed).sample(mutants, options.sample)
        mutants.sort(key=lambda m: (m.path, m.line, m.column))
    if options.rerun:
        with open(options.rerun, encoding="utf-8") as source:
            # By the line's text, not its number: a fix or a check may have moved it. A
            # line repeated in the file is re-run in every place.
            survivors = {(e["path"], e["text"], e["change"].split(" #")[0])
                         for e in map(json.loads, source) if e["outcome"] == SURVIVED}
        mutants = [m for m in mutants
                   if (m.path, m.key[1], m.key[2].split(" #")[0]) in survivors]
    if options.list:
        for m in mutants:
            print(f"{m.path}:{m.line}: {m.change}: {m.mutated_line.strip()}")
        print(f"{len(mutants)} mutants", file=sys.stderr)
        return 0

    dirty = git("status", "--porcelain", "--untracked-files=no", "--", *paths)
    if dirty:
        print("mutate: note: the mutated folders have uncommitted changes:\n" + dirty)

    report_dir = options.report_dir or os.path.join(options.build_dir, "report")
    os.makedirs(report_dir, exist_ok=True)
    results_path = os.path.join(report_dir, "results.jsonl")
    commit = git("rev-parse", "--short", "HEAD") + ("+changes" if dirty else "")
    earlier = {}
    if options.resume and os.path.exists(results_path):
        with open(results_path, encoding="utf-8") as source:
            for raw in source:
                entry = json.loads(raw)
                if entry.get("commit") == commit:
                    earlier[(entry["path"], entry["text"], entry["change"])] = entry
    else:
        open(results_path, "w", encoding="utf-8").close()

    equivalents = read_equivalents()
    in_scope = {m.path for m in find_mutants(paths)}
    known = {m.key for m in find_mutants(sorted(in_scope))} if in_scope else set()
    for key in equivalents:
        if key[0] in in_scope and key not in known:
            print(f"mutate: note: the equivalent list names a mutant that no longer exists: "
                  f"{' | '.join(key)}")
    started = time.time()
    runner = Runner(options.build_dir, None, None)
    print(f"mutate: {len(mutants)} mutants in {', '.join(paths)}; building the clean tree")
    ok, output = runner.build(timeout=3600)
    if not ok:
        print(output)
        sys.exit("mutate: the clean tree does not build")
    runner.emulator = pick_emulator(options.build_dir, options.emulator)
    baseline = runner.objects()
    tests = native_tests(options.build_dir, runner.emulator)
    timeouts = {}
    for test in tests:
        begun = time.time()
        result, failed = runner.run(test, timeout=900)
        took = time.time() - begun
        if result != "pass":
            sys.exit(f"mutate: the clean tree fails {test['name']}: {' '.join(failed)}")
        # Several times the clean run: a slower machine does not make a mutant time out.
        timeouts[test["name"]] = max(30.0, 5 * took)
        print(f"mutate: clean {test['name']}: {took:.1f} s")
    order = Order(tests)
    for entry in earlier.values():
        if entry["outcome"] == CAUGHT:
            order.note(entry["path"], entry["group"], entry["tests"])

    results = []
    current = None
    try:
        for index, mutant in enumerate(mutants, 1):
            key = mutant.key
            if key in earlier:
                results.append(earlier[key])
                continue
            entry = {"path": mutant.path, "line": mutant.line, "text": key[1],
                     "change": key[2], "mutated": mutant.mutated_line.strip(),
                     "commit": commit, "group": "", "tests": [], "note": ""}
            if key in equivalents:
                # "sanitizer:" marks an overrun that changes no value the native tests
                # see; the sanitizer builds of make test catch it.
                sanitizer = equivalents[key].startswith("sanitizer:")
                entry["outcome"] = SANITIZER if sanitizer else EQUIVALENT
                entry["note"] = equivalents[key]
            else:
                begun = time.time()
                full = os.path.join(ROOT, mutant.path)
                with open(full, "rb") as source:
                    original = source.read()
                lines = original.decode("utf-8").split("\n")
                assert lines[mutant.line - 1] == mutant.original_line, mutant.key
                lines[mutant.line - 1] = mutant.mutated_line
                Journal.record(full, original)
                current = (full, original)
                write_checked(full, "\n".join(lines).encode("utf-8"))
                ok, output = runner.build(timeout=600)
                if not ok:
                    entry["outcome"] = NO_COMPILE
                    errors = re.findall(r"error: (.*)", output)
                    entry["note"] = errors[0][:120] if errors else output.strip()[-120:]
                else:
                    after = runner.objects()
                    changed = [p for p, h in after.items() if baseline.get(p) != h]
                    if not changed:
                        entry["outcome"] = UNCHANGED
                    else:
                        outcome, group, failed = test_mutant(runner, order, mutant, timeouts)
                        entry.update(outcome=outcome, group=group, tests=failed)
                        if outcome == CAUGHT:
                            order.note(mutant.path, group, failed)
                write_checked(full, original)
                Journal.clear()
                current = None
                entry["seconds"] = round(time.time() - begun, 1)
            results.append(entry)
            with open(results_path, "a", encoding="utf-8") as out:
                out.write(json.dumps(entry) + "\n")
            shown = f" ({entry['group']}: {', '.join(entry['tests'][:2])})" if entry["tests"] \
                else ""
            print(f"[{index}/{len(mutants)}] {mutant.path}:{mutant.line}: {entry['change']}: "
                  f"{entry['outcome']}{shown}", flush=True)
    except Interrupted as stop:
        print(f"mutate: stopped by {stop}")
    finally:
        if current:
            write_checked(current[0], current[1])
            Journal.clear()
            print(f"mutate: restored {os.path.relpath(current[0], ROOT)}")
    # The build folder holds the last mutant's objects: leave it as the sources are.
    runner.build(timeout=3600)
    write_report(report_dir, results, len(mutants), commit, paths, options,
                 time.time() - started)
    return 0


def write_report(report_dir, results, planned, commit, paths, options, seconds):
    counts = {}
    for entry in results:
        counts[entry["outcome"]] = counts.get(entry["outcome"], 0) + 1
    caught, survived = counts.get(CAUGHT, 0), counts.get(SURVIVED, 0)
    score = caught / (caught + survived) if caught + survived else 1.0
    command = "make mutate"
    if options.paths:
        command += f" MUTATE_PATHS='{' '.join(options.paths)}'"
    if options.sample:
        command += f" MUTATE_SAMPLE={options.sample} MUTATE_SEED={options.seed}"
    lines = [
        "# Mutation run", "",
        f"- date: {datetime.datetime.now(datetime.timezone.utc):%Y-%m-%d %H:%M} UTC",
        f"- commit: {commit}",
        f"- paths: {' '.join(paths)}",
        f"- mutants: {len(results)} of {planned} planned",
        f"- duration: {seconds / 60:.1f} min",
        f"- score: caught / (caught + survived) = {caught} / {caught + survived} = "
        f"{100 * score:.1f} %",
        "- " + ", ".join(f"{name}: {counts.get(name, 0)}" for name in
                         (CAUGHT, SURVIVED, NO_COMPILE, TIMED_OUT, EQUIVALENT, SANITIZER,
                          UNCHANGED)),
        f"- repeat: `{command}`", "",
        "| file:line | change | mutated line | outcome | caught by |",
        "| --- | --- | --- | --- | --- |",
    ]
    rank = {SURVIVED: 0, TIMED_OUT: 1, SANITIZER: 2, EQUIVALENT: 3, UNCHANGED: 4, NO_COMPILE: 5,
            CAUGHT: 6}
    for e in sorted(results, key=lambda e: (rank[e["outcome"]], e["path"], e["line"])):
        by = (e["group"] + ": " + ", ".join(e["tests"][:3])) if e["outcome"] == CAUGHT else \
            e.get("note", "")
        mutated = e["mutated"].replace("|", "\\|")
        lines.append(f"| {e['path']}:{e['line']} | {e['change']} | `{mutated}` | "
                     f"{e['outcome']} | {by} |")
    report = os.path.join(report_dir, "report.md")
    with open(report, "w", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n")
    print("\n".join(lines[2:10]))
    print(f"mutate: report in {os.path.relpath(report, os.getcwd())}")
    for e in results:
        if e["outcome"] == SURVIVED:
            print(f"survived: {e['path']}:{e['line']}: {e['change']}: {e['mutated']}")


if __name__ == "__main__":
    sys.exit(main())
