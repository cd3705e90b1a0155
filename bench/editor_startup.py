#!/usr/bin/python3
"""Times the editor from start to its first painted window with a 15-frame icon open.

The editor runs under Xvfb with MORVANE_FIRST_PAINT_EXIT set: on the first paint after it has
opened its file it prints the monotonic clock and its resident memory, and quits. The time is
taken from just before the process is started to that clock; the maximum resident size comes
from the kernel's accounting of the ended process.

    bench/editor_startup.py [--editor build/src/ui/morvane] [--cli build/src/cli/morvane-cli]
                            [--before OLD-EDITOR] [--runs 11]

--before adds an older build of the editor, measured in the same rounds.

The icon: sizes 256, 64, 48, 32 and 16, each in 32 bits, 256 colours and 16 colours. The first
run of each case only warms the caches (and writes the settings of a fresh installation).
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
sys.path.insert(0, HERE)
from cli_vs_peers import make_source  # noqa: E402


def start_xvfb():
    for number in range(140, 200):
        if os.path.exists("/tmp/.X%d-lock" % number):
            continue
        xvfb = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "1280x800x24",
                                 "-nolisten", "tcp"], stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        display = ":%d" % number
        for _ in range(100):
            probe = subprocess.run(["xdpyinfo", "-display", display], capture_output=True)
            if probe.returncode == 0:
                return xvfb, display
            if xvfb.poll() is not None:
                break
            time.sleep(0.05)
        xvfb.kill()
    sys.exit("no display could be started")


def one_run(editor, arguments, env):
    """Milliseconds to the first paint, resident KiB then, and the maximum resident KiB."""
    start = time.monotonic_ns()
    process = subprocess.Popen([editor] + arguments, env=env, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, text=True)
    try:
        line = process.stdout.readline()
        _, status, usage = os.wait4(process.pid, 0)
    finally:
        if process.poll() is None:
            process.kill()
    fields = dict(f.split("=") for f in line.split()[1:]) if line.startswith("first-paint") else {}
    if not fields:
        raise RuntimeError("the editor reported no first paint (status %d)" % status)
    return ((int(fields["monotonic_ns"]) - start) / 1e6, int(fields["rss_kib"]),
            usage.ru_maxrss)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--editor", default=os.path.join(HERE, "..", "build", "src", "ui",
                                                         "morvane"))
    parser.add_argument("--cli", default=os.path.join(HERE, "..", "build", "src", "cli",
                                                      "morvane-cli"))
    parser.add_argument("--before", help="an older editor, measured beside --editor")
    parser.add_argument("--runs", type=int, default=11)
    args = parser.parse_args()
    editor = os.path.abspath(args.editor)
    work = tempfile.mkdtemp(prefix="morvane-startup-")
    xvfb, display = start_xvfb()
    try:
        make_source(os.path.join(work, "source.png"))
        icon = os.path.join(work, "fifteen.ico")
        subprocess.run([os.path.abspath(args.cli), "convert", os.path.join(work, "source.png"),
                        icon, "--sizes", "256,64,48,32,16", "--formats", "32,8,4"], check=True)
        env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                   HOME=os.path.join(work, "home"), XDG_CONFIG_HOME=os.path.join(work, "config"),
                   MORVANE_FIRST_PAINT_EXIT="1")
        editors = [("", editor)]
        if args.before:
            editors.append((" (before)", os.path.abspath(args.before)))
        cases = [(case + label, path, arguments) for label, path in editors
                 for case, arguments in (("no file", []), ("15-frame icon", [icon]))]
        results = {name: [] for name, _, _ in cases}
        for run in range(args.runs + 1):
            for name, path, arguments in cases:  # interleaved, so that load changes hit all
                measured = one_run(path, arguments, env)
                if run > 0:
                    results[name].append(measured)
        print("%d runs each, display %s" % (args.runs, display))
        print("  %-26s %9s %9s %12s %12s" % ("case", "median", "fastest", "RSS at paint",
                                             "max RSS"))
        for name, _, _ in cases:
            times = [r[0] for r in results[name]]
            print("  %-26s %7.1fms %7.1fms %9.1f MiB %8.1f MiB" % (
                name, statistics.median(times), min(times),
                statistics.median(r[1] for r in results[name]) / 1024,
                statistics.median(r[2] for r in results[name]) / 1024))
    finally:
        xvfb.kill()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
