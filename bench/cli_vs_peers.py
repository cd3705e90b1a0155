#!/usr/bin/python3
"""Times morvane-cli beside ImageMagick, Pillow and icoutils on the same tasks.

Every tool runs as a whole process, start-up included, as a script or build pipeline would run
it. Each command runs --runs times (after one warm-up run) into an emptied output folder; the
table gives the median and the fastest run in milliseconds and, per peer, how many times longer
its median is than morvane-cli's.

    bench/cli_vs_peers.py --cli build-bench/src/cli/morvane-cli [--runs 15] [--dir /tmp]

Outputs go to a fresh folder under --dir: the file system decides what flushing a file to disk
costs (morvane-cli flushes every output before renaming it into place; the peers do not).
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TESTDATA = os.path.normpath(os.path.join(HERE, "..", "..", "shared", "testdata"))
SIZES = [256, 128, 96, 64, 48, 32, 16]
PYTHON = "/usr/bin/python3"


def have(tool):
    return shutil.which(tool) is not None


def pillow_available():
    return subprocess.run([PYTHON, "-c", "import PIL.Image"], capture_output=True).returncode == 0


def make_source(path):
    """A 256 x 256 RGBA picture with soft edges and half-transparent areas."""
    script = (
        "import sys\n"
        "from PIL import Image, ImageDraw, ImageFilter\n"
        "im = Image.new('RGBA', (256, 256), (0, 0, 0, 0))\n"
        "d = ImageDraw.Draw(im)\n"
        "d.ellipse((16, 16, 240, 240), fill=(200, 60, 40, 255))\n"
        "d.rectangle((90, 90, 200, 200), fill=(30, 90, 220, 140))\n"
        "d.text((60, 110), 'Morvane', fill=(255, 255, 255, 255))\n"
        "im = im.filter(ImageFilter.GaussianBlur(1.5))\n"
        "im.save(sys.argv[1])\n"
        "for s in %r:\n"
        "    im.resize((s, s), Image.LANCZOS).save(sys.argv[1][:-4] + '_%%d.png' %% s)\n" % SIZES
    )
    subprocess.run([PYTHON, "-c", script, path], check=True)


def make_library(cli, folder):
    """An icon library of 300 groups (about 7.5 MB), larger than any program at hand."""
    icon = os.path.join(folder, "three.ico")
    subprocess.run([cli, "convert", os.path.join(folder, "source.png"), icon, "--sizes",
                    "48,32,16", "--formats", "32,8,4"], check=True)
    library = os.path.join(folder, "big.icl")
    subprocess.run([cli, "convert"] + [icon] * 300 + [library], check=True)
    return library


def time_commands(commands, out, runs):
    """Median and fastest wall time in ms of running the command list (one after the other)."""
    times = []
    for run in range(runs + 1):
        shutil.rmtree(out, ignore_errors=True)
        os.makedirs(out)
        start = time.perf_counter()
        for command in commands:
            subprocess.run(command, check=True, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        elapsed = (time.perf_counter() - start) * 1000.0
        if run > 0:  # the first run only warms the caches
            times.append(elapsed)
    return statistics.median(times), min(times)


def tasks(cli, work, out, library, user32):
    src = os.path.join(work, "source.png")
    icon = os.path.join(work, "seven.ico")
    sizes = ",".join(str(s) for s in SIZES)
    pil_sizes = [(s, s) for s in SIZES]
    build = [
        ("morvane-cli", [[cli, "convert", src, os.path.join(out, "a.ico"), "--sizes", sizes]]),
        ("ImageMagick", [["convert", src, "-define", "icon:auto-resize=" + sizes,
                          os.path.join(out, "a.ico")]]),
        ("Pillow", [[PYTHON, "-c",
                     "import sys\nfrom PIL import Image\n"
                     "Image.open(sys.argv[1]).save(sys.argv[2], sizes=%r)" % pil_sizes,
                     src, os.path.join(out, "a.ico")]]),
        # icotool cannot scale: it packs the seven sizes made beforehand.
        ("icotool -c (pre-scaled)", [["icotool", "-c", "-o", os.path.join(out, "a.ico")] +
                                     [src[:-4] + "_%d.png" % s for s in SIZES]]),
    ]
    decode = [
        ("morvane-cli", [[cli, "extract", icon, out]]),
        ("ImageMagick", [["convert", icon, os.path.join(out, "f%d.png")]]),
        ("Pillow", [[PYTHON, "-c",
                     "import sys\nfrom PIL import Image\n"
                     "ico = Image.open(sys.argv[1])\n"
                     "for i, s in enumerate(sorted(ico.info['sizes'], reverse=True)):\n"
                     "    ico.ico.getimage(s).save('%s/%d.png' % (sys.argv[2], i))\n",
                     icon, out]]),
        ("icotool -x", [["icotool", "-x", "-o", out, icon]]),
    ]
    program = [
        ("morvane-cli (icons and cursors)", [[cli, "extract", user32, out]]),
        ("wrestool (icons and cursors)", [["wrestool", "-x", "--type=14", "-o", out, user32],
                                          ["wrestool", "-x", "--type=12", "-o", out, user32]]),
        ("wrestool (icons only)", [["wrestool", "-x", "--type=14", "-o", out, user32]]),
    ]
    big = [
        ("morvane-cli", [[cli, "extract", library, out]]),
        ("wrestool", [["wrestool", "-x", "--type=14", "-o", out, library]]),
    ]
    return [
        ("Build a 7-size icon from a 256 x 256 PNG", build),
        ("Decode every frame of that icon to PNG", decode),
        ("Extract every group of user32.dll (7 icon, 28 cursor groups)", program),
        ("Extract every group of a 300-group icon library (7.5 MB)", big),
    ]


def tool_available(command):
    tool = command[0][0]
    if tool == PYTHON:
        return pillow_available()
    return os.path.isabs(tool) and os.access(tool, os.X_OK) or have(tool)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--cli", required=True, help="path of the morvane-cli program")
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--dir", default=tempfile.gettempdir(),
                        help="folder under which inputs and outputs are written")
    args = parser.parse_args()
    cli = os.path.abspath(args.cli)
    if not pillow_available():
        sys.exit("Pillow is needed to make the test picture")
    work = tempfile.mkdtemp(prefix="morvane-bench-", dir=args.dir)
    try:
        make_source(os.path.join(work, "source.png"))
        subprocess.run([cli, "convert", os.path.join(work, "source.png"),
                        os.path.join(work, "seven.ico"), "--sizes",
                        ",".join(str(s) for s in SIZES)], check=True)
        library = make_library(cli, work)
        user32 = os.path.join(TESTDATA, "pe", "wine64", "user32.dll")
        out = os.path.join(work, "out")
        print("%d runs each, outputs under %s" % (args.runs, args.dir))
        for title, commands in tasks(cli, work, out, library, user32):
            print("\n" + title)
            print("  %-34s %9s %9s %8s" % ("tool", "median", "fastest", "ratio"))
            ours = None
            for tool, command in commands:
                if not tool_available(command):
                    print("  %-34s %9s" % (tool, "missing"))
                    continue
                median, fastest = time_commands(command, out, args.runs)
                if ours is None:
                    ours = median
                print("  %-34s %7.1fms %7.1fms %7.1fx" % (tool, median, fastest, median / ours))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
