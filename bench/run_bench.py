#!/usr/bin/env python3
"""Benchmark of the program against the simulated devices, side by side with
an empty window.

Builds the program with its measuring points (QUZ_BENCH=ON) and the empty
window bench/emptywindow.cpp in a build folder of its own (build-bench/,
--build-dir), then starts, turn about, the empty window and the program, each
with a fresh HOME under an X server of its own (Xvfb; the offscreen platform
with --offscreen). The program, started with QUZ_BENCH=1, clicks the first
device card by itself. Printed for each:

  start to window shown     ms from process start to the first paint
  processor time to paint   the process's processor time until then
  resident memory           VmRSS once every page was shown (the empty
                            window: once it has painted)
  click to filled page      ms from the card click to the device page
                            holding the device's full configuration
  idle processor time       the program's processor time (all threads)
                            while the device page stays open --idle seconds,
                            as a share of one core
  start with macros         the start with --macros macro files in the
                            user's macro folder, over the start without any
                            (each round also starts the program so)
  device page with macros   ms from the card click to the device page's
                            first paint, its macro list shown, in that run

The first three figures of the program are also given as ratios to the
empty window's of the same round, so a busy machine, which stretches both,
moves the ratio far less than the absolute figure; the processor time to the
first paint is also split into the main thread's and the other threads'.
With --before, another benchmark build folder (an earlier program) runs in
the same rounds and is printed beside this one.

Each run starts from a factory-fresh simulated bench (new HOME, so a new
simulator state file) whose devices carry the firmware of the demo images in
bin/, so no update is offered over the page. The simulated devices' own
delays are scaled by --time-scale (HIDUSB_SIM_TIME_SCALE); with 0 every
figure is the program's own time. Several rounds (--runs) give median and
worst; a figure passes when its median is within its target.
"""

import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
DEFAULT_BUILD_DIR = os.path.join(ROOT, "build-bench")

# Start and memory are measured against the empty window of the same round:
# at most these multiples of its figures. The click target is for the
# program's own work: the device list's fixed pause (LIST_PAUSE_MS) comes
# off before comparing.
RATIO_TARGETS = {"start_ms": 2.0, "start_cpu_ms": 2.5, "rss_mb": 1.7}
TARGETS = {"click_ms": 50.0, "idle_cpu_pct": 1.0}
# The start with the user's macros against the start without any, and the
# device page with its macro list shown after the page switch.
MACRO_RATIO_TARGET = 1.25
MACRO_PAGE_TARGET_MS = 100.0

# A macro that types one letter, as the macro editor saves it.
MACRO_FILE = "1\n0x04 1 0\n10ms\n0x04 1 1\n10ms\n"

# The device list pauses a fixed 150 ms between showing the device page and
# starting the read.
LIST_PAUSE_MS = 150

# The up-to-date receiver and mouse of hidusb/fixtures/current.ini, so the
# program offers no update when the page opens, and a second mouse of the
# same firmware on its cable.
with open(os.path.join(HERE, "..", "hidusb", "fixtures", "current.ini")) as _f:
    FIXTURE = _f.read() + """
[M2]
type=mouse
mid=1
version=0x0106
battery=100
charging=1
cable=1
paired=3A 52 07
"""

# Stylesheet properties of the program's own that the toolkit does not know
# and says so once per widget; harmless, so not counted as warnings.
KNOWN_MESSAGES = ("Unknown property transition",)


def launch(binary, time_scale, offscreen, timeout, idle_s, macros=0):
    """Starts the binary as the benchmark does, with `macros` macro files in
    the user's macro folder, and returns its "bench" figures, the Qt
    warnings it printed, its exit code, its standard error and the time it
    started (s since the epoch)."""
    home = tempfile.mkdtemp(prefix="quzbench.")
    macro_dir = os.path.join(home, "AppData", "Local", "Quzmar", "usersetting", "MacroPage")
    os.makedirs(macro_dir)
    for i in range(macros):
        with open(os.path.join(macro_dir, "Macro %03d.ini" % i), "w") as f:
            f.write(MACRO_FILE)
    fixture = os.path.join(home, "bench-devices.ini")
    with open(fixture, "w") as f:
        f.write(FIXTURE)
    env = dict(os.environ)
    env.update({
        "HOME": home,
        "XDG_CONFIG_HOME": os.path.join(home, ".config"),
        "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
        "XDG_RUNTIME_DIR": os.path.join(home, "runtime"),
        "QUZ_BENCH": "1",
        "HIDUSB_SIM_TIME_SCALE": str(time_scale),
        "HIDUSB_SIM_FIXTURE": fixture,
        "QUZ_BENCH_IDLE_MS": str(int(idle_s * 1000)),
    })
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    cmd = [binary]
    if offscreen:
        env["QT_QPA_PLATFORM"] = "offscreen"
    else:
        env.pop("QT_QPA_PLATFORM", None)
        if not env.get("DISPLAY"):
            # One X server per run keeps runs independent. A desktop's X
            # server always has other clients (window manager, panel) and
            # never resets when a program connects; a lone Xvfb resets each
            # time its last client leaves, so the program's short look at
            # the screen size before the toolkit connects would make the
            # toolkit's connection wait some 45 ms for that reset.
            cmd = ["xvfb-run", "-a", "-s", "-screen 0 1600x1000x24 -noreset", binary]
    try:
        if cmd[0] == "xvfb-run":
            # The X server's own start-up is not the program's: start the
            # clock when the program itself runs, via a tiny wrapper.
            wrapper = os.path.join(home, "start.sh")
            with open(wrapper, "w") as f:
                f.write('#!/bin/sh\ndate +%s%N > "$HOME/started"\nexec "$@"\n')
            os.chmod(wrapper, 0o755)
            cmd = cmd[:-1] + [wrapper, binary]
        started = time.time()
        # A session of its own, so a hung run takes its X server along.
        proc = subprocess.Popen(cmd, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                start_new_session=True)
        try:
            _, stderr = proc.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.communicate()
            raise RuntimeError("%s timed out after %g s" % (os.path.basename(binary), timeout))
        stamp = os.path.join(home, "started")
        if os.path.exists(stamp):
            with open(stamp) as f:
                started = int(f.read().strip()) / 1e9
        figures = {}
        warnings = []
        for line in stderr.splitlines():
            if line.startswith("bench "):
                parts = line.split()
                figures[parts[1]] = parts[2] if len(parts) > 2 else ""
            elif line.startswith(("QWidget", "QObject", "QPainter", "QMetaObject", "QThread", "QPixmap",
                                  "Could not", "Unknown property", "QLayout", "QBasicTimer", "QSocketNotifier",
                                  "QTimer", "QFont", "QXcb", "qt.", "QSystemTrayIcon", "Warning", "QWindow")) \
                    and not line.startswith(KNOWN_MESSAGES):
                warnings.append(line)
        return figures, warnings, proc.returncode, stderr, started
    finally:
        shutil.rmtree(home, ignore_errors=True)


def start_figures(figures, started):
    cpu = float(figures.get("window-shown-cpu-ms", "nan"))
    main_cpu = float(figures.get("window-shown-main-cpu-ms", "nan"))
    return {
        "start_ms": int(figures["window-shown-epoch-ms"]) - started * 1000.0,
        "start_cpu_ms": cpu,
        "start_main_cpu_ms": main_cpu,
        "start_other_cpu_ms": cpu - main_cpu,
        "rss_mb": int(figures["rss-kb"]) / 1024.0,
    }


def program_run(binary, time_scale, offscreen, timeout, idle_s, macros=0):
    figures, warnings, code, stderr, started = launch(binary, time_scale, offscreen, timeout, idle_s, macros)
    if "error" in figures or "click-to-filled-ms" not in figures or "rss-kb" not in figures:
        raise RuntimeError("run failed (exit %d):\n%s" % (code, stderr[-3000:]))
    if idle_s > 0 and figures.get("idle-on-device-page") != "1":
        raise RuntimeError("the device page was not open through the idle time:\n%s" % stderr[-3000:])
    idle_wall = float(figures.get("idle-wall-ms", "nan"))
    result = start_figures(figures, started)
    result.update({
        "click_ms": float(figures["click-to-filled-ms"]) - LIST_PAUSE_MS,
        "idle_cpu_pct": 100.0 * float(figures.get("idle-cpu-ms", "nan")) / idle_wall,
        "switch_ms": float(figures.get("click-to-switch-ms", "nan")),
        "worker_ms": float(figures.get("click-to-worker-ms", "nan")),
        "filled_ms": float(figures["click-to-filled-ms"]),
        "page_open_ms": float(figures.get("click-to-page-painted-ms", "nan")),
        "back": figures.get("back-on-list") == "1",
        "exit": code,
        "warnings": warnings,
    })
    return result


def empty_run(binary, offscreen, timeout):
    figures, warnings, code, stderr, started = launch(binary, 0, offscreen, timeout, 0)
    if code != 0 or "rss-kb" not in figures or "window-shown-epoch-ms" not in figures:
        raise RuntimeError("empty window failed (exit %d):\n%s" % (code, stderr[-3000:]))
    result = start_figures(figures, started)
    result["warnings"] = warnings
    return result


def build(build_dir):
    """Configures and builds the program with its measuring points and the
    empty window; ccache is used when CMAKE_CXX_COMPILER_LAUNCHER says so."""
    print("building the program (QUZ_BENCH=ON) and the empty window in %s" % build_dir, file=sys.stderr)
    subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DQUZ_BENCH=ON"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "--target", "Quzmar", "emptywindow",
                    "-j%d" % (os.cpu_count() or 1)], check=True, stdout=subprocess.DEVNULL)


def report(name, programs, empties, with_macros, args):
    """Prints the figures of one program against the empty window of the
    same rounds; returns whether every target was met."""
    print("  %s" % name)
    print("  %-30s %15s %15s %13s %19s" % ("", "program", "empty window", "ratio", "target"))
    print("  %-30s %15s %15s %13s" % ("", "median  worst", "median", "median  worst"))
    ok = True
    rows = [("start to window shown", "start_ms", "ms"),
            ("processor time to first paint", "start_cpu_ms", "ms"),
            ("  main thread", "start_main_cpu_ms", "ms"),
            ("  other threads", "start_other_cpu_ms", "ms"),
            ("resident memory", "rss_mb", "MB")]
    for label, key, unit in rows:
        values = [r[key] for r in programs]
        floor = statistics.median(r[key] for r in empties)
        ratios = [p[key] / e[key] if e[key] else float("nan") for p, e in zip(programs, empties)]
        ratio = statistics.median(ratios)
        verdict = ""
        if key in RATIO_TARGETS:
            good = ratio <= RATIO_TARGETS[key]
            ok &= good
            verdict = "<= %.1fx  %s" % (RATIO_TARGETS[key], "ok" if good else "MISSED")
        print("  %-30s %6.1f %6.1f %-2s %8.1f %-2s %5.2fx %5.2fx  %s"
              % (label, statistics.median(values), max(values), unit, floor, unit, ratio, max(ratios), verdict))
    rows = [("click to filled page", "click_ms", "ms"), ("idle processor time", "idle_cpu_pct", "%")]
    if args.idle <= 0:
        rows.pop()
    for label, key, unit in rows:
        values = [r[key] for r in programs]
        median = statistics.median(values)
        good = median < TARGETS[key]
        ok &= good
        print("  %-30s %6.2f %6.2f %-2s %31s  < %g %s  %s"
              % (label, median, max(values), unit, "", TARGETS[key], unit, "ok" if good else "MISSED"))
    if with_macros:
        n = args.macros
        ratios = [m["start_ms"] / p["start_ms"] for m, p in zip(with_macros, programs)]
        ratio = statistics.median(ratios)
        good = ratio <= MACRO_RATIO_TARGET
        ok &= good
        print("  %-30s %6.1f %6.1f ms %8.1f ms %5.2fx %5.2fx  <= %.2fx %s"
              % ("start with %d macros" % n, statistics.median(m["start_ms"] for m in with_macros),
                 max(m["start_ms"] for m in with_macros), statistics.median(p["start_ms"] for p in programs),
                 ratio, max(ratios), MACRO_RATIO_TARGET, "ok" if good else "MISSED"))
        ratios = [m["start_cpu_ms"] / p["start_cpu_ms"] for m, p in zip(with_macros, programs)]
        print("  %-30s %6.1f %6.1f ms %8.1f ms %5.2fx %5.2fx"
              % ("  processor time", statistics.median(m["start_cpu_ms"] for m in with_macros),
                 max(m["start_cpu_ms"] for m in with_macros), statistics.median(p["start_cpu_ms"] for p in programs),
                 statistics.median(ratios), max(ratios)))
        values = [m["page_open_ms"] for m in with_macros]
        good = statistics.median(values) < MACRO_PAGE_TARGET_MS
        ok &= good
        print("  %-30s %6.1f %6.1f ms %31s  < %g ms %s"
              % ("device page with %d macros" % n, statistics.median(values), max(values), "",
                 MACRO_PAGE_TARGET_MS, "ok" if good else "MISSED"))
    print("    ratios are the program's figure over the empty window's of the same round; the start with")
    print("    macros is over the same program's start without any")
    print("    click to filled page is the program's own time: the list's fixed %d ms pause is taken off"
          % LIST_PAUSE_MS)
    if with_macros:
        print("    device page with macros: from the card click to the device page's first paint, its macro list")
        print("    shown (the page's checks and switch included)")
    if args.idle > 0:
        print("    idle processor time: %g s on the device page, all threads, as a share of one core" % args.idle)
    sw = statistics.median(r["switch_ms"] for r in programs)
    wk = statistics.median(r["worker_ms"] for r in programs)
    fl = statistics.median(r["filled_ms"] for r in programs)
    print("    click to filled, by stage (median): checks and page switch %.1f ms, pause to worker start %.1f ms,"
          % (sw, wk - sw))
    print("    worker start to filled page (device read, parse, page refresh) %.1f ms" % (fl - wk))
    runs = programs + with_macros
    backs = sum(1 for r in runs if r["back"])
    clean = sum(1 for r in runs if r["exit"] == 0)
    print("  back to the list in %d of %d runs, clean exit in %d of %d" % (backs, len(runs), clean, len(runs)))
    return ok and backs == len(runs) and clean == len(runs)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build-dir", default=DEFAULT_BUILD_DIR,
                    help="the benchmark's build folder (default build-bench/ beside build/)")
    ap.add_argument("--no-build", action="store_true", help="run what the build folder holds, without building")
    ap.add_argument("--runs", type=int, default=5, help="rounds of one empty window and one program run")
    ap.add_argument("--time-scale", type=float, default=0.0)
    ap.add_argument("--idle", type=float, default=20.0, metavar="SECONDS",
                    help="how long the device page stays open for the idle figure (0: not measured)")
    ap.add_argument("--macros", type=int, default=200,
                    help="each round also starts the program with this many macros (0: not measured)")
    ap.add_argument("--before", metavar="BUILD_DIR",
                    help="another benchmark build folder (an earlier program) run in the same rounds and "
                         "printed beside this one")
    ap.add_argument("--offscreen", action="store_true", help="offscreen platform instead of Xvfb")
    ap.add_argument("--timeout", type=float, default=60.0, help="seconds per run, on top of the idle time")
    args = ap.parse_args()

    build_dir = os.path.abspath(args.build_dir)
    if not args.no_build:
        build(build_dir)
    binary = os.path.join(build_dir, "bin", "Quzmar")
    empty = os.path.join(build_dir, "bench", "emptywindow")
    binaries = [("program", binary)]
    if args.before:
        binaries.insert(0, ("before: %s" % os.path.abspath(args.before),
                            os.path.join(os.path.abspath(args.before), "bin", "Quzmar")))
        binaries[1] = ("after: %s" % build_dir, binary)
    for path in [b for _, b in binaries] + [empty]:
        if not os.access(path, os.X_OK):
            sys.exit("no %s: build first (without --no-build)" % path)

    # Turn about, each round starting with another one, so that none always
    # runs right after another.
    empties = []
    programs = {name: [] for name, _ in binaries}
    macro_runs = {name: [] for name, _ in binaries}
    steps = [lambda: empties.append(empty_run(empty, args.offscreen, args.timeout))]
    for name, path in binaries:
        steps.append(lambda name=name, path=path: programs[name].append(
            program_run(path, args.time_scale, args.offscreen, args.timeout + args.idle, args.idle)))
        if args.macros > 0:
            steps.append(lambda name=name, path=path: macro_runs[name].append(
                program_run(path, args.time_scale, args.offscreen, args.timeout, 0, args.macros)))
    for i in range(args.runs):
        shift = i % len(steps)
        for step in steps[shift:] + steps[:shift]:
            step()

    print("Quzmar benchmark: %d rounds of the empty window and the program, %s, simulated device time scale %g, "
          "load average %s" % (args.runs, "offscreen" if args.offscreen else "X11 (Xvfb)", args.time_scale,
                               " ".join("%.2f" % x for x in os.getloadavg())))
    ok = True
    for name, _ in binaries:
        good = report(name, programs[name], empties, macro_runs[name], args)
        # Only the program built here is judged; an earlier one is for
        # comparison.
        if name == binaries[-1][0]:
            ok = good
    warnings = sorted({w for r in sum(programs.values(), []) + sum(macro_runs.values(), []) + empties
                       for w in r["warnings"]})
    print("  Qt warnings: %s" % ("none" if not warnings else "\n    " + "\n    ".join(warnings)))
    return 0 if ok and not warnings else 1


if __name__ == "__main__":
    sys.exit(main())
