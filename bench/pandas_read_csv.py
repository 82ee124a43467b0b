#!/usr/bin/env python3
"""Times pandas.read_csv on the numbers of a .rgs document written as CSV.

Usage: pandas_read_csv.py DOCUMENT.rgs CSV [REPEATS]

Writes CSV (unless it is newer than the document) with the table of the
document: one line per data point with its row number, variables, measured
value, fitted value and error, comma-separated, under a header line. Then
reads it with pandas.read_csv REPEATS times and prints one line per run and,
last, "read_csv_seconds=S" (best wall time) and "read_csv_cpu_seconds=S"
(the CPU time of that run).
"""

import os
import sys
import time

import pandas as pd


def table_of(document):
    """The cell texts of the document's data rows (row 0, the headers, left out)."""
    with open(document, "rb") as f:
        lines = f.read().split(b"\n")
    lines = [line[:-1] if line.endswith(b"\r") else line for line in lines]
    aliases = int(lines[10])
    at = 12 + 2 * max(aliases - 1, 0)
    rows, cols = int(lines[at]), int(lines[at + 1])
    cells = lines[at + 2:at + 2 + rows * cols]
    return [cells[r * cols:(r + 1) * cols] for r in range(1, rows)], cols


def write_csv(document, csv):
    table, cols = table_of(document)
    header = ["row"] + ["X%d" % i for i in range(1, cols - 3)] + ["Y", "Yfit", "e"]
    with open(csv, "wb") as out:
        out.write(",".join(header).encode() + b"\n")
        for row in table:
            out.write(b",".join(cell.strip() for cell in row) + b"\n")


def main():
    document, csv = sys.argv[1], sys.argv[2]
    repeats = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    if not os.path.exists(csv) or os.path.getmtime(csv) < os.path.getmtime(document):
        write_csv(document, csv)
    best = None
    for _ in range(repeats):
        wall, cpu = time.perf_counter(), time.process_time()
        frame = pd.read_csv(csv)
        wall, cpu = time.perf_counter() - wall, time.process_time() - cpu
        print("pandas {} read_csv: {} rows x {} columns in {:.1f} ms (CPU {:.1f} ms)".format(
            pd.__version__, len(frame), len(frame.columns), wall * 1e3, cpu * 1e3))
        if best is None or wall < best[0]:
            best = (wall, cpu)
    print("csv_bytes={}".format(os.path.getsize(csv)))
    print("read_csv_seconds={:.6f}".format(best[0]))
    print("read_csv_cpu_seconds={:.6f}".format(best[1]))


if __name__ == "__main__":
    main()
