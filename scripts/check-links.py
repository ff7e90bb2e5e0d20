#!/usr/bin/env python3
"""Checks that every relative link and anchor in the project's Markdown files resolves.

    python3 scripts/check-links.py

Looks at the Markdown files git knows of (tracked, or new and not ignored): each link or image
[text](target) outside code must name a file or folder that exists, and its #anchor a heading of
that Markdown file, made into an anchor as GitHub makes them. Links to other sites are not
fetched. Prints each broken link with its file and line, then a count; exits with 1 when any is
broken.
"""
import functools
import re
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
LINK = re.compile(r"!?\[(?:[^\]\\]|\\.)*\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)")
FENCE = re.compile(r"^\s*(```|~~~)")
INLINE_CODE = re.compile(r"`+[^`]*`+")
HEADING = re.compile(r"^\s{0,3}#{1,6}\s+(.*?)\s*#*\s*$")


def markdown_files():
    listed = subprocess.run(["git", "ls-files", "--cached", "--others", "--exclude-standard", "*.md"],
                            cwd=ROOT, capture_output=True, text=True, check=True).stdout.split("\n")
    return [ROOT / name for name in listed if name and (ROOT / name).is_file()]


def prose_lines(path):
    """The lines outside fenced code blocks, with inline code blanked, and their numbers."""
    in_fence = False
    for number, line in enumerate(path.read_text(encoding="utf-8").split("\n"), start=1):
        if FENCE.match(line):
            in_fence = not in_fence
            continue
        if not in_fence and not line.startswith("    "):
            yield number, INLINE_CODE.sub("", line)


def anchor(heading):
    """GitHub's anchor for a heading: lower case, punctuation dropped, blanks made hyphens."""
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", heading)  # a link keeps its text
    text = text.replace("`", "").strip().lower()
    text = re.sub(r"[^\w\- ]", "", text)
    return text.replace(" ", "-")


@functools.lru_cache(maxsize=None)
def anchors(path):
    """The anchors of a file's headings; a heading met again gets -1, -2 and so on."""
    names = set()
    counts = {}
    for _, line in prose_lines(path):
        match = HEADING.match(line)
        if match:
            base = anchor(match.group(1))
            count = counts.get(base, 0)
            counts[base] = count + 1
            names.add(f"{base}-{count}" if count else base)
    return names


def broken_links():
    checked = 0
    for path in markdown_files():
        for number, line in prose_lines(path):
            for target in LINK.findall(line):
                if re.match(r"^[a-z][a-z0-9+.-]*:", target, re.I):
                    continue  # another site, or mail
                checked += 1
                name, _, fragment = target.partition("#")
                linked = (path.parent / name).resolve() if name else path
                where = f"{path.relative_to(ROOT)}:{number}: {target}"
                if not linked.exists():
                    yield checked, f"{where}: there is no {name}"
                elif fragment and linked.suffix == ".md" and fragment not in anchors(linked):
                    yield checked, f"{where}: {linked.relative_to(ROOT)} has no heading for #{fragment}"
    yield checked, None


def main():
    files = markdown_files()
    broken = 0
    checked = 0
    for checked, problem in broken_links():
        if problem:
            broken += 1
            print(problem)
    print(f"links: {checked} relative links checked in {len(files)} Markdown files, {broken} broken")
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
