#!/usr/bin/env python3
"""Every relative link in README.md and docs/ leads somewhere.

A link's file must exist, relative to the page that holds the link, and an anchor
(`#...`, on its own or after a Markdown file) must name a heading of that page as
GitHub makes anchors of headings: the heading's text without its inline markup, in
lower case, with everything but letters, digits, spaces, hyphens and underscores
left out and each space made a hyphen; a repeated anchor gets -1, -2, ... Links to
other sites (a scheme such as https:) are not followed. Code blocks and code spans
are not read for links.

  check_links.py ROOT        checks ROOT/README.md and every .md file below ROOT/docs
  check_links.py FILE...     checks these pages
"""

import os
import re
import sys

FENCE = re.compile(r"^\s*(```|~~~)")
HEADING = re.compile(r"^ {0,3}(#{1,6})\s+(.*?)\s*#*\s*$")
CODE_SPAN = re.compile(r"(`+)(.+?)\1")
# [text](target "title") and ![alt](target); the text may hold one level of brackets.
INLINE_LINK = re.compile(r"!?\[(?:[^\[\]]|\[[^\]]*\])*\]\(\s*<?([^)\s>]*)>?(?:\s+\"[^\"]*\")?\s*\)")
REFERENCE_DEFINITION = re.compile(r"^ {0,3}\[[^\]]+\]:\s*<?(\S+?)>?(?:\s+.*)?$")
HTML_ANCHOR = re.compile(r"<a\s+(?:name|id)=\"([^\"]+)\"", re.IGNORECASE)
SCHEME = re.compile(r"^[A-Za-z][A-Za-z0-9+.-]*:")


def page_lines(text):
    """The page's lines outside fenced code blocks, with their line numbers."""
    inside = None
    for number, line in enumerate(text.splitlines(), 1):
        fence = FENCE.match(line)
        if fence:
            if inside is None:
                inside = fence.group(1)
            elif fence.group(1) == inside:
                inside = None
            continue
        if inside is None:
            yield number, line


def heading_text(raw):
    """What a heading shows: its code spans' text as written; elsewhere the links' text
    and no emphasis marks or HTML tags."""
    shown, last = [], 0
    for span in CODE_SPAN.finditer(raw):
        shown += [plain_text(raw[last:span.start()]), span.group(2).strip()]
        last = span.end()
    return "".join(shown + [plain_text(raw[last:])])


def plain_text(text):
    text = re.sub(r"!?\[([^\]]*)\]\([^)]*\)", r"\1", text)
    text = re.sub(r"<[^>]+>", "", text)
    return re.sub(r"\*+|(?<!\w)_+|_+(?!\w)", "", text)


def github_anchor(raw):
    text = heading_text(raw).strip().lower()
    text = "".join(c for c in text if c.isalnum() or c in " -_")
    return text.replace(" ", "-")


def anchors_of(path, cache={}):
    if path not in cache:
        with open(path, encoding="utf-8") as page:
            text = page.read()
        anchors, seen = set(), {}
        for _, line in page_lines(text):
            heading = HEADING.match(line)
            if heading:
                anchor = github_anchor(heading.group(2))
                count = seen.get(anchor, 0)
                seen[anchor] = count + 1
                anchors.add(anchor if count == 0 else f"{anchor}-{count}")
            anchors.update(HTML_ANCHOR.findall(line))
        cache[path] = anchors
    return cache[path]


def links_of(text):
    for number, line in page_lines(text):
        line = CODE_SPAN.sub("", line)
        for match in INLINE_LINK.finditer(line):
            yield number, match.group(1)
        definition = REFERENCE_DEFINITION.match(line)
        if definition:
            yield number, definition.group(1)


def problems_of(page):
    with open(page, encoding="utf-8") as source:
        text = source.read()
    for number, target in links_of(text):
        where = f"{page}:{number}: {target or '(empty)'}"
        if not target:
            yield f"{where}: the link leads nowhere"
            continue
        if SCHEME.match(target):
            continue
        path, _, anchor = target.partition("#")
        linked = os.path.normpath(os.path.join(os.path.dirname(page), path)) if path else page
        if not os.path.exists(linked):
            yield f"{where}: no file {linked}"
            continue
        if anchor:
            if not linked.endswith(".md") or os.path.isdir(linked):
                yield f"{where}: an anchor into {linked}, which is no Markdown page"
            elif anchor not in anchors_of(linked):
                yield f"{where}: {linked} has no heading whose anchor is #{anchor}"


def pages_under(root):
    pages = [os.path.join(root, "README.md")]
    for folder, _, names in os.walk(os.path.join(root, "docs")):
        pages += [os.path.join(folder, name) for name in sorted(names) if name.endswith(".md")]
    return pages


def main(arguments):
    if not arguments:
        sys.exit(__doc__)
    pages = pages_under(arguments[0]) if len(arguments) == 1 and os.path.isdir(arguments[0]) \
        else arguments
    problems = [problem for page in pages for problem in problems_of(page)]
    for problem in problems:
        print(problem)
    if problems:
        sys.exit(f"FAIL: {len(problems)} link(s) lead nowhere")
    print(f"links: every relative link of {len(pages)} page(s) leads to a file and a heading")


if __name__ == "__main__":
    main(sys.argv[1:])
