#!/usr/bin/env python3
"""Compares two outputs of build/bench/exact_paths_dump (two builds of the exact intersection on the same pairs):
prints the pairs that differ in what they find (counts of meeting points and stretches, touches, the work
limit) and the pairs whose parameters differ, with the largest difference.

Usage: scripts/compare_exact_dumps.py OLD NEW
"""
import sys


def load(path):
    pairs = []
    with open(path) as f:
        for line in f:
            if line.startswith(' '):
                pairs[-1][1].append(line.split())
            else:
                pairs.append((line.strip(), []))
    return pairs


def main():
    old, new = load(sys.argv[1]), load(sys.argv[2])
    if len(old) != len(new):
        print('different numbers of pairs: %d, %d' % (len(old), len(new)))
        return 1
    differing = 0
    moved = []
    for (head_a, rows_a), (head_b, rows_b) in zip(old, new):
        same_kind = head_a == head_b and len(rows_a) == len(rows_b) and all(
            x[0] == y[0] and (x[0] != 'x' or x[5] == y[5]) for x, y in zip(rows_a, rows_b))
        if not same_kind:
            differing += 1
            print('differs:', head_a, '|', head_b)
            continue
        largest = 0.0
        for x, y in zip(rows_a, rows_b):
            columns = [1, 2] if x[0] == 'x' else [1, 2, 3, 4]
            largest = max([largest] + [abs(float(x[i]) - float(y[i])) for i in columns])
        if largest > 0:
            moved.append((largest, head_a))
    moved.sort(reverse=True)
    for largest, head in moved[:10]:
        print('parameters moved by up to %.3g: %s' % (largest, head))
    print('%d pairs; %d differ in what they find; %d have parameters that moved, by up to %.3g' %
          (len(old), differing, len(moved), moved[0][0] if moved else 0.0))
    return 1 if differing else 0


if __name__ == '__main__':
    sys.exit(main())
