#!/usr/bin/env python3
"""Fails on an include in src/ that crosses the layers of src/layers.txt.

Every "folder/file.h" include must name the file's own folder or one its
line of the table lists; only the Qt folders may include Qt. The table must
read whole: a folder lists everything the folders it uses may use.
"""
import pathlib
import re
import sys

SRC = pathlib.Path(__file__).resolve().parent.parent / "src"
QT_LAYERS = {"platform/qt", "app/qt"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def read_table(path):
    table = {}
    for number, line in enumerate(path.read_text().splitlines(), 1):
        words = line.split()
        if not words or words[0].startswith("#"):
            continue
        table[words[0]] = set(words[1:])
    return table


def layer_of(include, layers):
    """The longest layer the include path starts with, or None."""
    parts = include.split("/")
    for n in range(len(parts) - 1, 0, -1):
        folder = "/".join(parts[:n])
        if folder in layers:
            return folder
    return None


def main():
    table = read_table(SRC / "layers.txt")
    problems = []
    for folder, uses in table.items():
        for used in sorted(uses):
            if used not in table:
                problems.append(f"layers.txt: {folder} uses {used}, which is not a folder of the table")
                continue
            missing = table[used] - uses
            if missing:
                problems.append(
                    f"layers.txt: {folder} uses {used} but not what {used} uses: {' '.join(sorted(missing))}")

    for path in sorted(SRC.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        rel = path.relative_to(SRC)
        folder = rel.parent.as_posix()
        if folder not in table:
            problems.append(f"src/{rel}: src/{folder} is not in src/layers.txt")
            continue
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            bracket, include = m.groups()
            where = f"src/{rel}:{number}"
            if bracket == "<":
                if include.startswith("Q") and folder not in QT_LAYERS:
                    problems.append(f"{where}: {folder} is standard C++ only, but includes <{include}>")
                continue
            target = layer_of(include, table)
            if target is None:
                problems.append(f'{where}: "{include}" is not in a folder of src/')
            elif target != folder and target not in table[folder]:
                problems.append(f'{where}: {folder} may not include "{include}" ({target})')

    for p in problems:
        print(p)
    if problems:
        print(f"check-layers: {len(problems)} crossings")
        return 1
    print("check-layers: every include keeps to src/layers.txt")
    return 0


if __name__ == "__main__":
    sys.exit(main())
