#!/usr/bin/env python3
"""Writes the scrambled security signatures as C++ (security_signatures.inc).

    scramble.py security_signatures.txt OUTPUT.inc

Each text is stored as bytes raised (mod 256) by the outputs of the classic
runtime-library random generator (state * 214013 + 2531011 mod 2^32, output
bits 16..30), started from a seed of its own. The seed is the first one from
the text's own number on whose bytes none comes out zero, so the stored
text ends at its terminating zero only.
"""

import sys


def outputs(seed):
    state = seed & 0xFFFFFFFF
    while True:
        state = (state * 214013 + 2531011) & 0xFFFFFFFF
        yield (state >> 16) & 0x7FFF


def scramble(text, seed):
    return bytes((b + r) & 0xFF for b, r in zip(text, outputs(seed)))


def main():
    source, target = sys.argv[1], sys.argv[2]
    entries = []
    with open(source, encoding="ascii") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            name, _, text = (part.strip() for part in line.partition("="))
            entries.append((name, text.encode("ascii")))
    lines = ["// Made by ui/scramble.py from ui/security_signatures.txt; do not edit.", ""]
    for number, (name, text) in enumerate(entries):
        seed = 0x1F3 + number * 977
        while 0 in scramble(text, seed):
            seed += 1
        data = "".join("\\x%02X" % b for b in scramble(text, seed))
        lines.append('constexpr ScrambledText %s{%du, "%s"};' % (name, seed, data))
    with open(target, "w", encoding="ascii") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
