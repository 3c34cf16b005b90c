#!/usr/bin/env python3
# Writes the seed corpus of subtitle_reader_fuzz: one small file per format, in the layouts our writers use.
# Each seed starts with the route byte (0 the loader, 1-14 one reader) and the mode byte.
import os

here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "subtitle_reader_fuzz")
seeds = {
    "gxt": (1, "1\r\n00:00:01,250 --> 00:00:03,995  X1:100 X2:620 Y1:400 Y2:500\r\n<font color=\"#ff8000\">{y:i}Hi</font>\r\nTwo\r\n\r\n2\r\n00:00:04,000 --> 00:00:05,000\r\nx\r\n"),
    "microdvd": (2, "{1}{1}25.000\r\n{31}{100}{Y:bi}One|Two\r\n{125}{}x\r\n"),
    "mpl2": (3, "[12][40]A|B\r\n[50][]C\r\n"),
    "tmplayer": (4, "00:00:01:Hello|there\r\n0:00:03=x\r\n00:00:05:\r\n"),
    "tmplayer_numbered": (5, "00:00:01,1=A\r\n00:00:01,2=B C \r\n00:00:04,1=D\r\n00:00:04,2=\r\n"),
    "mpl": (6, "31,100,0,A|B\r\n"),
    "dks": (7, "[00:00:01]A[br]B\r\n[00:00:03]\r\n"),
    "macsub": (8, "/31\r\nA\r\nB\r\n/100\r\n/125\r\n/150\r\n"),
    "viplay": (9, "{* VIPLAY SUBTITLE FILE *}\r\n00:00:01,250-00:00:03,995=A|B\r\n"),
    "zerog": (10, "% Zero G 1.0\r\n\r\nE 1 0:00:01.25 0:00:04.00 Default NTP A\\nB\r\n"),
    "turbotitler": (11, "0:00:01.25,0:00:04.00,NTP A|B\r\n"),
    "powerdivx": (12, "{00:00:01}{00:00:04}A|B\r\n"),
    "phoenix": (13, "     31,    100, \"A|B\"\r\n"),
    "subviewer2": (14, "[INFORMATION]\r\n[TITLE]T\r\n[DELAY]0\r\n[END INFORMATION]\r\n[SUBTITLE]\r\n"
                       "[COLF]&HFFFFFF,[STYLE]bd,[SIZE]18,[FONT]Arial\r\n00:00:00.00,00:00:00.10\r\n\r\n\r\n"
                       "00:00:01.25,00:00:03.99\r\n<font color=\"#00ff80\">A</font>[br]B\r\n\r\n"),
}
os.makedirs(here, exist_ok=True)
for name, (route, text) in seeds.items():
    for loader in (False, True):
        data = bytes([0 if loader else route, 0x11]) + text.encode("cp1252")
        with open(os.path.join(here, ("load_" if loader else "read_") + name), "wb") as f:
            f.write(data)
# A UTF-16 file with its mark, through the loader.
with open(os.path.join(here, "load_gxt_utf16"), "wb") as f:
    f.write(bytes([0, 0x22]) + b"\xff\xfe" + seeds["gxt"][1].encode("utf-16-le"))
