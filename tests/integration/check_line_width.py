#!/usr/bin/env python3
"""Every line of a console transcript fits a console of WIDTH columns, counted in
characters (a name beyond ASCII takes one column a letter, not one a byte).

  check_line_width.py WIDTH TRANSCRIPT
"""

import sys


def main(width, path):
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    if not lines:
        sys.exit(f"FAIL: {path} holds no lines")
    too_wide = [(number, line) for number, line in enumerate(lines, 1) if len(line) > width]
    for number, line in too_wide:
        print(f"FAIL: {path}:{number}: {len(line)} columns: {line}", file=sys.stderr)
    if too_wide:
        return 1
    widest = max(len(line) for line in lines)
    print(f"{len(lines)} lines, the widest {widest} columns, within {width}")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(int(sys.argv[1]), sys.argv[2]))
