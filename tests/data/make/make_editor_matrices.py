#!/usr/bin/env python3
"""Write the matrix editor's golden files, independently of the program's own writer.

  tests/data/make/make_editor_matrices.py tests/data/matrix
editor_before.gxc: four entries "A" (bold), "b", "take with next", "c" (italic), comment "Latin".
editor_after.gxc: what deleting "b", changing "c" to "d" in bold and typing " letters" after the comment
leaves: "A", "take with next", "d" (bold), comment "Latin letters".
"""
import os, struct, sys

MAGIC = b"Glyfex_Char_Matrix_Fil3"

def entry(text, style, rows, dy=0):
    width = max(len(r) for r in rows)
    out = bytes([dy, width, len(rows), style, len(text)])
    out += b"".join(struct.pack("<H", ord(ch)) for ch in text)
    for r in rows:
        bits = r.ljust(width, ".")
        for b in range(0, width, 8):
            byte = 0
            for j, ch in enumerate(bits[b:b + 8]):
                if ch == "#":
                    byte |= 0x80 >> j
            out += bytes([byte])
    return out

def matrix(comment, entries):
    out = MAGIC + bytes([len(comment)]) + b"".join(struct.pack("<H", ord(c)) for c in comment)
    out += struct.pack("<H", len(entries))
    return out + b"".join(entries)

A = ("A", 1, [".##.", "#..#", "####", "#..#"])
B = ("b", 0, ["#...", "###.", "#..#", "###."])
T = ("take with next", 0, ["#########", "#.......#"])
C = ("c", 2, [".###", "#...", ".###"])
D = ("d", 1, C[2])

def main(out):
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "editor_before.gxc"), "wb") as f:
        f.write(matrix("Latin", [entry(*A), entry(*B), entry(*T, dy=1), entry(*C, dy=2)]))
    with open(os.path.join(out, "editor_after.gxc"), "wb") as f:
        f.write(matrix("Latin letters", [entry(*A), entry(*T, dy=1), entry(*D, dy=2)]))

if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "tests/data/matrix")
