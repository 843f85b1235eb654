#!/usr/bin/env python3
"""Installs the build into a staging folder (DESTDIR), as a package does, and
checks that the folder is whole: the link in bin/ starts the program, which
loads the device library beside itself; the data files, the pictures and the
firmware images are in the program folder; the desktop entry is valid and
names the link and an icon that is there. Where Xvfb and the X tools xprop and
xwininfo are installed, the program runs on an X server of its own, started
from the link and from its file, and its window carries the entry's
StartupWMClass as its class and an icon (_NET_WM_ICON) either way.

  check_install.py --cmake cmake --build build --source . --work build/tests/install

Exits 0 when all holds, 1 at the first fault, 77 (skipped) when all holds but
desktop-file-validate is not installed to check the entry.
"""

import argparse
import filecmp
import glob
import os
import re
import select
import shutil
import struct
import subprocess
import sys
import time

PREFIX = "/usr"
START_TIMEOUT_S = 120


class Fault(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Fault(message)


def files_below(folder, skip=()):
    found = set()
    for base, _, names in os.walk(folder):
        for name in names:
            if name not in skip:
                found.add(os.path.relpath(os.path.join(base, name), folder))
    return found


def check_same_files(source, installed, skip=()):
    """Every file below source is installed below installed, byte for byte."""
    names = files_below(source, skip)
    check(names, "nothing to install in %s" % source)
    for name in sorted(names):
        path = os.path.join(installed, name)
        check(os.path.isfile(path), "%s is not installed" % path)
        check(filecmp.cmp(os.path.join(source, name), path, shallow=False), "%s differs from the build's" % path)
    return names


def check_program_folder(options, root, folder):
    link = os.path.join(root, "bin", "quzmar")
    program = os.path.join(folder, "Quzmar")
    library = os.path.join(folder, "libHIDUsb.so")
    check(os.path.islink(link), "%s is not a link" % link)
    check(os.path.realpath(link) == os.path.realpath(program), "%s leads to %s" % (link, os.path.realpath(link)))
    check(os.access(program, os.X_OK), "%s is not executable" % program)
    # The installed program must find the installed library, not the build's.
    ldd = subprocess.run(["ldd", program], capture_output=True, text=True).stdout
    check("not found" not in ldd, "ldd %s:\n%s" % (program, ldd))
    match = re.search(r"libHIDUsb\.so => (\S+)", ldd)
    check(match and os.path.realpath(match.group(1)) == os.path.realpath(library),
          "the program does not load %s:\n%s" % (library, ldd))

    check_same_files(os.path.join(options.source, "resources"), folder, skip=(".keep",))
    check_same_files(os.path.join(options.build, "bin", "Picture"), os.path.join(folder, "Picture"), skip=(".stamp",))
    images = check_same_files(os.path.join(options.build, "bin", "bin"), os.path.join(folder, "bin"), skip=(".keep",))
    check(all(name.endswith(".bin") for name in images), "not firmware images: %s" % sorted(images))


def desktop_entry(path):
    keys, group = {}, None
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line.startswith("["):
                group = line
            elif group == "[Desktop Entry]" and "=" in line and not line.startswith("#"):
                key, value = line.split("=", 1)
                keys[key.strip()] = value.strip()
    return keys


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    check(head[:8] == b"\x89PNG\r\n\x1a\n" and head[12:16] == b"IHDR", "%s is not a PNG" % path)
    return struct.unpack(">II", head[16:24])


def check_desktop_entry(root):
    """True when desktop-file-validate has checked the entry."""
    path = os.path.join(root, "share", "applications", "quzmar.desktop")
    check(os.path.isfile(path), "%s is not installed" % path)
    entry = desktop_entry(path)
    check(entry.get("Type") == "Application" and entry.get("Name"), "%s: no application with a name" % path)
    command = entry.get("Exec", "").split()
    check(command and os.path.islink(os.path.join(root, "bin", command[0])),
          "%s starts %r, which is not the installed link" % (path, entry.get("Exec")))
    icon = entry.get("Icon", "")
    icons = glob.glob(os.path.join(root, "share", "icons", "hicolor", "*", "apps", icon + ".png"))
    # The icon theme's rule: an application has at least a 48-pixel icon.
    check(icon and any("/48x48/" in p for p in icons), "no 48x48 icon %r below %s/share/icons/hicolor" % (icon, root))
    for p in icons:
        size = os.path.basename(os.path.dirname(os.path.dirname(p)))
        check(size == "%dx%d" % png_size(p), "%s is %dx%d" % ((p,) + png_size(p)))

    validator = shutil.which("desktop-file-validate")
    if not validator:
        return False
    result = subprocess.run([validator, path], capture_output=True, text=True)
    check(result.returncode == 0 and not (result.stdout + result.stderr).strip(),
          "desktop-file-validate %s:\n%s%s" % (path, result.stdout, result.stderr))
    return True


def remove_ipc_of(pid):
    """The killed program leaves its instance marker in the system: a shared
    memory segment and the semaphore that guards it. Removes the segments it
    created and the semaphores it was the last to use."""
    def ipcs(*args):
        return subprocess.run(["ipcs"] + list(args), capture_output=True, text=True).stdout.splitlines()
    for fields in (line.split() for line in ipcs("-m", "-p")):
        if len(fields) >= 4 and fields[0].isdigit() and fields[2] == str(pid):
            subprocess.run(["ipcrm", "-m", fields[0]], capture_output=True)
    for fields in (line.split() for line in ipcs("-s")):
        if len(fields) >= 5 and fields[1].isdigit():
            # Rows of semnum, value, ncount, zcount and the last user's pid.
            rows = [row.split() for row in ipcs("-s", "-i", fields[1])]
            if any(len(r) == 5 and r[0].isdigit() and r[4] == str(pid) for r in rows):
                subprocess.run(["ipcrm", "-s", fields[1]], capture_output=True)


def start_x_server():
    """An X server of our own and its display name, or (None, None) when
    Xvfb or the tools that read window properties are missing."""
    if not all(shutil.which(tool) for tool in ("Xvfb", "xprop", "xwininfo")):
        return None, None
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1600x1000x24", "-nolisten", "tcp"],
                              pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as f:   # Xvfb writes its display number once it listens
        number = f.readline().strip() if select.select([f], [], [], START_TIMEOUT_S)[0] else ""
    if not number:
        server.kill()
        server.wait()
        raise Fault("Xvfb did not start")
    return server, ":" + number


def x_tool(env, *args):
    return subprocess.run(list(args), env=env, capture_output=True, text=True).stdout


def check_window(env, proc, wm_class, deadline):
    """Waits until the program, the only client of its X server, shows a
    window; its WM_CLASS names the class wm_class and it carries an icon."""
    while True:
        check(proc.poll() is None, "the program ended with %s before its window showed" % proc.returncode)
        # Lines "  0x200006 "title": ("instance" "class")  1340x940+120+0 ...".
        for window, instance, cls in re.findall(r'^\s+(0x[0-9a-f]+) .*: \("([^"]*)" "([^"]*)"\)',
                                                x_tool(env, "xwininfo", "-root", "-children"), re.M):
            if "IsViewable" in x_tool(env, "xwininfo", "-id", window):
                check(cls == wm_class, "the window's WM_CLASS is %r, %r, not of the class %r" % (instance, cls, wm_class))
                icon = x_tool(env, "xprop", "-id", window, "_NET_WM_ICON")
                check("Icon (" in icon, "the window has no icon: %s" % icon)
                return
        check(time.monotonic() < deadline, "the program showed no window in %d s" % START_TIMEOUT_S)
        time.sleep(0.05)


def check_starts(options, root, folder, command, display, wm_class):
    """Starts the program by command with a fresh user and waits until it
    has loaded its device library and called it: the library then runs the
    command file it was given and removes it. On display, when there is one,
    the program's window must show the class wm_class and an icon; without
    one the program runs on the offscreen platform."""
    run = os.path.join(options.work, "run-" + os.path.basename(command))
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "LD_LIBRARY_PATH", "LD_PRELOAD", "QUZ_PROGRAM_DIR", "QUZ_BENCH")
           and not k.startswith("HIDUSB_SIM_")}
    env.update({"HOME": run + "/home", "XDG_CONFIG_HOME": run + "/home/.config",
                "XDG_DATA_HOME": run + "/home/.local/share", "XDG_RUNTIME_DIR": run + "/runtime",
                # The instance marker is keyed by a file there: another
                # running copy of the program does not count.
                "TMPDIR": run + "/tmp", "QT_QPA_PLATFORM": "xcb" if display else "offscreen",
                "HIDUSB_SIM_CONTROL": run + "/control"})
    if display:
        env["DISPLAY"] = display
    for d in ("home", "runtime", "tmp"):
        os.makedirs(os.path.join(run, d), mode=0o700)
    control = env["HIDUSB_SIM_CONTROL"]
    with open(control, "w") as f:
        f.write("online M1 1\n")   # the default bus's mouse is online already
    with open(os.path.join(run, "program.log"), "w") as log:
        proc = subprocess.Popen([command], env=env, stdout=log, stderr=log, cwd=run)
    try:
        deadline = time.monotonic() + START_TIMEOUT_S
        while os.path.exists(control):
            check(proc.poll() is None, "the program ended with %s at its start (%s/program.log)" % (proc.returncode, run))
            check(time.monotonic() < deadline, "the program did not reach its device library in %d s" % START_TIMEOUT_S)
            time.sleep(0.02)
        check(proc.poll() is None, "the program ended with %s after its start" % proc.returncode)
        exe = os.path.realpath("/proc/%d/exe" % proc.pid)
        check(exe == os.path.realpath(os.path.join(folder, "Quzmar")), "%s started %s" % (command, exe))
        with open("/proc/%d/maps" % proc.pid) as f:
            maps = f.read()
        check(os.path.realpath(os.path.join(folder, "libHIDUsb.so")) in maps,
              "the program runs without the installed device library")
        if display:
            check_window(env, proc, wm_class, deadline)
    finally:
        if proc.poll() is None:
            proc.terminate()
            try:
                proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
        remove_ipc_of(proc.pid)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cmake", default="cmake")
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--work", required=True)
    options = parser.parse_args()

    shutil.rmtree(options.work, ignore_errors=True)
    stage = os.path.join(options.work, "stage")
    env = dict(os.environ, DESTDIR=stage)
    result = subprocess.run([options.cmake, "--install", options.build, "--prefix", PREFIX],
                            env=env, capture_output=True, text=True)
    check(result.returncode == 0, "cmake --install failed:\n%s%s" % (result.stdout, result.stderr))
    root = stage + PREFIX
    with open(os.path.join(options.build, "CMakeCache.txt")) as f:
        install_dir = re.search(r"^QUZ_INSTALL_DIR:\w+=(.*)$", f.read(), re.M).group(1)
    folder = os.path.join(root, install_dir)

    check_program_folder(options, root, folder)
    validated = check_desktop_entry(root)
    wm_class = desktop_entry(os.path.join(root, "share", "applications", "quzmar.desktop")).get("StartupWMClass")
    server, display = start_x_server()
    try:
        # The desktop starts the link; a user may start the file itself.
        for command in (os.path.join(root, "bin", "quzmar"), os.path.join(folder, "Quzmar")):
            check_starts(options, root, folder, command, display, wm_class)
    finally:
        if server:
            server.terminate()
            server.wait()
    if not display:
        print("note: Xvfb, xprop or xwininfo is missing; the window's class and icon are not checked")
    if not validated:
        print("skipped: desktop-file-validate is not installed; all else holds")
        return 77
    print("installed folder whole: %s" % root)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Fault as fault:
        print("FAIL: %s" % fault)
        sys.exit(1)
