#!/usr/bin/env python3
"""Benchmark of the program against the simulated devices.

Starts build/bin/Quzmar (or the binary given with --binary) with QUZ_BENCH=1
under Xvfb (or the offscreen platform with --offscreen) and a fresh HOME,
lets it click the first device card by itself, and prints:

  start to window shown     ms from process start to the first paint
  click to filled page      ms from the card click to the device page
                            holding the device's full configuration, less
                            the device list's fixed 150 ms pause
  resident memory           VmRSS once every page was shown
  idle processor            the process's processor time while the device
                            page stays open and untouched (--idle-seconds),
                            as a share of one core, with every timer that
                            fired meanwhile

Each run starts from a factory-fresh simulated bench (new HOME, so a new
simulator state file) described by bench/fixture.ini: a receiver and its
mouse running the firmware the program ships, so no update offer stands in
the way. The simulated devices' own delays are scaled by --time-scale
(HIDUSB_SIM_TIME_SCALE); with 0 every figure is the program's own time.
Several runs (--runs) give median and worst.
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
DEFAULT_BINARY = os.path.join(HERE, "..", "build", "bin", "Quzmar")
FIXTURE = os.path.join(HERE, "fixture.ini")

# The device list pauses a fixed 150 ms between showing the device page and
# starting the read; the click figure is what is left, the program's own work.
LIST_PAUSE_MS = 150

# figure: (label, unit, target, judged by). Timings are judged by the median
# of the runs, memory and processor time by the worst.
FIGURES = [
    ("start_ms", "start to window shown", "ms", 150.0, "median"),
    ("click_ms", "click to filled page", "ms", 50.0, "median"),
    ("rss_mb", "resident memory", "MB", 80.0, "worst"),
    ("idle_cpu", "idle processor", "% of a core", 1.0, "worst"),
]


def one_run(binary, time_scale, offscreen, timeout, idle_seconds):
    home = tempfile.mkdtemp(prefix="quzbench.")
    env = dict(os.environ)
    env.update({
        "HOME": home,
        "XDG_CONFIG_HOME": os.path.join(home, ".config"),
        "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
        "XDG_RUNTIME_DIR": os.path.join(home, "runtime"),
        "QUZ_BENCH": "1",
        "HIDUSB_SIM_TIME_SCALE": str(time_scale),
        "HIDUSB_SIM_FIXTURE": FIXTURE,
        "QUZ_BENCH_IDLE_S": str(idle_seconds),
    })
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    # The clock starts when the program itself is started, via a tiny
    # wrapper, not with the X server's own start-up.
    wrapper = os.path.join(home, "start.sh")
    with open(wrapper, "w") as f:
        f.write('#!/bin/sh\ndate +%s%N > "$HOME/started"\nexec "$@"\n')
    os.chmod(wrapper, 0o755)
    cmd = [wrapper, binary]
    if offscreen:
        env["QT_QPA_PLATFORM"] = "offscreen"
    else:
        env.pop("QT_QPA_PLATFORM", None)
        if not env.get("DISPLAY"):
            # One X server per run keeps runs independent. -noreset: the
            # program talks to the server twice at start (the desktop size,
            # then the toolkit), and a server whose only client has gone
            # resets itself first, some 50 ms that no desktop session, with
            # its other clients, ever spends.
            cmd = ["xvfb-run", "-a", "-s", "-screen 0 1600x1000x24 -noreset"] + cmd
    try:
        started = time.time()
        # A session of its own, so a hung run takes its X server along.
        proc = subprocess.Popen(cmd, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                start_new_session=True)
        try:
            _, stderr = proc.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.communicate()
            raise RuntimeError("run timed out after %g s" % timeout)
        proc.stderr = stderr
        stamp = os.path.join(home, "started")
        if os.path.exists(stamp):
            with open(stamp) as f:
                started = int(f.read().strip()) / 1e9
        figures = {}
        timers = {}
        warnings = []
        for line in proc.stderr.splitlines():
            if line.startswith("bench idle-timer "):
                parts = line.split(None, 3)
                timers[parts[3] if len(parts) > 3 else "?"] = int(parts[2])
            elif line.startswith("bench "):
                parts = line.split()
                figures[parts[1]] = parts[2] if len(parts) > 2 else ""
            elif line.startswith(("QWidget", "QObject", "QPainter", "QMetaObject", "QThread", "QPixmap",
                                  "Could not", "Unknown property", "QLayout", "QBasicTimer", "QSocketNotifier",
                                  "QTimer", "QFont", "QXcb", "qt.", "QSystemTrayIcon", "Warning", "QWindow")):
                warnings.append(line)
        if "error" in figures or "idle-cpu-ms" not in figures:
            raise RuntimeError("run failed (exit %d):\n%s" % (proc.returncode, proc.stderr[-3000:]))
        return {
            "start_ms": int(figures["window-shown-epoch-ms"]) - started * 1000.0,
            "paint_start_ms": int(figures["paint-start-epoch-ms"]) - started * 1000.0,
            "click_ms": float(figures["click-to-filled-ms"]) - LIST_PAUSE_MS,
            "filled_ms": float(figures["click-to-filled-ms"]),
            "rss_mb": int(figures["rss-kb"]) / 1024.0,
            "idle_cpu": 100.0 * float(figures["idle-cpu-ms"]) / max(1.0, float(figures["idle-wall-ms"])),
            "idle_s": float(figures["idle-wall-ms"]) / 1000.0,
            "timers": timers,
            "switch_ms": float(figures.get("click-to-switch-ms", "nan")),
            "worker_ms": float(figures.get("click-to-worker-ms", "nan")),
            "back": figures.get("back-on-list") == "1",
            "exit": proc.returncode,
            "warnings": warnings,
        }
    finally:
        shutil.rmtree(home, ignore_errors=True)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--binary", default=DEFAULT_BINARY)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--time-scale", type=float, default=0.0)
    ap.add_argument("--idle-seconds", type=int, default=20)
    ap.add_argument("--offscreen", action="store_true", help="offscreen platform instead of Xvfb")
    ap.add_argument("--timeout", type=float, default=120.0)
    args = ap.parse_args()

    binary = os.path.abspath(args.binary)
    if not os.access(binary, os.X_OK):
        sys.exit("no program at %s: build first" % binary)

    results = [one_run(binary, args.time_scale, args.offscreen, args.timeout, args.idle_seconds)
               for _ in range(args.runs)]

    print("Quzmar benchmark: %d runs, %s, simulated device time scale %g, device page idle %d s"
          % (args.runs, "offscreen" if args.offscreen else "X11 (Xvfb)", args.time_scale, args.idle_seconds))
    ok = True
    for key, label, unit, target, judged in FIGURES:
        values = [r[key] for r in results]
        median, worst = statistics.median(values), max(values)
        good = (median if judged == "median" else worst) < target
        ok &= good
        print("  %-22s median %7.2f   worst %7.2f   target < %g %s (%s)  %s"
              % (label, median, worst, target, unit, judged, "ok" if good else "MISSED"))
    ps = statistics.median(r["paint_start_ms"] for r in results)
    st = statistics.median(r["start_ms"] for r in results)
    print("    start to window shown (median): window built and first paint begun %.1f ms, first paint %.1f ms"
          % (ps, st - ps))
    sw = statistics.median(r["switch_ms"] for r in results)
    wk = statistics.median(r["worker_ms"] for r in results)
    ck = statistics.median(r["filled_ms"] for r in results)
    print("    click to filled page, whole (median) %.1f ms: checks and page switch %.1f ms, then to the read's"
          " start %.1f ms (the %d ms pause included), read to filled page %.1f ms"
          % (ck, sw, wk - sw, LIST_PAUSE_MS, ck - wk))
    timers = {}
    for r in results:
        for name, count in r["timers"].items():
            timers.setdefault(name, []).append(count)
    idle = statistics.median(r["idle_s"] for r in results)
    print("    timers fired on the GUI thread while idle (median count in %.1f s):" % idle)
    for name in sorted(timers):
        print("      %4g  %s" % (statistics.median(timers[name] + [0] * (len(results) - len(timers[name]))), name))
    backs = sum(1 for r in results if r["back"])
    clean = sum(1 for r in results if r["exit"] == 0)
    print("  back to the list in %d of %d runs, clean exit in %d of %d" % (backs, len(results), clean, len(results)))
    warnings = sorted({w for r in results for w in r["warnings"]})
    print("  Qt warnings: %s" % ("none" if not warnings else "\n    " + "\n    ".join(warnings)))
    return 0 if ok and backs == len(results) and clean == len(results) and not warnings else 1


if __name__ == "__main__":
    sys.exit(main())
