#!/usr/bin/env python3
"""Reads comma-separated exports back as a spreadsheet would, with Python's
csv module, and checks them.

    read_csv.py FILE... [--cell FILE ROW HEADER VALUE]...

Every FILE must parse, have a header line, and every line must have as many
cells as its header. Each --cell names a file, a line (1 is the first line
below the header), the header of a column and the value that cell must hold
exactly (line breaks included). Exit status 0 when all is well, 1 otherwise,
with one line per fault on standard output.
"""
import csv
import sys


def read(path):
    with open(path, newline="", encoding="utf-8") as f:
        return list(csv.reader(f, strict=True))


def main(argv):
    files, cells, faults = [], [], []
    i = 0
    while i < len(argv):
        if argv[i] == "--cell":
            cells.append(tuple(argv[i + 1:i + 5]))
            i += 5
        else:
            files.append(argv[i])
            i += 1
    parsed = {}
    for path in files:
        try:
            rows = read(path)
        except (OSError, csv.Error, UnicodeDecodeError) as e:
            faults.append(f"{path}: {e}")
            continue
        if not rows:
            faults.append(f"{path}: no header line")
            continue
        width = len(rows[0])
        for n, row in enumerate(rows[1:], start=1):
            if len(row) != width:
                faults.append(f"{path}: line {n} has {len(row)} cells, its header {width}")
        parsed[path] = rows
    for path, row, header, value in cells:
        rows = parsed.get(path)
        if rows is None:
            faults.append(f"{path}: not read")
            continue
        if header not in rows[0]:
            faults.append(f"{path}: no column {header!r}")
            continue
        r = int(row)
        if r >= len(rows):
            faults.append(f"{path}: no line {r}")
            continue
        got = rows[r][rows[0].index(header)]
        if got != value:
            faults.append(f"{path}: line {r} {header}: {got!r}, expected {value!r}")
    for f in faults:
        print(f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
