#!/usr/bin/python3
"""imagetool frames over the GIF suite in tests/data against the suite's expected
frames composited over the same background, pixel for pixel (Pillow reads
the expected PNGs and the GIFs' own delays and frame rectangles).

Where the viewer's rules differ from the suite's expectation, the viewer's
own rule is checked instead:
- Width/Height are the union of the frame extents, not the logical screen
  (animated_transparent_loop_frames_out_of_bounds: 300 x 110 instead of
  100 x 100); the expected frames are compared with the top-left part that
  the suite's screen shows.
- Delays are never below the viewer's minimum delay of 50 ms (the static
  files have delay 0).

Usage: frames_conformance.py WINE_RUN IMAGETOOL SUITE_GIFS OUTDIR
"""
import glob
import os
import subprocess
import sys

from PIL import Image

BACKGROUND = (0x40, 0x80, 0xC0)
MINIMUM_DELAY = 50


def gif_facts(path):
    """Frame count, union of the frame rectangles, delays as the viewer reports them."""
    im = Image.open(path)
    right = bottom = 0
    delays = []
    for k in range(getattr(im, "n_frames", 1)):
        im.seek(k)
        x0, y0, x1, y1 = im.tile[0][1] if im.tile else (0, 0) + im.size
        right, bottom = max(right, x1), max(bottom, y1)
        delays.append(max(im.info.get("duration", 0), MINIMUM_DELAY))
    return len(delays), right, bottom, delays


def main():
    wine_run, tool, suite, out = sys.argv[1:5]
    failures = []
    checked = 0
    for gif in sorted(glob.glob(os.path.join(suite, "*.gif"))):
        name = os.path.splitext(os.path.basename(gif))[0]
        folder = os.path.join(out, name)
        os.makedirs(folder, exist_ok=True)
        for old in glob.glob(os.path.join(folder, "*.bmp")):
            os.remove(old)
        # Output goes through a file: Wine's helper processes inherit a pipe
        # and would hold it open long after the program has ended.
        log = os.path.join(folder, "stdout.txt")
        with open(log, "w") as out_file:
            run = subprocess.run([wine_run, tool, "frames", "Z:" + gif, "Z:" + folder, "--background", "4080C0"],
                                 stdout=out_file, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL, timeout=300)
        with open(log) as in_file:
            run.stdout = in_file.read()
        lines = run.stdout.split()
        fields = dict(item.split("=") for item in lines[:4] if "=" in item)
        expected = sorted(glob.glob(os.path.join(suite, "frames", name + "-*.png"))) or \
            [os.path.join(suite, "frames", name + ".png")]
        count, width, height, delays = gif_facts(gif)
        header = (int(fields.get("frames", 0)), int(fields.get("width", 0)), int(fields.get("height", 0)))
        if run.returncode != 0 or header != (count, width, height) or count != len(expected):
            failures.append(f"{name}: status {run.returncode}, header {header}, wanted {(count, width, height)} "
                            f"and {len(expected)} expected frames")
            continue
        frame_lines = [l for l in run.stdout.splitlines() if l.startswith("frame=")]
        for k, png in enumerate(expected, start=1):
            delay = int(dict(i.split("=") for i in frame_lines[k - 1].split())["delay"])
            if delay != delays[k - 1]:
                failures.append(f"{name} frame {k}: delay {delay}, wanted {delays[k - 1]}")
            want_rgba = Image.open(png).convert("RGBA")
            want = Image.new("RGB", want_rgba.size, BACKGROUND)
            want.paste(want_rgba, mask=want_rgba)
            got = Image.open(os.path.join(folder, "frame-%03d.bmp" % k)).convert("RGB")
            got = got.crop((0, 0) + want.size)
            a, b = want.tobytes(), got.tobytes()
            wrong = sum(1 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3])
            checked += 1
            if wrong:
                failures.append(f"{name} frame {k}: {wrong} pixels differ")
    for f in failures:
        print("FAIL", f)
    print(f"{checked} frames compared, {len(failures)} failures")
    return 1 if failures or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
