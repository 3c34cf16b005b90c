#!/usr/bin/env python3
# Writes the seed corpus of avi_header_fuzz from AVIs that ffmpeg makes: the header part of each file
# (up to the start of the movi list), and an OpenDML variant with the extended header filled in as
# ffmpeg does for a file over 1 GB.
import os, struct, subprocess, tempfile

here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "avi_header_fuzz")
os.makedirs(here, exist_ok=True)

def head(path):
    data = open(path, "rb").read()
    movi = data.find(b"movi")
    return data[: movi + 4 + 64]

with tempfile.TemporaryDirectory() as tmp:
    made = {}
    for name, rate, extra in (("mpeg4_25", "25", []), ("mpeg4_2997", "30000/1001", []),
                              ("with_audio", "25", ["-f", "lavfi", "-i", "sine=d=1", "-c:a", "pcm_s16le"])):
        out = os.path.join(tmp, name + ".avi")
        subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", f"testsrc=size=32x24:rate={rate}", *extra,
                        "-t", "1", "-c:v", "mpeg4", "-y", out], check=True)
        made[name] = head(out)
    for name, data in made.items():
        open(os.path.join(here, name), "wb").write(data)
    # OpenDML: the reserved JUNK holding "odml" becomes LIST odml with dmlh = 3000 frames.
    data = bytearray(made["mpeg4_25"])
    at = data.find(b"odml") - 8
    assert data[at:at + 4] == b"JUNK"
    data[at:at + 4] = b"LIST"
    struct.pack_into("<I", data, at + 20, 3000)
    open(os.path.join(here, "opendml_3000_frames"), "wb").write(bytes(data))
