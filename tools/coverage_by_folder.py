#!/usr/bin/env python3
"""Prints line and branch coverage per source folder from gcovr's JSON summary
(gcovr 5 reports per file and in total only).

Usage: coverage_by_folder.py SUMMARY.json
"""
import json
import os
import sys
from collections import defaultdict


def percent(covered, total):
    return f"{100.0 * covered / total:5.1f} %" if total else "    - "


def main(path):
    with open(path) as f:
        summary = json.load(f)
    folders = defaultdict(lambda: [0, 0, 0, 0])
    for entry in summary["files"]:
        counts = folders[os.path.dirname(entry["filename"]) or "."]
        for i, key in enumerate(("line_covered", "line_total", "branch_covered", "branch_total")):
            counts[i] += entry[key]
    rows = [(name, *counts) for name, counts in sorted(folders.items())]
    rows.append(("total", summary["line_covered"], summary["line_total"],
                 summary["branch_covered"], summary["branch_total"]))
    width = max(len(row[0]) for row in rows)
    print(f"{'folder':<{width}}  {'lines':>19}  {'branches':>19}")
    for name, lines, line_total, branches, branch_total in rows:
        if name == "total":
            print("-" * (width + 42))
        print(f"{name:<{width}}  {f'{lines}/{line_total}':>11} {percent(lines, line_total)}"
              f"  {f'{branches}/{branch_total}':>11} {percent(branches, branch_total)}")

if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
