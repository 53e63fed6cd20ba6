#!/usr/bin/python3
"""Scores the blank-column inference of pandas' read_fwf (its inference over the 100 first lines) on the
exports made by `detect_score make FOLDER N`, with the same rule as `detect_score score FOLDER`."""
import glob
import os
import sys

from pandas.io.parsers.python_parser import FixedWidthReader


def score(truth, cuts):
    right = wrong = 0
    taken = [False] * len(truth)
    for cut in cuts:
        hit = next((i for i, (lo, hi) in enumerate(truth) if not taken[i] and lo <= cut <= hi), None)
        if hit is None:
            wrong += 1
        else:
            taken[hit] = True
            right += 1
    return right, wrong, taken.count(False)


def main(folder):
    right = wrong = missed = 0
    for path in sorted(glob.glob(os.path.join(folder, "*.txt"))):
        with open(path[:-4] + ".cuts") as f:
            truth = [tuple(map(int, line.split())) for line in f]
        try:  # columns are characters: a UTF-8 file is read as UTF-8
            open(path, encoding="utf-8").read()
            encoding = "utf-8"
        except UnicodeDecodeError:
            encoding = "latin-1"
        with open(path, encoding=encoding) as f:
            reader = FixedWidthReader(f, "infer", " \t", None, None, 100)
        # The reader keeps the column extents it inferred from the first 100 lines as (start, end) pairs.
        extents = next(v for k, v in vars(reader).items() if k.startswith("col"))
        r, w, m = score(truth, [start + 1 for start, _ in extents[1:]])
        right, wrong, missed = right + r, wrong + w, missed + m
    p = right / max(1, right + wrong)
    r = right / max(1, right + missed)
    print("pandas read_fwf: precision %.3f recall %.3f F1 %.3f" % (p, r, 2 * p * r / max(1e-9, p + r)))


if __name__ == "__main__":
    main(sys.argv[1])
