#!/usr/bin/env python3
"""Writes the project's own includes with their folder: #include "Database.h" becomes
#include "engine/Database.h", so that a reader sees the layer at the top of every file.

The map from a header's bare name to its path is read from the tree as it is now: every
header under src/ (and each generated header, from its .h.in beside the sources) by its path
below src/, and the test fixtures under tests/ by their path below tests/ (support/...,
gui/support/...). Includes that already name a folder are mapped by their last part when the
folder they name no longer holds the header ("support/FakeServices.h" becomes
"gui/support/FakeServices.h"). A header in the same folder as the file that includes it and
found nowhere else (a test's own fixture) is left as it is.

    scripts/dev/qualify-includes.py [FILE...]     # default: src tools tests bench

A name that two folders both hold is reported and left alone; the exit status is then 1.
"""
import pathlib
import re
import sys

TOP = pathlib.Path(__file__).resolve().parents[2]
INCLUDE = re.compile(r'^(\s*#\s*include\s+")([^"]+)(")', re.M)
SOURCE_SUFFIXES = {".cpp", ".h"}


def header_map():
    names = {}

    def add(name, path):
        names.setdefault(name, set()).add(path)

    for header in (TOP / "src").rglob("*.h"):
        add(header.name, header.relative_to(TOP / "src").as_posix())
    for template in (TOP / "src").rglob("*.h.in"):
        add(template.name[: -len(".in")], template.relative_to(TOP / "src").as_posix()[: -len(".in")])
    for folder in ("support", "gui/support"):
        for header in (TOP / "tests" / folder).glob("*.h"):
            add(header.name, header.relative_to(TOP / "tests").as_posix())
    return names


def exists(path):
    return (TOP / "src" / path).exists() or (TOP / "tests" / path).exists() or (
        TOP / "src" / (path + ".in")
    ).exists()


def qualify(file, names, problems):
    text = file.read_text(encoding="utf-8")

    def replace(match):
        included = match.group(2)
        if included.endswith(".moc"):
            return match.group(0)
        if "/" in included and exists(included):
            return match.group(0)
        bare = included.rsplit("/", 1)[-1]
        if "/" not in included and (file.parent / included).exists() and bare not in names:
            return match.group(0)
        found = names.get(bare)
        if not found:
            return match.group(0)
        if len(found) > 1:
            problems.append(f"{file}: {included} is in {', '.join(sorted(found))}")
            return match.group(0)
        return match.group(1) + next(iter(found)) + match.group(3)

    qualified = INCLUDE.sub(replace, text)
    if qualified != text:
        file.write_text(qualified, encoding="utf-8")
        return True
    return False


def main(arguments):
    names = header_map()
    if arguments:
        files = [pathlib.Path(a).resolve() for a in arguments]
    else:
        files = [
            f
            for folder in ("src", "tools", "tests", "bench")
            for f in (TOP / folder).rglob("*")
            if f.suffix in SOURCE_SUFFIXES
        ]
    problems = []
    changed = sum(qualify(f, names, problems) for f in files if f.suffix in SOURCE_SUFFIXES)
    print(f"qualify-includes: {changed} file(s) rewritten")
    for problem in problems:
        print(f"qualify-includes: ambiguous: {problem}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
