#!/usr/bin/env python3
"""The operator's guide tells the truth about the commands.

Two checks against the stand-in server with the built plug-in loaded:
  * every help line the plug-in registers appears in the guide word for word, as the
    heading of that command, and the guide has no heading for a command that does not
    exist;
  * the guide's examples, played in order as one console session, print exactly what
    the guide shows.

  check_guide.py GUIDE SERVER PLUGIN [EMULATOR]
"""

import re
import subprocess
import sys

# An example line the operator types, and the console's answer below it, at this indent.
EXAMPLE_INDENT = " " * 6
PROMPT = "> "
# A command heading: the keyword in capitals, its words, " - ", what it does.
HEADING = re.compile(r"^[A-Z]+ .* - .*\.$")


def run_console(command, lines):
    """The transcript of a console session: every line typed (echoed after the prompt)
    and what the server printed, from the first prompt up to the final quit."""
    text = "".join(line + "\n" for line in lines + ["quit"])
    shown = subprocess.run(command, input=text.encode(), capture_output=True, timeout=240)
    if shown.returncode != 0:
        sys.exit(f"FAIL: the server ended with {shown.returncode}: {shown.stderr.decode()}")
    transcript = shown.stdout.decode("utf-8").replace("\r", "")
    start = transcript.find(PROMPT)
    end = transcript.rfind(PROMPT + "quit\n")
    if start < 0 or end < start:
        sys.exit(f"FAIL: no console session in the server's output:\n{transcript}")
    return transcript[start:end]


def plugin_help_lines(transcript):
    """The plug-in's own lines of the console's help listing."""
    lines = transcript.splitlines()
    try:
        first = lines.index("Plug-in commands:") + 1
        last = lines.index("Server commands:")
    except ValueError:
        sys.exit(f"FAIL: the help listing has no plug-in part:\n{transcript}")
    return [line.strip() for line in lines[first:last]]


def guide_examples(guide):
    """The lines the guide's examples have the operator type, and the transcript the
    console shows for them: each typed line after its prompt, then its answer."""
    typed, transcript = [], []
    lines = guide.splitlines()
    for number, line in enumerate(lines):
        if not line.startswith(EXAMPLE_INDENT + PROMPT):
            continue
        typed.append(line[len(EXAMPLE_INDENT + PROMPT):])
        transcript.append(line[len(EXAMPLE_INDENT):])
        for answer in lines[number + 1:]:
            if not answer.startswith(EXAMPLE_INDENT) or answer.startswith(EXAMPLE_INDENT + PROMPT):
                break
            transcript.append(answer[len(EXAMPLE_INDENT):])
    return typed, "".join(line + "\n" for line in transcript)


def main(guide_path, server, plugin, emulator=None):
    command = ([emulator] if emulator else []) + [server, "--build", "0", "--plugin", plugin]
    with open(guide_path, encoding="utf-8") as f:
        guide = f.read()
    failures = []

    help_lines = plugin_help_lines(run_console(command, ["help"]))
    if len(help_lines) != 10:
        failures.append(f"the plug-in lists {len(help_lines)} commands, not ten: {help_lines}")
    guide_lines = guide.splitlines()
    for line in help_lines:
        if line not in guide_lines:
            failures.append(f"the guide lacks the help line, as a line of its own: {line}")
    for line in guide_lines:
        if HEADING.match(line) and line not in help_lines:
            failures.append(f"the guide describes a command the plug-in lacks: {line}")

    typed, expected = guide_examples(guide)
    keywords = {line.split()[0].lower() for line in help_lines}
    missing = sorted(keywords - {line.split()[0] for line in typed if line.split()})
    if missing:
        failures.append(f"no example for: {', '.join(missing)}")
    shown = run_console(command, typed)
    if shown != expected:
        failures.append(f"the examples differ.\n--- the console shows ---\n{shown}"
                        f"--- the guide shows ---\n{expected}")

    for failure in failures:
        print(f"FAIL: {failure}", file=sys.stderr)
    if failures:
        return 1
    print(f"guide: {len(help_lines)} help lines, {len(typed)} example lines, as the console shows")
    return 0


if __name__ == "__main__":
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
