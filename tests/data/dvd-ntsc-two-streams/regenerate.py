#!/usr/bin/env python3
"""Regenerates this folder: an NTSC title set with two subpicture streams (0x20 and 0x21) of different text.

Run from the repository root: tests/data/dvd-ntsc-two-streams/regenerate.py ../shared/tools/make-dvd-fixture
The second stream has other times than the first so that a pass that mixed the streams up would show it.
"""
import importlib.machinery, importlib.util, os, shutil, sys

tool = sys.argv[1]
loader = importlib.machinery.SourceFileLoader("fixture_tool", tool)
spec = importlib.util.spec_from_loader("fixture_tool", loader)
mod = importlib.util.module_from_spec(spec)
loader.exec_module(mod)

first = mod.timed([["Two streams, first one"], ["The first stream again"], ["Its third line", "in two rows"],
                   ["And the fourth"]], start=1000, dur=2000, gap=600)
second = mod.timed([["Second stream here"], ["Later, the second one"], ["Its last line"]],
                   start=1700, dur=2300, gap=900)
os.makedirs(os.path.expanduser("~/.spumux"), exist_ok=True)
font = os.path.expanduser("~/.spumux/DejaVuSans.ttf")
if not os.path.exists(font):
    shutil.copy("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", font)
import tempfile
here = os.path.dirname(os.path.abspath(__file__))
work = tempfile.mkdtemp()
# build() starts from an empty folder, so it works in a scratch folder and the result is copied here.
mod.build(work, "set", [first, second], fmt="NTSC", langs=["en", "de"])
shutil.rmtree(os.path.join(here, "dvd"), ignore_errors=True)
for name in os.listdir(os.path.join(work, "set")):
    src = os.path.join(work, "set", name)
    (shutil.copytree if os.path.isdir(src) else shutil.copy)(src, os.path.join(here, name))
shutil.rmtree(work)
