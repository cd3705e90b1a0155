#!/usr/bin/python3
"""Times morvane-cli beside ImageMagick, Pillow and icoutils on the same tasks.

Every tool runs as a whole process, start-up included, as a script or build pipeline would run
it. Each round runs every tool of a task once, in turn, into an emptied output folder, so that
the machine's load changes hit all of them alike; the first round only warms the caches. The
table gives, per tool, the median and fastest wall time, the median CPU time (user + system)
and the largest maximum resident size, and how many times longer its median wall time is than
morvane-cli's.

    bench/cli_vs_peers.py --cli build/src/cli/morvane-cli [--before OLD-CLI] [--runs 15]
                          [--dir /tmp] [--only start,build,...]

--before adds a second morvane-cli (an older build) to every task, measured in the same
rounds. Outputs go to a fresh folder under --dir: the file system decides what flushing a file
costs (morvane-cli flushes an output only when it replaces an existing file).
"""

import argparse
import os
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def find_testdata():
    """The shared test files: ../shared/testdata of the checkout or of a folder above it."""
    folder = HERE
    for _ in range(4):
        folder = os.path.dirname(folder)
        candidate = os.path.join(folder, "shared", "testdata")
        if os.path.isdir(candidate):
            return candidate
    return os.path.join(HERE, "..", "..", "shared", "testdata")


TESTDATA = find_testdata()
SIZES = [256, 128, 96, 64, 48, 32, 16]
PYTHON = "/usr/bin/python3"
RUN_MEASURED = None  # bench/run_measured.c, built into the work folder by main()


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


def run_once(command):
    """Wall ms, CPU ms (user + system) and maximum resident KiB of one process."""
    result = subprocess.run([RUN_MEASURED] + command, capture_output=True, text=True)
    if result.returncode != 0:
        raise RuntimeError("failed: %s" % " ".join(command))
    wall, cpu, rss = (int(v) for v in result.stdout.split())
    return wall / 1000.0, cpu / 1000.0, rss


def time_task(tools, out, runs):
    """Per tool: the wall, CPU and peak memory of each round, the tools run in turn."""
    samples = {name: [] for name, _ in tools}
    for run in range(runs + 1):
        for name, commands in tools:
            shutil.rmtree(out, ignore_errors=True)
            os.makedirs(out)
            wall = cpu = rss = 0
            for command in commands:
                w, c, r = run_once(command)
                wall, cpu, rss = wall + w, cpu + c, max(rss, r)
            if run > 0:  # the first round only warms the caches
                samples[name].append((wall, cpu, rss))
    return samples


def icon_png_size(icon):
    """The size of the first PNG image stored in an icon file."""
    with open(icon, "rb") as f:
        data = f.read()
    count = struct.unpack_from("<H", data, 4)[0]
    for i in range(count):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * i + 8)
        if data[offset:offset + 8] == b"\x89PNG\r\n\x1a\n":
            return size
    return None


def compile_helper(source, output, libraries=()):
    subprocess.run(["cc", "-O2", os.path.join(HERE, source), "-o", output] + list(libraries),
                   check=True)
    return output


def tasks(clis, work, out, library, user32, floor):
    """The tasks, each a list of (tool, commands); clis is [(name, path)] of our builds."""
    src = os.path.join(work, "source.png")
    icon = os.path.join(work, "seven.ico")
    small = os.path.join(work, "three.ico")
    sizes = ",".join(str(s) for s in SIZES)
    pil_sizes = [(s, s) for s in SIZES]
    start = [("C program that only exits", [[floor]])]
    start += [(name + " --version", [[cli, "--version"]]) for name, cli in clis]
    start += [(name + " info", [[cli, "info", small]]) for name, cli in clis]
    start += [("icotool -l", [["icotool", "-l", small]])]
    build = [(name, [[cli, "convert", src, os.path.join(out, "a.ico"), "--sizes", sizes]])
             for name, cli in clis]
    build += [
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
    decode = [(name, [[cli, "extract", icon, out]]) for name, cli in clis]
    decode += [
        ("ImageMagick", [["convert", icon, os.path.join(out, "f%d.png")]]),
        ("Pillow", [[PYTHON, "-c",
                     "import sys\nfrom PIL import Image\n"
                     "ico = Image.open(sys.argv[1])\n"
                     "for i, s in enumerate(sorted(ico.info['sizes'], reverse=True)):\n"
                     "    ico.ico.getimage(s).save('%s/%d.png' % (sys.argv[2], i))\n",
                     icon, out]]),
        ("icotool -x", [["icotool", "-x", "-o", out, icon]]),
    ]
    program = [(name + " (icons and cursors)", [[cli, "extract", user32, out]])
               for name, cli in clis]
    program += [
        ("wrestool (icons and cursors)", [["wrestool", "-x", "--type=14", "-o", out, user32],
                                          ["wrestool", "-x", "--type=12", "-o", out, user32]]),
        ("wrestool (icons only)", [["wrestool", "-x", "--type=14", "-o", out, user32]]),
    ]
    big = [(name, [[cli, "extract", library, out]]) for name, cli in clis]
    big += [("wrestool", [["wrestool", "-x", "--type=14", "-o", out, library]])]
    return [
        ("start", "Start and exit (--version; info on a 3-frame icon)", start),
        ("build", "Build a 7-size icon from a 256 x 256 PNG", build),
        ("decode", "Decode every frame of that icon to PNG", decode),
        ("program", "Extract every group of user32.dll (7 icon, 28 cursor groups)", program),
        ("library", "Extract every group of a 300-group icon library (7.5 MB)", big),
    ]


def tool_available(command):
    tool = command[0][0]
    if tool == PYTHON:
        return pillow_available()
    return os.path.isabs(tool) and os.access(tool, os.X_OK) or have(tool)


def report(tools, samples):
    print("  %-34s %9s %9s %9s %9s %8s" % ("tool", "median", "fastest", "CPU", "max RSS",
                                           "ratio"))
    ours = None
    for tool, _ in tools:
        rows = samples.get(tool)
        if not rows:
            print("  %-34s %9s" % (tool, "missing"))
            continue
        wall = statistics.median(r[0] for r in rows)
        if ours is None:
            ours = wall
        print("  %-34s %7.1fms %7.1fms %7.1fms %6.1fMiB %7.2fx" % (
            tool, wall, min(r[0] for r in rows), statistics.median(r[1] for r in rows),
            max(r[2] for r in rows) / 1024.0, wall / ours))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--cli", required=True, help="path of the morvane-cli program")
    parser.add_argument("--before", help="an older morvane-cli, measured beside --cli")
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--dir", default=tempfile.gettempdir(),
                        help="folder under which inputs and outputs are written")
    parser.add_argument("--only", help="comma-separated task names: start,build,decode,"
                        "program,library")
    args = parser.parse_args()
    clis = [("morvane-cli", os.path.abspath(args.cli))]
    if args.before:
        clis.append(("morvane-cli before", os.path.abspath(args.before)))
    cli = clis[0][1]
    if not pillow_available():
        sys.exit("Pillow is needed to make the test picture")
    work = tempfile.mkdtemp(prefix="morvane-bench-", dir=args.dir)
    try:
        global RUN_MEASURED
        RUN_MEASURED = compile_helper("run_measured.c", os.path.join(work, "run_measured"))
        floor = compile_helper("floor.c", os.path.join(work, "floor"))
        defaults = compile_helper("libpng_defaults.c", os.path.join(work, "libpng_defaults"),
                                  ["-lpng"])
        make_source(os.path.join(work, "source.png"))
        subprocess.run([cli, "convert", os.path.join(work, "source.png"),
                        os.path.join(work, "seven.ico"), "--sizes",
                        ",".join(str(s) for s in SIZES)], check=True)
        library = make_library(cli, work)
        user32 = os.path.join(TESTDATA, "pe", "wine64", "user32.dll")
        out = os.path.join(work, "out")
        print("%d rounds, tools interleaved, outputs under %s" % (args.runs, args.dir))
        ours = icon_png_size(os.path.join(work, "seven.ico"))
        reference = int(subprocess.run([defaults, os.path.join(work, "source.png")], check=True,
                                       capture_output=True, text=True).stdout)
        print("PNG image of the 256 x 256 frame: %d bytes; libpng's defaults: %d bytes (%+.1f%%)"
              % (ours, reference, 100.0 * (ours - reference) / reference))
        only = set(args.only.split(",")) if args.only else None
        for key, title, tools in tasks(clis, work, out, library, user32, floor):
            if only is not None and key not in only:
                continue
            available = [(t, c) for t, c in tools if tool_available(c)]
            print("\n" + title)
            report(tools, time_task(available, out, args.runs))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
