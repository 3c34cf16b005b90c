#!/usr/bin/env python3
# Writes tests/data/codepages/single_byte.txt: byte -> Unicode of every one-byte code page the program
# offers that Python's codecs know from a published mapping file (Unicode's vendor and ISO 8859 tables,
# Apple's), so the codec's tables, which come from glibc, are checked against a source of their own.
#   tests/data/make/make_code_page_tables.py
# A line per page: the page number, then 256 fields, one per byte: the code point in hex, "-" where the page
# defines no character. Where several bytes give one character, writing it may give any of them.
import codecs
import os

# Windows page number -> Python codec. Left out: pages Python has no codec for (708, 870, 1047, 1141-1149,
# 10017, the IA5 and T.61 pages, 20269, 20277-20297, 20420, 20423, 20871, 20880, 20905, 21025) and 20273,
# whose Python table is Python's own rather than a published one.
PAGES = {
    37: "cp037", 437: "cp437", 500: "cp500", 737: "cp737", 775: "cp775", 850: "cp850", 852: "cp852",
    855: "cp855", 857: "cp857", 858: "cp858", 860: "cp860", 861: "cp861", 862: "cp862", 863: "cp863",
    864: "cp864", 865: "cp865", 866: "cp866", 869: "cp869", 874: "cp874", 875: "cp875", 1026: "cp1026",
    1140: "cp1140", 1250: "cp1250", 1251: "cp1251", 1252: "cp1252", 1253: "cp1253", 1254: "cp1254",
    1255: "cp1255", 1256: "cp1256", 1257: "cp1257", 1258: "cp1258", 10000: "mac_roman",
    10007: "mac_cyrillic", 10029: "mac_latin2", 10079: "mac_iceland", 20127: "ascii", 20424: "cp424",
    20866: "koi8_r", 21866: "koi8_u", 28591: "iso8859_1", 28592: "iso8859_2", 28593: "iso8859_3",
    28594: "iso8859_4", 28595: "iso8859_5", 28596: "iso8859_6", 28597: "iso8859_7", 28598: "iso8859_8",
    28599: "iso8859_9", 28603: "iso8859_13", 28605: "iso8859_15", 38598: "iso8859_8",
}


def field(codec, b):
    try:
        text = bytes([b]).decode(codec)
    except UnicodeDecodeError:
        return "-"
    assert len(text) == 1, (codec, b)
    return "%04X" % ord(text)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    dest = os.path.join(here, "..", "codepages", "single_byte.txt")
    os.makedirs(os.path.dirname(dest), exist_ok=True)
    with open(dest, "w", encoding="ascii") as f:
        f.write("# Made by tests/data/make/make_code_page_tables.py from Python's codecs; do not edit.\n")
        for page, codec in sorted(PAGES.items()):
            codecs.lookup(codec)
            f.write("%d %s\n" % (page, " ".join(field(codec, b) for b in range(256))))


main()
