#!/usr/bin/env python3
# Prints the rows of FoldRuns in search/CaseFold.cpp: Unicode simple case folding taken
# from this Python's character database. A character whose full folding is one character
# folds to it; one whose full folding is longer folds to its lower case when that is one
# character (the simple mapping), else to itself.
import sys

pairs = []
for cp in range(0x110000):
    if 0xD800 <= cp <= 0xDFFF:
        continue
    c = chr(cp)
    f = c.casefold()
    if len(f) == 1:
        t = ord(f)
    else:
        low = c.lower()
        t = ord(low) if len(low) == 1 else cp
    if t != cp:
        pairs.append((cp, t))

# Runs of code points with the same delta, one or two apart.
i = 0
while i < len(pairs):
    cp, t = pairs[i]
    d = t - cp
    best = (1, 1)
    for stride in (1, 2):
        n = 1
        while i + n < len(pairs) and pairs[i + n][0] == cp + n * stride and pairs[i + n][1] - pairs[i + n][0] == d:
            n += 1
        if n > best[0]:
            best = (n, stride)
    print("    {0x%04X, %d, %d, %d}," % (cp, best[0], best[1], d))
    i += best[0]
