#!/usr/bin/env python3
"""Make a short NTSC title set with two subpicture streams in two languages (English, French).

Needs ffmpeg, dvdauthor (spumux, dvdauthor) and fonts-dejavu-core. Run by hand; the result is checked in:
  tests/data/make/make_two_stream_dvd.py tests/data/dvd-ntsc-two-streams
writes OUT/dvd/VIDEO_TS (VIDEO_TS.IFO/BUP, VTS_01_0.IFO/BUP, VTS_01_1.VOB). Stream 0 is English, stream 1
French (spumux -s 0 and -s 1, dvdauthor --subpictures en,fr); each carries two short subtitles.
"""
import os, shutil, subprocess, sys, tempfile

FONT = "DejaVuSans.ttf"
SUBS = {
    0: [(500, 1500, "First line"), (2000, 3000, "Second line")],
    1: [(700, 1700, "Premiere ligne"), (2200, 3200, "Deuxieme ligne")],
}

def run(cmd, **kw):
    r = subprocess.run(cmd, capture_output=True, **kw)
    if r.returncode:
        sys.exit(f"failed: {' '.join(cmd)}\n{r.stderr.decode(errors='replace')[-2000:]}")
    return r

def srt_time(ms):
    return "%02d:%02d:%02d,%03d" % (ms // 3600000, ms // 60000 % 60, ms // 1000 % 60, ms % 1000)

def main(out):
    os.makedirs(os.path.expanduser("~/.spumux"), exist_ok=True)
    font = os.path.expanduser(f"~/.spumux/{FONT}")
    if not os.path.exists(font):
        shutil.copy(f"/usr/share/fonts/truetype/dejavu/{FONT}", font)
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    with tempfile.TemporaryDirectory() as tmp:
        cur = os.path.join(tmp, "video.mpg")
        run(["ffmpeg", "-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i", "color=c=black:s=720x480:r=30000/1001",
             "-f", "lavfi", "-i", "anullsrc=r=48000:cl=stereo", "-t", "4", "-target", "ntsc-dvd",
             "-b:v", "100k", "-maxrate", "1000k", "-bufsize", "224k", "-b:a", "64k", "-y", cur])
        for k, subs in SUBS.items():
            srt = os.path.join(tmp, f"s{k}.srt")
            with open(srt, "w", encoding="utf-8") as f:
                for i, (a, b, text) in enumerate(subs, 1):
                    f.write(f"{i}\n{srt_time(a)} --> {srt_time(b)}\n{text}\n\n")
            xml = os.path.join(tmp, f"s{k}.xml")
            with open(xml, "w") as f:
                f.write(f'''<subpictures format="NTSC"><stream>
<textsub filename="{srt}" characterset="UTF-8" fontsize="28" font="{FONT}" horizontal-alignment="center"
 vertical-alignment="bottom" left-margin="60" right-margin="60" top-margin="20" bottom-margin="30"
 subtitle-fps="29.97" movie-fps="29.97" movie-width="720" movie-height="480" force="no"/>
</stream></subpictures>''')
            nxt = os.path.join(tmp, f"s{k}.mpg")
            with open(cur, "rb") as fi, open(nxt, "wb") as fo:
                r = subprocess.run(["spumux", f"-s{k}", xml], stdin=fi, stdout=fo, stderr=subprocess.PIPE)
                if r.returncode:
                    sys.exit(r.stderr.decode(errors="replace")[-2000:])
            cur = nxt
        env = dict(os.environ, VIDEO_FORMAT="NTSC")
        dvd = os.path.join(out, "dvd")
        run(["dvdauthor", "-o", dvd, "-t", "--subpictures", "en,fr", cur], env=env)
        run(["dvdauthor", "-o", dvd, "-T"], env=env)
    print(out, "ok")

if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
