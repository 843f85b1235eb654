#!/usr/bin/env python3
"""The program as its user meets it: journeys through the real binary.

Each journey starts the program from build/bin under its own Xvfb display
with a fresh HOME, drives it with real X11 pointer clicks and key presses
(xdotool), closes it from its close button, starts it again and checks
 - that the device page shows what was set (the same pixels in the regions
   that show each setting, and other pixels than the untouched page), and
 - that the simulated mouse holds it (the device library's state file, read
   through journeys_simstate).

Widgets are found from the forms (forms/*.ui): the window's geometry is fixed,
so a widget lies at its form position plus the place of its form in the
window. Nothing inside the program helps the journeys.

  journeys.py --program build/bin/Quzmar --simstate build/tests/journeys_simstate
              --killwrite build/tests/libjourneys_killwrite.so
              --firmwaretool build/toolbin/firmwaretool [--only 1,3] [--work DIR] [--keep]

Exit code 77 (skipped) when Xvfb, xdotool or ImageMagick's import is missing.
"""

import argparse
import ctypes
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import traceback
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
FORMS = os.path.join(SOURCE, "forms")
SKIP = 77


class JourneyFailed(Exception):
    pass


def check(condition, message):
    if not condition:
        raise JourneyFailed(message)


def keeps(condition, seconds, message):
    """`condition` holds at every look for `seconds`: what must not happen
    has no moment of its own to wait for."""
    deadline = time.time() + seconds
    while time.time() < deadline:
        check(condition(), message)
        time.sleep(0.2)


def wait_for(condition, what, timeout=10):
    """Asks `condition` again until it gives something true, and returns that."""
    deadline = time.time() + timeout
    while True:
        value = condition()
        if value:
            return value
        check(time.time() < deadline, "%s did not happen" % what)
        time.sleep(0.2)


# ---- Forms ------------------------------------------------------------------------


class Forms:
    """Widget rectangles from the forms, relative to their form's top-left."""

    def __init__(self):
        self._cache = {}

    def _load(self, form):
        if form in self._cache:
            return self._cache[form]
        rects = {}
        root = ET.parse(os.path.join(FORMS, form + ".ui")).getroot().find("widget")

        def walk(widget, ox, oy, is_root):
            rect = widget.find("property[@name='geometry']/rect")
            x = y = w = h = 0
            if rect is not None:
                x, y, w, h = (int(rect.find(k).text) for k in ("x", "y", "width", "height"))
            if is_root:
                x = y = 0
            rects[widget.get("name")] = (ox + x, oy + y, w, h)
            for child in widget:
                if child.tag == "widget":
                    walk(child, ox + x, oy + y, False)
                elif child.tag == "layout":
                    # The one layout of a form holds a single frame filling it.
                    for item in child.findall("item"):
                        for inner in item.findall("widget"):
                            walk(inner, ox + x, oy + y, False)

        walk(root, 0, 0, True)
        self._cache[form] = rects
        return rects

    def rect(self, form, name):
        rects = self._load(form)
        if name not in rects:
            raise KeyError("%s has no widget %s" % (form, name))
        return rects[name]


FORMS_INDEX = Forms()

# Where each form lies in the main window (1340 x 940, frameless). The title
# bar (Dialog) is 80 high; the pages lie below it. Option widgets lie in their
# placeholder frames of the button page.
PAGE_TOP = 80
PLACES = {
    "Dialog": ("", None, (0, 0)),
    "DialogChange": ("", None, (0, PAGE_TOP)),
    "Buttoninterface": ("", None, (0, PAGE_TOP)),
    "FormSetting": ("", None, (0, PAGE_TOP)),
    "SensorDPI": ("Buttoninterface", "frameDpi", None),
    "SensorRate": ("Buttoninterface", "frameRate", None),
    "SensorLODB": ("Buttoninterface", "frameLOD", None),
    "StopCloseTime": ("Buttoninterface", "frameLOD_2", None),
    "RippeControl": ("Buttoninterface", "frame", None),
    "StraightLine": ("Buttoninterface", "frame_4", None),
}


def form_origin(form):
    parent, holder, fixed = PLACES[form]
    if fixed is not None:
        return fixed
    px, py = form_origin(parent)
    x, y, _, _ = FORMS_INDEX.rect(parent, holder)
    return (px + x, py + y)


def widget_rect(form, name):
    """A widget's rectangle in window coordinates (or dialog coordinates for a
    form that is a dialog of its own, whose PLACES entry is absent)."""
    x, y, w, h = FORMS_INDEX.rect(form, name)
    ox, oy = form_origin(form) if form in PLACES else (0, 0)
    return (ox + x, oy + y, w, h)


def widget_centre(form, name):
    x, y, w, h = widget_rect(form, name)
    return (x + w // 2, y + h // 2)


# ---- Tools ------------------------------------------------------------------------


def run(args, env=None, timeout=30, check_rc=True, capture=True):
    result = subprocess.run(args, env=env, timeout=timeout, stdout=subprocess.PIPE if capture else None,
                            stderr=subprocess.PIPE if capture else None)
    if check_rc and result.returncode != 0:
        raise JourneyFailed("%s failed (%d): %s" % (" ".join(args), result.returncode,
                                                    (result.stderr or b"").decode(errors="replace")))
    return result


def display_holder(number):
    """The process that holds the display number (the X server's lock file)."""
    try:
        with open("/tmp/.X%d-lock" % number) as f:
            return int(f.read().strip())
    except (OSError, ValueError):
        return None


def remove_left_ipc(pids):
    """Removes the System V shared memory segments that the given processes
    made and nothing holds any more, and the semaphores they used last: a
    program that was killed leaves its single-instance marker and the
    semaphore Qt keeps beside it, which would stay in the system for good."""
    libc = ctypes.CDLL(None, use_errno=True)
    for table, option in (("shm", "-m"), ("sem", "-s")):
        try:
            with open("/proc/sysvipc/" + table) as f:
                rows = [line.split() for line in f.readlines()[1:]]
        except OSError:
            continue
        for row in rows:
            if table == "shm":
                # key shmid perms size cpid lpid nattch ...
                left = len(row) > 6 and int(row[4]) in pids and row[6] == "0"
            else:
                left = libc.semctl(int(row[1]), 0, 11) in pids   # 11: GETPID, the last process to use it
            if left:
                run(["ipcrm", option, row[1]], check_rc=False)


class Display:
    """An Xvfb display of our own, on the first free number from a base."""

    def __init__(self, base):
        self.number = None
        self.proc = None
        for n in range(base, base + 60):
            if os.path.exists("/tmp/.X%d-lock" % n) or os.path.exists("/tmp/.X11-unix/X%d" % n):
                continue
            # -noreset: a program killed as the last client must not take
            # the server through a reset while the next one connects. -r:
            # no key repeats, so a key held longer on a busy machine is
            # still one press.
            proc = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "1600x1000x24", "-nolisten", "tcp",
                                     "-noreset", "-r"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            for _ in range(100):
                if proc.poll() is not None or os.path.exists("/tmp/.X11-unix/X%d" % n):
                    break
                time.sleep(0.05)
            # The socket may be another server's that took the number first
            # (another run of the journeys): the lock names the one that has it.
            if proc.poll() is None and display_holder(n) == proc.pid:
                self.number, self.proc = n, proc
                return
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        raise JourneyFailed("no free X display from :%d" % base)

    @property
    def name(self):
        return ":%d" % self.number

    def close(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


# ---- Pictures ---------------------------------------------------------------------


class Shot:
    """A screenshot of the whole display as raw RGB bytes."""

    def __init__(self, data, width, height):
        self.data, self.width, self.height = data, width, height

    def region(self, rect):
        x, y, w, h = rect
        rows = []
        for row in range(y, y + h):
            start = (row * self.width + x) * 3
            rows.append(self.data[start:start + w * 3])
        return b"".join(rows)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])


def differing_pixels(a, b):
    return sum(1 for i in range(0, min(len(a), len(b)), 3) if a[i:i + 3] != b[i:i + 3])


# ---- One program under test ---------------------------------------------------------


class Session:
    """One journey's user: own display, HOME, TMPDIR, data folders, bench."""

    def __init__(self, number, options, fixture):
        self.number = number
        self.options = options
        self.root = tempfile.mkdtemp(prefix="journey%d-" % number, dir=options.work)
        self.home = os.path.join(self.root, "home")
        self.tmp = os.path.join(self.root, "tmp")
        self.state_dir = os.path.join(self.home, ".local", "share", "QuzmarSim")
        self.control = os.path.join(self.root, "control")
        for d in (self.home, self.tmp):
            os.makedirs(d)
        os.chmod(self.tmp, 0o700)
        self.fixture = os.path.join(self.root, "bench.ini")
        with open(self.fixture, "w") as f:
            f.write(fixture)
        self.display = Display(options.display_base + 3 * (number - 1))
        self.proc = None
        self.window = None
        self.origin = (0, 0)
        self.log = os.path.join(self.root, "program.log")
        self.steps = []
        self.pointer = None
        self.started = time.time()
        self.extra_env = {}
        self.program = options.program
        self.pids = set()

    def own_program_folder(self):
        """The program from a folder of this journey's own, which shares all
        but bin/ with the built one: a journey can put images there."""
        built = os.path.dirname(self.options.program)
        folder = os.path.join(self.root, "program")
        os.makedirs(folder)
        for name in os.listdir(built):
            if name != "bin":
                os.symlink(os.path.join(built, name), os.path.join(folder, name))
        shutil.copytree(os.path.join(built, "bin"), os.path.join(folder, "bin"))
        # The program finds its folder from its own path: the executable
        # itself must lie there (a hard link where the file system allows).
        self.program = os.path.join(folder, os.path.basename(self.options.program))
        os.remove(self.program)
        try:
            os.link(self.options.program, self.program)
        except OSError:
            shutil.copy2(self.options.program, self.program)
        return os.path.join(folder, "bin")

    # -- environment

    def env(self):
        env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "DISPLAY": self.display.name,
            "HOME": self.home,
            "TMPDIR": self.tmp,
            "XDG_RUNTIME_DIR": self.tmp,
            "XDG_DATA_HOME": os.path.join(self.home, ".local", "share"),
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "HIDUSB_SIM_FIXTURE": self.fixture,
            # The devices answer three times as fast: the program's own pauses
            # stay as they are, and the journeys end in CI's time.
            "HIDUSB_SIM_TIME_SCALE": "0.3",
            "HIDUSB_SIM_CONTROL": self.control,
            "LANG": "C.UTF-8",
            "QT_QPA_PLATFORM": "xcb",
        }
        return env

    def program_env(self):
        env = self.env()
        env.update(self.extra_env)
        return env

    def note(self, text):
        self.steps.append("%3.0f s  %s" % (time.time() - self.started, text))

    @property
    def data_dir(self):
        return os.path.join(self.home, "AppData", "Local", "Quzmar")

    # -- the program

    def start(self, wait_for=None):
        check(self.proc is None or self.proc.poll() is not None, "the program still runs")
        logf = open(self.log, "a")
        logf.write("---- start\n")
        logf.flush()
        self.proc = subprocess.Popen([self.program], env=self.program_env(), cwd=self.root,
                                     stdout=logf, stderr=subprocess.STDOUT)
        self.pids.add(self.proc.pid)
        logf.close()
        deadline = time.time() + 20
        while time.time() < deadline:
            check(self.proc.poll() is None, "the program ended at start (%s)" % self.proc.returncode)
            for w in self.windows():
                x, y, w_, h_ = self.geometry(w)
                if (w_, h_) == (1340, 940):
                    self.window, self.origin = w, (x, y)
                    break
            if self.window:
                break
            time.sleep(0.1)
        check(self.window is not None, "the main window never showed")
        if wait_for:
            wait_for()

    def windows(self):
        result = run(["xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid)],
                     env=self.env(), check_rc=False)
        return [w for w in result.stdout.decode().split() if w]

    def geometry(self, window):
        out = run(["xdotool", "getwindowgeometry", "--shell", window], env=self.env()).stdout.decode()
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def dialogs(self):
        """Visible top-level windows of the program other than the main window."""
        found = []
        for w in self.windows():
            if w == self.window:
                continue
            found.append((w, self.geometry(w)))
        return found

    def wait_dialog(self, size=None, timeout=10):
        deadline = time.time() + timeout
        while time.time() < deadline:
            for w, g in self.dialogs():
                if size is None or (g[2], g[3]) == size:
                    return w, g
            time.sleep(0.1)
        raise JourneyFailed("no dialog%s showed" % ("" if size is None else " of %dx%d" % size))

    def wait_no_dialog(self, timeout=10):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if not self.dialogs():
                return
            time.sleep(0.1)
        raise JourneyFailed("a dialog stayed open: %s" % self.dialogs())

    def settle(self, quiet=0.8, timeout=30):
        """Waits until no dialog has shown for `quiet` seconds (notices such as
        "reading the device settings" come and go on their own)."""
        start = last = time.time()
        while time.time() - start < timeout:
            if self.dialogs():
                last = time.time()
            elif time.time() - last >= quiet:
                return
            time.sleep(0.2)
        raise JourneyFailed("a dialog stayed open: %s" % self.dialogs())

    def dialog_click(self, dialog, form, name):
        """Clicks a widget of a dialog window (geometry from wait_dialog)."""
        self.click(form, name, origin=(dialog[0], dialog[1]))

    def close(self, may_be_killed=False):
        """Closes the program from its close button and waits for it to end;
        True when it was killed on the way (only where that may happen)."""
        self.click("Dialog", "CloseButton")
        try:
            rc = self.proc.wait(15)
        except subprocess.TimeoutExpired:
            raise JourneyFailed("the program did not end after its close button")
        self.window = None
        if may_be_killed and rc == -signal.SIGKILL:
            return True
        check(rc == 0, "the program ended with %d after its close button" % rc)
        return False

    def kill(self):
        self.proc.send_signal(signal.SIGKILL)
        self.proc.wait()
        self.window = None

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.display.close()
        remove_left_ipc(self.pids)

    # -- input

    def xdo(self, *args):
        run(["xdotool"] + [str(a) for a in args], env=self.env())

    def click_at(self, x, y, button=1, origin=None):
        ox, oy = origin if origin else self.origin
        self.move(ox + x, oy + y)
        self.xdo("click", button)
        time.sleep(0.15)

    def click(self, form, name, dx=0, dy=0, origin=None):
        x, y = widget_centre(form, name)
        self.click_at(x + dx, y + dy, origin=origin)

    def key(self, *keys, delay=0.12):
        for k in keys:
            self.xdo("key", "--clearmodifiers", k)
            time.sleep(delay)

    def type(self, text):
        self.xdo("type", "--delay", 60, text)
        time.sleep(0.1)

    def move(self, x, y):
        # A move to where the pointer already is never ends with --sync.
        if self.pointer != (x, y):
            self.xdo("mousemove", "--sync", x, y)
            self.pointer = (x, y)
        time.sleep(0.05)

    def park_pointer(self):
        # Hover looks must not differ between two pictures of one page.
        self.move(5, 995)
        time.sleep(0.05)

    # -- pictures

    def shot(self):
        result = subprocess.run(["import", "-silent", "-window", "root", "-depth", "8", "rgb:-"], env=self.env(),
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=30)
        check(result.returncode == 0 and len(result.stdout) == 1600 * 1000 * 3, "no screenshot")
        return Shot(result.stdout, 1600, 1000)

    def save_shot(self, name):
        path = os.path.join(self.root, name + ".png")
        subprocess.run(["import", "-silent", "-window", "root", path], env=self.env(),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        return path

    def screen_rect(self, rect, origin=None):
        ox, oy = origin if origin else self.origin
        x, y, w, h = rect
        return (ox + x, oy + y, w, h)

    def regions(self, rects):
        self.park_pointer()
        shot = self.shot()
        return {name: (r, shot.region(self.screen_rect(r))) for name, r in rects.items()}

    # -- the simulated devices

    def sim_state(self):
        env = dict(self.env())
        env.pop("HIDUSB_SIM_CONTROL")
        out = run([self.options.simstate, self.state_dir], env=env).stdout.decode()
        return json.loads(out)

    def sim_command(self, line, timeout=5):
        """Steers the running bench (hidusb's command file) and waits until it was taken."""
        temp = self.control + ".new"
        with open(temp, "w") as f:
            f.write(line + "\n")
        os.rename(temp, self.control)
        deadline = time.time() + timeout
        while os.path.exists(self.control):
            check(time.time() < deadline, "the bench never took '%s'" % line)
            time.sleep(0.05)

    # A journey acts inside a write only while the bench holds it there: on a
    # busy machine the write would otherwise be over before the journey acts.

    def hold(self, device, at):
        """The device's next write waits at a percentage, or ("end") its end
        event waits, until released."""
        self.sim_command("holdat %s %s" % (device, at))

    def held(self):
        """What the bench holds, as its held file says ("M2 25", "R1 end"), or None."""
        try:
            with open(self.control + ".held") as f:
                return f.read().strip()
        except OSError:
            return None

    def wait_held(self, device, at, timeout=60):
        wanted = "%s %s" % (device, at)
        wait_for(lambda: self.held() == wanted, "the bench holding %s's write at %s" % (device, at), timeout)

    def release(self, device):
        self.sim_command("release %s" % device)
        check(self.held() is None, "the bench still holds %s after its release" % self.held())


# ---- The bench and the pages ---------------------------------------------------------

# A receiver with its mouse, both on the firmware of the demo images in bin/,
# so opening the device offers no update.
with open(os.path.join(SOURCE, "hidusb", "fixtures", "current.ini")) as _f:
    BENCH_CURRENT = _f.read()

# The firmware of the demo images in bin/, and a mouse paired with a
# receiver that is not here: it answers only once paired again.
BENCH_UNPAIRED = """[R1]
type=receiver
class=4
id=3A 51 01
version=0x0103

[M1]
type=mouse
mid=1
version=0x0106
battery=80
paired=3A 52 07
"""

# Images a journey puts into its program's bin/ in place of the demo images
# (file, device code, CID, MID, version, model, USB id), as those are made.
RECEIVER_IMAGE = ("receiver-4k.bin", 211, 33, 1, "QZR-4K", "VID_5A51&PID_F514")
MOUSE_IMAGE = ("mouse-q1.bin", 210, 33, 1, "QZM-Q1", "VID_5A51&PID_F510")


def put_images(s, folder, receiver=None, mouse=None):
    """Writes a receiver and a mouse image of these versions into `folder`."""
    for kind, version in ((RECEIVER_IMAGE, receiver), (MOUSE_IMAGE, mouse)):
        if version is not None:
            fields = list(kind[1:4]) + [version] + list(kind[4:])
            run([s.options.firmwaretool, os.path.join(folder, kind[0])] + [str(f) for f in fields])


RECEIVER_ID = "3a5101"

# The one card of the device list (a single device): the card page's place
# in the list and the card's place on it.
CARD = (65 + 496 + 108, PAGE_TOP + 310 + 164)
# The first of two cards: on the cable bench below, M2's (on its cable),
# beside R1's (with its own mouse M1).
FIRST_OF_TWO_CARDS = (65 + 236 + 108, PAGE_TOP + 310 + 164)

# The level buttons of the DPI row are placed by the number of levels in use.
LEVEL_X = {1: [230], 2: [130, 330], 3: [130, 230, 330], 4: [90, 170, 250, 330], 5: [80, 155, 230, 305, 380]}

# Entries of a button's function menu, in menu order; the submenus follow.
MENU_ENTRIES = ["left", "right", "wheel", "forward", "back", "rate", "rapid fire", "combination",
                "disable", "macro", "dpi menu", "media menu", "wheel menu", "fixed dpi menu"]
MEDIA_ENTRIES = ["player", "play/pause", "next", "mute", "previous", "stop", "volume up", "volume down"]
FIXED_DPI = [100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1100, 1200]

# Sizes of the dialogs the journeys answer.
NOTICE = (448, 154)
FILE_DIALOG_MIN_WIDTH = 500

# Device buttons of the page's button labels.
DEVICE_BUTTON = {"ButtonA": 0, "ButtonB": 1, "ButtonC": 2, "ButtonE": 3, "ButtonD": 4, "ButtonF": 5}


def level_centre(count, level):
    ox, oy = form_origin("SensorDPI")
    return (ox + LEVEL_X[count][level] + 28, oy + 75 + 9)


def rects(*names, form="Buttoninterface"):
    return {name: widget_rect(form, name) for name in names}


def is_device_page(shot, session):
    # The profile box is a dark pill on the light page (its top edge holds
    # no text).
    x, y, _, _ = widget_rect("Buttoninterface", "ProjectChoose")
    r, g, b = shot.pixel(session.origin[0] + x + 5, session.origin[1] + y + 4)
    return r < 90 and g < 90 and b < 90


def wait_card(s, timeout=20, card=CARD):
    """Until the device list shows the card (the list's background changes
    only from top to bottom, so the card differs from the row's far left)."""
    x, y = card
    deadline = time.time() + timeout
    while True:
        shot = s.shot()
        ox, oy = s.origin
        if shot.pixel(ox + x, oy + y - 40) != shot.pixel(ox + 20, oy + y - 40):
            return
        check(time.time() < deadline, "the device list showed no device")
        time.sleep(0.1)


def open_device_page(s, card=CARD):
    wait_card(s, card=card)
    deadline = time.time() + 30
    clicked = 0
    while True:
        if time.time() - clicked > 5:
            s.click_at(*card)
            clicked = time.time()
        time.sleep(0.2)
        if not s.dialogs() and is_device_page(s.shot(), s):
            s.settle(quiet=0.5)
            return
        check(time.time() < deadline, "the device page did not open")


def new_window(s, action, what):
    """Does `action` and waits for a window of the program that was not there
    before (a menu, a submenu): keys sent before it shows go elsewhere."""
    before = {w for w, _ in s.dialogs()}
    action()
    return wait_for(lambda: next((w for w, _ in s.dialogs() if w not in before), None), what)


def pick(s, menu, downs):
    """Picks the entry `downs` rows down a shown menu and waits until it has
    gone, so that what the entry opens is not taken for the menu."""
    s.key(*["Down"] * downs)
    s.key("Return")
    wait_for(lambda: menu not in [w for w, _ in s.dialogs()], "the menu closing")


def choose(s, button, entry, sub=None):
    """Opens a button's function menu and picks an entry (and a submenu entry)
    with the keyboard."""
    menu = new_window(s, lambda: s.click("Buttoninterface", button), "the function menu")
    if sub is None:
        pick(s, menu, MENU_ENTRIES.index(entry) + 1)
        return
    s.key(*["Down"] * (MENU_ENTRIES.index(entry) + 1))
    new_window(s, lambda: s.key("Right"), "the submenu")
    pick(s, menu, sub)


# Where the regions of a failed comparison are saved (set per journey).
REGION_DUMPS = threading.local()


def dump_regions(name, regions):
    folder = getattr(REGION_DUMPS, "folder", None)
    if not folder:
        return ""
    paths = []
    for tag, (rect, data) in regions.items():
        path = os.path.join(folder, "%s-%s.png" % (name.replace(".", "_"), tag))
        subprocess.run(["convert", "-size", "%dx%d" % (rect[2], rect[3]), "-depth", "8", "rgb:-", path],
                       input=data, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        paths.append(path)
    return " (pictures: %s)" % ", ".join(paths)


def differ_all(a, b, what):
    for name in a:
        if a[name] == b[name]:
            raise JourneyFailed("%s: %s did not change on the page%s"
                                % (what, name, dump_regions(name, {"now": a[name]})))


def same_all(a, b, what, names=None):
    for name in names or a:
        if a[name] != b[name]:
            raise JourneyFailed("%s: %s shows other pixels (%d differ)%s"
                                % (what, name, differing_pixels(a[name][1], b[name][1]),
                                   dump_regions(name, {"now": a[name], "before": b[name]})))


# A page is painted some time after what changed it, later on a busy machine:
# the checks below look again until the page shows what they wait for.

def steady_regions(s, rects, timeout=20):
    """The regions once two looks in a row find them alike."""
    deadline = time.time() + timeout
    last = s.regions(rects)
    while True:
        now = s.regions(rects)
        if now == last:
            return now
        check(time.time() < deadline, "the page did not stop changing")
        last = now


def regions_until(s, rects, holds, timeout=20):
    """Looks until `holds(regions)` or the time is up; the last look."""
    deadline = time.time() + timeout
    while True:
        now = s.regions(rects)
        if holds(now) or time.time() > deadline:
            return now
        time.sleep(0.2)


def expect_same(s, rects, expected, what, names=None):
    """Until the regions (or those named) show what they showed before."""
    names = names or list(expected)
    now = regions_until(s, rects, lambda r: all(r[n] == expected[n] for n in names))
    same_all(now, expected, what, names)
    return now


def expect_changed(s, rects, before, what, names=None):
    """Until every region named has changed; then the regions once steady."""
    names = names or list(before)
    regions_until(s, rects, lambda r: all(r[n] != before[n] for n in names))
    now = steady_regions(s, rects)
    differ_all({n: now[n] for n in names}, before, what)
    return now


def mouse(state, profile=None):
    m = state["mice"]["M1"]
    return m["profiles"][m["profile"] if profile is None else profile]


def expect_fields(profile, expected, what):
    for key, value in expected.items():
        check(profile[key] == value, "%s: the mouse holds %s=%r, not %r" % (what, key, profile[key], value))


def dpi_of_code(code):
    # The sensor of this model takes linear codes in units of 50 DPI.
    return (code[0] + 1) * 50


def key_events(record_hex):
    """The events of a key record: (action, kind, code) of each used slot."""
    raw = bytes.fromhex(record_hex)
    events = []
    for slot in range(raw[0]):
        e = raw[4 + 8 * slot: 12 + 8 * slot]
        events.append((e[0], e[1], e[2] | e[3] << 8))
    return events


def macro_name(block_hex):
    raw = bytes.fromhex(block_hex)
    return raw[1:1 + raw[0]].decode("latin-1")


def read_file(path):
    with open(path, "rb") as f:
        return f.read()


def macro_rows(data):
    """(code, kind, release, delay ms) of each row of a macro file."""
    lines = [l.strip() for l in data.decode().splitlines()]
    check(lines, "the macro file is empty")
    rows = []
    for i in range(1, len(lines) - 1, 2):
        code, kind, release = lines[i].split()
        rows.append((int(code, 16), int(kind), int(release), int(lines[i + 1].rstrip("ms"))))
    return lines[0], rows


def cache_file(s):
    folder = os.path.join(s.data_dir, "Device_Info")
    names = [n for n in os.listdir(folder) if n.startswith("Device_CID") and n.endswith(".bin")]
    check(len(names) == 1, "one cache file expected, found %s" % names)
    return os.path.join(folder, names[0])


def check_cache_whole(s, state, what):
    data = read_file(cache_file(s))
    # A QDataStream byte array: the 32-bit length, then the 10,428-byte image.
    check(len(data) == 4 + 10428 and data[:4] == (10428).to_bytes(4, "big"),
          "%s: the cache file is not one whole image (%d bytes)" % (what, len(data)))
    image = data[4:]
    held = mouse(state)
    check(image[0] == held["reportRate"] and image[1] == held["dpiLevelCount"] and image[6] == held["debounceTime"],
          "%s: the cache file does not hold the mouse's configuration" % what)


def switch_profile(s, key):
    """Another profile from the profile box's list: the mouse reports the
    switch, and the page reads it under its wait notice."""
    s.click("Buttoninterface", "ProjectChoose")
    s.wait_dialog()   # the list
    s.key(key, "Return")
    try:
        s.wait_dialog(timeout=4)
    except JourneyFailed:
        pass   # the notice came and went between two looks
    s.settle()


# ---- Journey 1: performance settings ---------------------------------------------------


def journey_settings(s):
    """The mouse from the device list; DPI levels, polling rate, lift-off
    distance, sleep time, debounce, motion sync, ripple control and angle
    snapping; another profile and back."""
    shown = rects("ProjectChoose", "frameDpi", "frameRate", "frameLOD", "frameLOD_2", "frame", "frame_4",
                  "frame_3", "Reset_3")
    s.start()
    open_device_page(s)
    fresh = steady_regions(s, shown)
    factory = mouse(s.sim_state())

    s.note("four DPI levels to three, the third from 1600 to 1700 DPI")
    s.click("SensorDPI", "ReduceLevelA_2")
    s.click_at(*level_centre(3, 2))
    s.click("SensorDPI", "AddLevelA")
    s.click("SensorDPI", "AddLevelA")
    s.note("500 Hz, 2 mm, 5 min, debounce 9 ms, motion sync, ripple control, angle snapping")
    s.click("SensorRate", "Button500HZ")
    s.click("SensorLODB", "MM2")
    s.click("StopCloseTime", "Button5")
    s.click("Buttoninterface", "AddLevelCC")
    s.click("Buttoninterface", "Reset_3")
    s.click("RippeControl", "MM0")
    s.click("StraightLine", "MM0")
    s.settle()
    chosen = expect_changed(s, shown, fresh, "the settings", [n for n in shown if n != "ProjectChoose"])

    s.note("profile 2 and back to profile 1")
    switch_profile(s, "Down")
    expect_changed(s, shown, chosen, "the profile box on profile 2", ["ProjectChoose"])
    expect_same(s, shown, fresh, "profile 2 (as the factory made it)", [n for n in shown if n != "ProjectChoose"])
    check(s.sim_state()["mice"]["M1"]["profile"] == 1, "the mouse did not switch to profile 2")
    switch_profile(s, "Up")
    expect_same(s, shown, chosen, "back on profile 1")

    s.close()
    held = s.sim_state()
    check(held["mice"]["M1"]["profile"] == 0, "the mouse is not on profile 1")
    p = mouse(held)
    expect_fields(p, {"dpiLevelCount": 3, "dpiLevel": 2, "reportRate": 2, "liftOffDistance": 2, "sleepTime": 30,
                      "debounceTime": 9, "motionSync": 1, "rippleControl": 1, "angleSnapping": 1}, "profile 1")
    check(dpi_of_code(p["dpiLevels"][2]) == 1700, "level 3 holds %d DPI" % dpi_of_code(p["dpiLevels"][2]))
    check([dpi_of_code(c) for c in p["dpiLevels"][:2]] == [400, 800], "levels 1 and 2 changed")
    check(mouse(held, 1) == factory, "profile 2 changed")

    s.start()
    open_device_page(s)
    expect_same(s, shown, chosen, "after a restart")
    s.close()


# ---- Journey 2: side buttons -------------------------------------------------------------

MODIFIER, KEY, CONSUMER = 0, 1, 2


def journey_buttons(s):
    """A typed key combination, a media key, a fixed DPI and rapid fire."""
    labels = rects("ButtonC", "ButtonD", "ButtonE", "ButtonF")
    s.start()
    open_device_page(s)
    fresh = steady_regions(s, labels)

    s.note("button 4: Ctrl+Shift+A typed on the keyboard")
    choose(s, "ButtonD", "combination")
    dialog = s.wait_dialog(NOTICE)[1]
    s.xdo("keydown", "ctrl")
    s.xdo("keydown", "shift")
    s.xdo("key", "a")
    s.xdo("keyup", "shift")
    s.xdo("keyup", "ctrl")
    time.sleep(0.3)
    s.dialog_click(dialog, "GroupKey", "NewHong")
    s.wait_no_dialog()

    s.note("button 5: Mute; button 6: fixed 400 DPI")
    choose(s, "ButtonE", "media menu", MEDIA_ENTRIES.index("mute"))
    choose(s, "ButtonF", "fixed dpi menu", FIXED_DPI.index(400))

    s.note("button 3: rapid fire, 2 shots 40 ms apart")
    choose(s, "ButtonC", "rapid fire")
    dialog = s.wait_dialog((406, 170))[1]
    for field, value in (("Count", "2"), ("Time", "40")):
        s.click("FireKey", field, origin=dialog[:2])
        s.key("ctrl+a")
        s.type(value)
    s.dialog_click(dialog, "FireKey", "NewHong")
    s.settle()
    chosen = expect_changed(s, labels, fresh, "the button labels")

    s.close()
    p = mouse(s.sim_state())
    buttons = p["buttons"]
    check(buttons[DEVICE_BUTTON["ButtonD"]] == [5, 0, 0], "button 4 is %s" % buttons[DEVICE_BUTTON["ButtonD"]])
    events = key_events(p["keyRecords"][DEVICE_BUTTON["ButtonD"]])
    wanted = {(0, MODIFIER, 0x01), (0, MODIFIER, 0x02), (0, KEY, 0x04),
              (1, MODIFIER, 0x01), (1, MODIFIER, 0x02), (1, KEY, 0x04)}
    check(len(events) == 6 and set(events) == wanted, "button 4 sends %s, not Ctrl+Shift+A" % events)
    check(buttons[DEVICE_BUTTON["ButtonE"]] == [5, 0, 0], "button 5 is %s" % buttons[DEVICE_BUTTON["ButtonE"]])
    check(key_events(p["keyRecords"][DEVICE_BUTTON["ButtonE"]]) == [(0, CONSUMER, 0xE2), (1, CONSUMER, 0xE2)],
          "button 5 does not send Mute")
    check(buttons[DEVICE_BUTTON["ButtonF"]] == [10, 3, 0], "button 6 is %s, not 400 DPI"
          % buttons[DEVICE_BUTTON["ButtonF"]])
    check(buttons[DEVICE_BUTTON["ButtonC"]] == [4, 40, 2], "button 3 is %s, not 2 shots 40 ms apart"
          % buttons[DEVICE_BUTTON["ButtonC"]])

    s.start()
    open_device_page(s)
    expect_same(s, labels, chosen, "after a restart")
    s.close()


# ---- Journey 3: a macro ------------------------------------------------------------------


def macro_menu(s, row_y, entry):
    """The macro list's context menu at a height of the list, one entry."""
    x, y, _, _ = widget_rect("Buttoninterface", "listWidgetHong")
    menu = new_window(s, lambda: s.click_at(x + 40, y + row_y, button=3), "the macro list's menu")
    pick(s, menu, entry)


def file_dialog(s, path):
    w, g = s.wait_dialog()
    check(g[2] >= FILE_DIALOG_MIN_WIDTH, "no file dialog showed")
    # The dialog takes keys only once its name field has the focus, and the
    # name's completion list, when it shows, takes the first Return for
    # itself: the next Return is the dialog's.
    time.sleep(0.5)
    s.type(path)
    time.sleep(0.3)
    for attempt in range(3):
        s.key("Return")
        try:
            s.wait_no_dialog(timeout=4)
            return
        except JourneyFailed:
            # Another Return only for this same dialog: once it has closed,
            # a Return would press the page's focused button.
            if attempt == 2 or w not in [d for d, _ in s.dialogs()]:
                raise


def record_macro(s, name, keys):
    """A new macro `name` on the device page, recorded by typing `keys`
    ((key, pause after it) pairs) and saved."""
    s.click("Buttoninterface", "NewHong")
    dialog = s.wait_dialog(NOTICE)[1]
    s.type(name)
    s.dialog_click(dialog, "QuestionDialog", "NewHong")
    s.wait_no_dialog()
    s.click("Buttoninterface", "StartRecord")
    time.sleep(0.3)
    for key, pause in keys:
        s.key(key)
        time.sleep(pause)
    s.park_pointer()
    s.click("Buttoninterface", "StopRecord")
    s.settle()
    s.click("Buttoninterface", "Save")
    path = os.path.join(s.data_dir, "usersetting", "MacroPage", name + ".ini")
    wait_for(lambda: os.path.exists(path) and len(read_file(path).splitlines()) > 1, "the saved macro")


def bind_macro(s, button):
    choose(s, button, "macro")
    dialog = s.wait_dialog((400, 340))[1]
    x, y, _, _ = FORMS_INDEX.rect("MacroList", "listWidgetHong")
    s.click_at(x + 40, y + 12, origin=dialog[:2])
    s.dialog_click(dialog, "MacroList", "OK")
    s.settle()


def journey_macro(s):
    """Create, record by typing, save, bind; export, delete, import."""
    shown = rects("ButtonD", "listWidgetHong")
    macro_file = os.path.join(s.data_dir, "usersetting", "MacroPage", "jump.ini")
    exchange = os.path.join(s.root, "exchange")
    os.makedirs(exchange)
    s.start()
    open_device_page(s)
    fresh = steady_regions(s, shown)

    s.note("new macro 'jump', recorded: h, a pause, i, a pause, Space")
    record_macro(s, "jump", [("h", 0.5), ("i", 0.4), ("space", 0.3)])
    loop, rows = macro_rows(read_file(macro_file))
    check(loop == "1", "the macro's loop line is %r" % loop)
    check([r[:3] for r in rows] == [(0x0B, 1, 0), (0x0B, 1, 1), (0x0C, 1, 0), (0x0C, 1, 1), (0x2C, 1, 0), (0x2C, 1, 1)],
          "the recorded rows are %s" % rows)
    check(rows[1][3] >= 400 and rows[3][3] >= 300, "the pauses were not recorded: %s" % rows)
    saved = read_file(macro_file)

    s.note("bound to button 4")
    bind_macro(s, "ButtonD")
    bound = expect_changed(s, shown, fresh, "bound to button 4", ["ButtonD"])
    block = mouse(s.sim_state())["macroRecords"][DEVICE_BUTTON["ButtonD"]]
    check(mouse(s.sim_state())["buttons"][DEVICE_BUTTON["ButtonD"]] == [6, 4, 1], "button 4 does not run the macro")
    check(macro_name(block) == "jump", "the mouse's block is named %r" % macro_name(block))

    s.note("exported, deleted (button 4 back to Forward), imported, bound again")
    macro_menu(s, 15, 1)
    file_dialog(s, os.path.join(exchange, "jump.ini"))
    # The file is written after the dialog has gone, later still on a busy
    # machine.
    wait_for(lambda: os.path.exists(os.path.join(exchange, "jump.ini")), "the export")
    macro_menu(s, 15, 3)
    dialog = s.wait_dialog(NOTICE)[1]
    s.dialog_click(dialog, "DeleteConfirm", "NewHong")
    s.settle()
    check(not os.path.exists(macro_file), "the macro file stayed")
    expect_same(s, shown, fresh, "after the deletion")
    check(mouse(s.sim_state())["buttons"][DEVICE_BUTTON["ButtonD"]] == [1, 16, 0], "button 4 did not fall back")
    macro_menu(s, 100, 2)
    file_dialog(s, os.path.join(exchange, "jump.ini"))
    s.settle()
    wait_for(lambda: os.path.exists(macro_file) and read_file(macro_file) == saved,
             "an imported macro equal to the saved one")
    bind_macro(s, "ButtonD")
    expect_same(s, shown, bound, "bound again")

    s.close()
    p = mouse(s.sim_state())
    check(p["buttons"][DEVICE_BUTTON["ButtonD"]] == [6, 4, 1], "button 4 does not run the macro")
    check(p["macroRecords"][DEVICE_BUTTON["ButtonD"]] == block, "button 4 plays another block than before")

    s.start()
    open_device_page(s)
    # A fresh start shows no macro chosen: the list's row looks chosen again
    # once clicked.
    x, y, _, _ = widget_rect("Buttoninterface", "listWidgetHong")
    s.click_at(x + 40, y + 15)
    expect_same(s, shown, bound, "after a restart")
    check(macro_rows(read_file(macro_file)) == macro_rows(saved), "the macro changed after a restart")
    s.close()


# ---- Journey 4: the language -------------------------------------------------------------

# Beside a card the list says only what to do with it; the prompt to
# connect a device shows while there is none.
LIST_TEXTS = dict(rects("label_3", form="DialogChange"), **rects("comboBox", form="Dialog"))
PAGE_TEXTS = dict(rects("label_4", "label_3", "label_10", "label_11", "label_8", "ButtonA", "ButtonD"),
                  **rects("ButtonMain_2", "ButtonMain_3", "ButtonMain_4", form="Dialog"),
                  **{"SensorDPI.label": widget_rect("SensorDPI", "label"),
                     "SensorRate.label": widget_rect("SensorRate", "label")})
SETTINGS_TEXTS = rects("label_28", "label_30", "label_29", "label_6", "label_4", form="FormSetting")


def show_page(s, button):
    s.click("Dialog", button)
    s.settle(quiet=1.0)


def journey_language(s):
    """Chinese and back: the texts of every page change, and the choice stays."""
    s.start()
    wait_card(s)
    s.settle()
    held = s.sim_state()
    english = {"list": steady_regions(s, LIST_TEXTS)}
    open_device_page(s)
    english["page"] = steady_regions(s, PAGE_TEXTS)
    show_page(s, "ButtonMain_4")
    english["settings"] = steady_regions(s, SETTINGS_TEXTS)

    s.note("Chinese on the settings page")
    s.click("FormSetting", "pushButton_2")
    s.settle(quiet=1.0)
    chinese = {"settings": expect_changed(s, SETTINGS_TEXTS, english["settings"], "Chinese, settings")}
    show_page(s, "ButtonMain_3")
    chinese["page"] = expect_changed(s, PAGE_TEXTS, english["page"], "Chinese, page")
    show_page(s, "ButtonMain_2")
    chinese["list"] = expect_changed(s, LIST_TEXTS, english["list"], "Chinese, list")

    s.note("restart in Chinese, back to English")
    s.close()
    s.start()
    expect_same(s, LIST_TEXTS, chinese["list"], "the list after a restart in Chinese")
    open_device_page(s)
    expect_same(s, PAGE_TEXTS, chinese["page"], "the device page after a restart in Chinese")
    show_page(s, "ButtonMain_4")
    s.click("FormSetting", "pushButton")
    s.settle(quiet=1.0)
    expect_same(s, SETTINGS_TEXTS, english["settings"], "English again, settings")
    show_page(s, "ButtonMain_3")
    expect_same(s, PAGE_TEXTS, english["page"], "English again, device page")
    show_page(s, "ButtonMain_2")
    expect_same(s, LIST_TEXTS, english["list"], "English again, list")

    s.close()
    s.start()
    expect_same(s, LIST_TEXTS, english["list"], "the list after a restart in English")
    open_device_page(s)
    expect_same(s, PAGE_TEXTS, english["page"], "the device page after a restart in English")
    s.close()
    check(s.sim_state() == held, "a language change wrote to the mouse")


# ---- Journey 5: pairing and firmware -------------------------------------------------------


def wait_state(s, predicate, what, timeout=30):
    def matching():
        state = s.sim_state()
        return state if predicate(state) else None
    return wait_for(matching, what, timeout)


def close_when_over(s, dialog, form, button, timeout=30):
    """Clicks a dialog's button until the dialog has gone: while its run goes
    on the button is hidden or refuses, and the run ends a moment after the
    devices show it."""
    deadline = time.time() + timeout
    while True:
        s.dialog_click(dialog[1], form, button)
        try:
            wait_for(lambda: dialog[0] not in [w for w, _ in s.dialogs()], "the dialog closing", timeout=2)
            return
        except JourneyFailed:
            check(time.time() < deadline, "%s did not close from %s" % (form, button))


def settings_past_the_offer(s, versions=None, card=CARD):
    """Opens the card's device page, puts off the update it offers on
    opening and shows the settings page: the version labels as they stand
    (when asked for)."""
    s.click_at(*card)
    dialog = s.wait_dialog((552, 300), timeout=30)[1]
    s.dialog_click(dialog, "UpDateRepair", "NewHong")
    s.wait_no_dialog()
    s.settle()
    show_page(s, "ButtonMain_4")
    return steady_regions(s, versions) if versions else None


def journey_firmware(s):
    """Pairing from the frame's button; newer images put into bin/, receiver
    and mouse updated to them from the settings page."""
    card = {"card": (CARD[0] - 108, CARD[1] - 164, 216, 328)}
    versions = rects("label_5", "label_7", form="FormSetting")
    images = s.own_program_folder()
    s.start()
    wait_card(s)
    s.settle()
    unpaired = steady_regions(s, card)

    s.note("pairing from the frame's pairing button")
    s.click("Dialog", "toolButton_4")
    dialog = s.wait_dialog((552, 300))
    s.dialog_click(dialog[1], "Match", "MatchButton")
    wait_state(s, lambda st: st["mice"]["M1"]["paired"] == RECEIVER_ID, "pairing")
    close_when_over(s, dialog, "Match", "CloseButton")
    s.settle()
    paired = expect_changed(s, card, unpaired, "the card with the paired mouse")

    s.note("newer receiver and mouse images put into bin/")
    put_images(s, images, receiver=0x0104, mouse=0x0107)

    s.note("the mouse on its cable (it is updated wired); the update offered on opening is put off")
    s.sim_command("plug M1 1")
    time.sleep(1.5)
    old = settings_past_the_offer(s, versions)

    s.note("Update on the settings page")
    s.click("FormSetting", "Receive_2")
    dialog = s.wait_dialog((552, 300))
    s.dialog_click(dialog[1], "UpDateRepair", "NewHong_2")
    updated = wait_state(s, lambda st: st["receivers"]["R1"]["version"] == 0x0104
                         and st["mice"]["M1"]["version"] == 0x0107, "the update", timeout=60)
    close_when_over(s, dialog, "UpDateRepair", "NewHong_2")
    s.settle()
    new = expect_changed(s, versions, old, "the version labels")
    s.save_shot("updated")   # to look at: the labels name 1.04 and 1.07
    s.sim_command("plug M1 0")
    s.settle()
    s.close()
    check(updated["mice"]["M1"]["paired"] == RECEIVER_ID, "the mouse lost its pairing")

    s.start()
    expect_same(s, card, paired, "the list after a restart")
    open_device_page(s)
    show_page(s, "ButtonMain_4")
    expect_same(s, versions, new, "the version labels after a restart")
    s.close()
    held = s.sim_state()
    check(held["receivers"]["R1"]["version"] == 0x0104 and held["mice"]["M1"]["version"] == 0x0107,
          "the devices do not hold the new firmware")


# ---- Journey 7: an update from the mouse on its cable ------------------------------------------

# The bench scripts/run.sh starts the program against: receiver R1 with its
# wireless mouse M1, and another mouse M2 on its cable, paired with a
# receiver that is not here. All run older firmware than the demo images.
BENCH_CABLE = """[R1]
type=receiver
class=4
id=3A 51 01
version=0x0102
mouse=M1

[M1]
type=mouse
mid=1
version=0x0105
battery=80

[M2]
type=mouse
mid=1
version=0x0105
battery=100
charging=1
cable=1
paired=3A 52 07
"""


def journey_cable_update(s):
    """M2's card (R1's beside it) opens M2, on its cable; the settings page
    updates the receiver and that mouse. Escape and the close button right
    after "Update" leave the dialog up until its end view; the image goes to
    M2, not to M1 behind the receiver, and the page shows the versions the
    devices report, after a restart too."""
    versions = rects("label_5", "label_7", form="FormSetting")
    s.start()
    wait_card(s, card=FIRST_OF_TWO_CARDS)
    s.settle()

    s.note("M2's page: the update offered on opening is put off")
    old = settings_past_the_offer(s, versions, card=FIRST_OF_TWO_CARDS)

    s.note("Update, then at once Escape and the close button; the receiver's write held at its half meanwhile")
    s.hold("R1", 50)
    s.click("FormSetting", "Receive_2")
    dialog = s.wait_dialog((552, 300))
    s.dialog_click(dialog[1], "UpDateRepair", "NewHong_2")
    s.key("Escape", delay=0.05)
    s.dialog_click(dialog[1], "UpDateRepair", "CloseButton")
    # The keys reach the program before the run can end: it goes on once
    # they have had their time.
    s.wait_held("R1", 50)
    keeps(lambda: dialog[0] in [w for w, _ in s.dialogs()], 1, "the dialog closed while the update ran")
    s.release("R1")
    deadline = time.time() + 60
    while True:
        state = s.sim_state()
        check(dialog[0] in [w for w, _ in s.dialogs()], "the dialog closed while the update ran")
        if state["receivers"]["R1"]["version"] == 0x0103 and state["mice"]["M2"]["version"] == 0x0106:
            break
        check(time.time() < deadline, "the update never reached the devices")
        time.sleep(0.3)
    check(state["mice"]["M1"]["version"] == 0x0105, "the mouse behind the receiver was flashed")
    close_when_over(s, dialog, "UpDateRepair", "NewHong_2")
    s.settle()
    new = expect_changed(s, versions, old, "the version labels")
    s.save_shot("updated")   # to look at: the labels name 1.03 and 1.06
    s.close()

    s.start()
    open_device_page(s, card=FIRST_OF_TWO_CARDS)
    s.settle()
    check(all((g[2], g[3]) != (552, 300) for _, g in s.dialogs()),
          "an update is offered for devices on the images' versions")
    show_page(s, "ButtonMain_4")
    expect_same(s, versions, new, "the version labels after a restart")
    s.close()


# ---- Journeys 8 to 11: an update that goes wrong, and one that goes well slowly --------------

# The dialog's progress bar (in the dialog) and the colour of its fill.
BAR = (85, 230, 381, 26)


def fail_record(s):
    """The failure record the program keeps in its registry stand-in, or None."""
    path = os.path.join(s.home, ".config", "Quzmar", "registry.ini")
    if not os.path.exists(path):
        return None
    with open(path, encoding="utf-8") as f:
        for line in f:
            key, _, value = line.strip().partition("=")
            if key.endswith("UpdateFailInfo"):
                return value.strip('"')
    return None


def start_update(s):
    """The settings page's update button, then the dialog's Update."""
    s.click("FormSetting", "Receive_2")
    dialog = s.wait_dialog((552, 300))
    s.dialog_click(dialog[1], "UpDateRepair", "NewHong_2")
    return dialog


def start_repair(s):
    """The device list's repair button, then the dialog's Update."""
    s.click("DialogChange", "Repair")
    dialog = s.wait_dialog((552, 300))
    s.dialog_click(dialog[1], "UpDateRepair", "NewHong_2")
    return dialog


def dialog_pixels(s, dialog):
    s.park_pointer()
    return s.shot().region(dialog[1])


def bar_filled(s, dialog, percent):
    """Whether the dialog's bar is filled at least to `percent`."""
    x, y, w, h = BAR
    r, g, b = s.shot().pixel(dialog[1][0] + x + w * percent // 100 - 3, dialog[1][1] + y + h // 2)
    return g > 180 and r < 140 and b < 80


def view_stays(s, dialog, seconds, what):
    """The dialog shows the same pixels for `seconds` while the devices
    change: the end view waits for the user."""
    first = dialog_pixels(s, dialog)
    deadline = time.time() + seconds
    while time.time() < deadline:
        check(dialog[0] in [w for w, _ in s.dialogs()], "%s: the dialog closed by itself" % what)
        now = dialog_pixels(s, dialog)
        check(now == first, "%s: the end view changed (%d pixels)" % (what, differing_pixels(now, first)))
        time.sleep(0.5)
    return first


# The dialog's state line above the bar, and its Cancel button: the run's
# view hides the button, every view that waits for the user shows it.
STATE_LINE = widget_rect("UpDateRepair", "ToolText_2")
CANCEL = widget_rect("UpDateRepair", "NewHong")


def cancel_shown(s, dialog):
    x, y, w, h = CANCEL
    r, g, b = s.shot().pixel(dialog[1][0] + x + 8, dialog[1][1] + y + h // 2)
    return b > 180 and r < 120


def bar_shown(s, dialog):
    """Whether the dialog shows its bar: the bar's frame is dark on the light
    dialog, the views that say why nothing runs hide it."""
    x, y, w, h = BAR
    return max(s.shot().pixel(dialog[1][0] + x, dialog[1][1] + y + h // 2)) < 160


def state_line_width(s, dialog):
    """How wide the dialog's state line is written, in pixels: the line is
    centred and its texts differ in length."""
    x, y, w, h = STATE_LINE
    s.park_pointer()
    shot = s.shot()
    ox, oy = dialog[1][0] + x, dialog[1][1] + y
    back = shot.pixel(ox + 1, oy + 1)
    written = [c for c in range(w)
               if any(max(abs(a - b) for a, b in zip(shot.pixel(ox + c, oy + r), back)) > 80 for r in range(h))]
    return written[-1] - written[0] + 1 if written else 0


def run_view(s, dialog):
    """Right after the user's confirmation: the run's view (the bar, no
    Cancel), not a view that says why nothing can run."""
    wait_for(lambda: bar_shown(s, dialog) and not cancel_shown(s, dialog),
             "the run's view (the dialog may say why it does not run)")


def end_view(s, dialog, timeout=60):
    """Until the run's end view, which waits for the user; the width of its
    state line."""
    wait_for(lambda: cancel_shown(s, dialog), "the run's end view", timeout=timeout)
    return state_line_width(s, dialog)


def run_and_end_view(s, dialog, timeout=60):
    run_view(s, dialog)
    return end_view(s, dialog, timeout)


def expect_completed(s, dialog, width, what):
    """The end view says "Update completed.", with the bar full. Its 17
    letters are the one short text of the state line: the shortest other
    one, "Update failed. Please try again.", has 32."""
    check(0 < width < STATE_LINE[2] * 3 // 10 and bar_filled(s, dialog, 99),
          "%s: the end view is not \"Update completed.\" with the bar full (state line %d pixels wide)"
          % (what, width))


# The device list's repair offer: its button and the text above the cards.
LIST_REPAIR = rects("Repair", "label_3", form="DialogChange")
# The settings page's update button: "Update" (coloured while an update
# waits), or "Up to date" once asked with nothing to update.
UPDATE_BUTTON = rects("Receive_2", form="FormSetting")


def to_settings_page(s, env):
    """Starts the program with these environment variables, opens M2's
    device page (the first card of the cable bench) past the update it
    offers and shows the settings page; the list's repair offer as it
    stood."""
    s.extra_env = env
    s.start()
    wait_card(s, timeout=40, card=FIRST_OF_TWO_CARDS)
    s.settle()
    offer = steady_regions(s, LIST_REPAIR)
    settings_past_the_offer(s, card=FIRST_OF_TWO_CARDS)
    return offer


def journey_receiver_fails(s):
    """bin/ holds a receiver image whose version text is the one M2 runs
    (1.05) and a newer mouse image. The receiver's write fails at 40 %: the
    failure view stays through the devices' changes until OK; a program
    started again finds the receiver waiting in update mode and offers its
    repair on the list; Repair writes that receiver as well as the mouse,
    ends on "Update completed." and takes the record and the offer away."""
    put_images(s, s.own_program_folder(), receiver=0x0105, mouse=0x0107)
    # Three times slower than the devices' own pace: the failed receiver
    # re-enumerates after the settings page's run has wound down.
    no_offer = to_settings_page(s, {"HIDUSB_SIM_TIME_SCALE": "3"})

    s.note("Update, the receiver's write failing at 40 %")
    s.sim_command("failupdate R1 40")
    dialog = start_update(s)
    wait_state(s, lambda st: st["receivers"]["R1"]["updateMode"], "the receiver failing", timeout=60)
    end_view(s, dialog)
    view_stays(s, dialog, 5, "the receiver's failure")
    # The failure view keeps the bar where the write stopped (40 % of the
    # receiver's half).
    check(bar_filled(s, dialog, 15) and not bar_filled(s, dialog, 25), "the failure view does not show the bar at 17 %")
    check(fail_record(s) == "211,4,33,1", "the failure record is %r" % fail_record(s))
    close_when_over(s, dialog, "UpDateRepair", "NewHong_2")
    s.settle()
    s.close()

    s.note("started again: the receiver waits in update mode; Repair")
    s.start()
    wait_card(s, timeout=40)
    s.settle()
    expect_changed(s, LIST_REPAIR, no_offer, "the list's repair offer")
    dialog = start_repair(s)
    width = run_and_end_view(s, dialog, timeout=120)
    s.save_shot("repaired")   # to look at: "Update completed." under a full bar
    state = s.sim_state()
    check(not state["receivers"]["R1"]["updateMode"], "the repair ended with the receiver still in update mode")
    check(state["receivers"]["R1"]["version"] == 0x0105 and state["mice"]["M2"]["version"] == 0x0107,
          "the repair left the receiver at %#06x and the mouse at %#06x"
          % (state["receivers"]["R1"]["version"], state["mice"]["M2"]["version"]))
    check(state["mice"]["M1"]["version"] == 0x0105, "the mouse behind the receiver was flashed")
    expect_completed(s, dialog, width, "the repair")
    close_when_over(s, dialog, "UpDateRepair", "NewHong_2")
    s.settle()
    check(fail_record(s) is None, "the failure record stayed after the repair")
    expect_same(s, LIST_REPAIR, no_offer, "the list after the repair")
    s.close()


def journey_cable_pulled(s):
    """The mouse's cable pulled while its firmware is written: the failure
    view, the mouse waiting in update mode; the cable back in opens nothing
    by itself. A newer receiver image in bin/, and an update from the
    receiver's card whose receiver write fails: the waiting mouse is
    repaired first, the failure view names the receiver and its record
    takes the mouse's place; the list offers the repair beside M2's card,
    and Repair flashes the receiver."""
    images = s.own_program_folder()
    # At the devices' own pace: the run's view of each later update lasts
    # long enough to be seen between two screenshots.
    no_offer = to_settings_page(s, {"HIDUSB_SIM_TIME_SCALE": "1"})

    s.note("Update; the cable pulled while the mouse's write is held at a quarter (the bar at 62 %)")
    s.hold("M2", 25)
    dialog = start_update(s)
    s.wait_held("M2", 25)
    wait_for(lambda: bar_filled(s, dialog, 62), "the bar at 62 % while the mouse's write is held")
    s.sim_command("plug M2 0")
    state = wait_state(s, lambda st: st["mice"]["M2"]["updateMode"], "the mouse left in update mode")
    check(s.held() is None, "the bench holds a write the pulled cable ended: %s" % s.held())
    check(state["receivers"]["R1"]["version"] == 0x0103 and state["mice"]["M2"]["version"] == 0x0105,
          "the versions after the pulled write")
    end_view(s, dialog)
    view_stays(s, dialog, 3, "the mouse's failure")
    mouse_failure = state_line_width(s, dialog)
    check(fail_record(s) == "210,4,33,1", "the failure record is %r" % fail_record(s))
    close_when_over(s, dialog, "UpDateRepair", "NewHong_2")
    s.settle()

    s.note("a newer receiver image in bin/; the cable back in: no dialog of its own")
    put_images(s, images, receiver=0x0105)
    s.sim_command("plug M2 1")
    time.sleep(3.0)
    check(not s.dialogs(), "a dialog opened by itself when the cable came back: %s" % s.dialogs())

    s.note("the receiver's card, its settings page: Update, the receiver's write failing at 40 %")
    show_page(s, "ButtonMain_2")
    wait_card(s)
    one_card = {"card": (CARD[0] - 108, CARD[1] - 164, 216, 328)}
    receiver_card = steady_regions(s, one_card)
    settings_past_the_offer(s)
    s.sim_command("failupdate R1 40")
    dialog = start_update(s)
    width = run_and_end_view(s, dialog)
    s.save_shot("receiver-failed")   # to look at: the failure names the receiver
    state = s.sim_state()
    check(state["mice"]["M2"]["version"] == 0x0106 and not state["mice"]["M2"]["updateMode"],
          "the waiting mouse was not repaired first")
    check(state["receivers"]["R1"]["updateMode"], "the receiver's write did not fail")
    check(fail_record(s) == "211,4,33,1", "the failure record is %r" % fail_record(s))
    # The mouse filled the bar's lower half, the receiver stopped at 40 % of
    # the upper one; the receiver's name is longer than the mouse's.
    check(bar_filled(s, dialog, 65) and not bar_filled(s, dialog, 75),
          "the failure view does not show the bar at two thirds")
    check(width > mouse_failure, "the failure view does not name the receiver (%d pixels, the mouse's %d)"
          % (width, mouse_failure))
    close_when_over(s, dialog, "UpDateRepair", "NewHong_2")
    s.settle()

    s.note("the list: the repair offer, M2's card; Repair")
    show_page(s, "ButtonMain_2")
    wait_card(s)
    expect_changed(s, LIST_REPAIR, no_offer, "the list's repair offer")
    expect_changed(s, one_card, receiver_card, "M2's card in the receiver's place")
    dialog = start_repair(s)
    width = run_and_end_view(s, dialog)
    s.save_shot("receiver-repaired")   # to look at: "Update completed." under a full bar
    state = s.sim_state()
    check(state["receivers"]["R1"]["version"] == 0x0105 and not state["receivers"]["R1"]["updateMode"],
          "the receiver was not repaired")
    check(state["mice"]["M2"]["version"] == 0x0106, "the mouse was written again")
    expect_completed(s, dialog, width, "the receiver's repair")
    close_when_over(s, dialog, "UpDateRepair", "NewHong_2")
    s.settle()
    check(fail_record(s) is None, "the failure record stayed after the repair")
    expect_same(s, LIST_REPAIR, no_offer, "the list after the repair")
    s.close()


def journey_silent_updater(s):
    """A repair whose updater stays silent for longer than the watchdog
    (QUZ_UPDATE_WATCHDOG_MS): the failure view; the receiver's late end, which
    comes after the user closed it, flashes nothing more and clears the
    record, as the receiver works. Then an update of the mouse alone whose
    end comes only after the program has been closed, the mouse written
    before the watchdog: the run ends on "Update completed." and leaves no
    record, so a program started again offers no repair and no update."""
    to_settings_page(s, {"QUZ_UPDATE_WATCHDOG_MS": "1500"})
    s.sim_command("failupdate R1 40")
    dialog = start_update(s)
    wait_for(lambda: fail_record(s) == "211,4,33,1", "the receiver failing", timeout=60)
    close_when_over(s, dialog, "UpDateRepair", "NewHong_2")
    s.settle()

    s.note("Repair; the receiver's end held until the user has closed the failure")
    s.hold("R1", "end")
    dialog = start_repair(s)
    wait_state(s, lambda st: st["receivers"]["R1"]["version"] == 0x0103, "the receiver written", timeout=60)
    s.wait_held("R1", "end")
    wait_for(lambda: bar_filled(s, dialog, 45) and cancel_shown(s, dialog), "the watchdog's failure", timeout=30)
    s.dialog_click(dialog[1], "UpDateRepair", "NewHong")
    s.wait_no_dialog()

    s.note("the late end comes after the user closed the failure")
    s.release("R1")
    wait_for(lambda: fail_record(s) is None, "the late end clearing the record, as the receiver's write ended well")
    keeps(lambda: not s.dialogs(), 2, "a dialog opened at the late end")
    state = s.sim_state()
    check(state["mice"]["M2"]["version"] == 0x0105, "the mouse was flashed after the late end")
    s.close()

    s.note("started again, the receiver current: Update; the mouse is written, its end held past the close")
    no_offer = to_settings_page(s, {"QUZ_UPDATE_WATCHDOG_MS": "3000"})
    offered = steady_regions(s, UPDATE_BUTTON)
    s.hold("M2", "end")
    dialog = start_update(s)
    run_view(s, dialog)
    wait_state(s, lambda st: st["mice"]["M2"]["version"] == 0x0106, "the mouse written", timeout=30)
    s.wait_held("M2", "end")
    width = end_view(s, dialog, timeout=20)
    s.save_shot("mouse-written")   # to look at: "Update completed." under a full bar
    check(fail_record(s) is None, "the watchdog left a record for the mouse, which reads back right: %r"
          % fail_record(s))
    expect_completed(s, dialog, width, "the mouse written before the watchdog ended its step")
    close_when_over(s, dialog, "UpDateRepair", "NewHong_2")
    s.settle()

    s.note("closed before the late end and started again: nothing to repair, nothing to update")
    check(s.held() == "M2 end", "the mouse's end came before the program was closed")
    s.close()
    s.start()
    wait_card(s, timeout=40, card=FIRST_OF_TWO_CARDS)
    s.settle()
    expect_same(s, LIST_REPAIR, no_offer, "the list started again")
    check(fail_record(s) is None, "a record is kept: %r" % fail_record(s))
    open_device_page(s, card=FIRST_OF_TWO_CARDS)
    show_page(s, "ButtonMain_4")
    current = expect_changed(s, UPDATE_BUTTON, offered, "the update button, no longer offering an update")
    s.note("the update button: no dialog, the button says \"Up to date\"")
    s.click("FormSetting", "Receive_2")
    expect_changed(s, UPDATE_BUTTON, current, "the update button asked with both devices up to date")
    check(not s.dialogs(), "the update button opened a dialog: %s" % s.dialogs())
    s.save_shot("up-to-date")   # to look at: the button says so
    s.close()


def journey_slow_success(s):
    """A full update with the devices three times slower: "Update completed."
    stays through their re-enumeration until OK."""
    to_settings_page(s, {"HIDUSB_SIM_TIME_SCALE": "3"})

    s.note("Update at a third of the devices' pace")
    dialog = start_update(s)
    wait_state(s, lambda st: st["receivers"]["R1"]["version"] == 0x0103 and st["mice"]["M2"]["version"] == 0x0106,
               "the update", timeout=120)
    wait_for(lambda: bar_filled(s, dialog, 99) and cancel_shown(s, dialog), "the success view", timeout=30)
    view_stays(s, dialog, 6, "the success view")
    close_when_over(s, dialog, "UpDateRepair", "NewHong_2")
    s.settle()
    s.close()


# ---- Journey 6: a mouse that goes away, a program that is killed -----------------------------


def file_digest(path):
    return read_file(path) if os.path.exists(path) else None


def open_page_or_killed(s, timeout=40):
    """Opens the device page of a program that may be killed on the way: True
    when it was killed, False when it reached a settled device page."""
    deadline = time.time() + timeout
    clicked = 0
    while time.time() < deadline:
        if s.proc.poll() is not None:
            check(s.proc.returncode == -signal.SIGKILL, "the program ended with %s" % s.proc.returncode)
            return True
        try:
            if not s.dialogs():
                if is_device_page(s.shot(), s):
                    s.settle()
                    if s.proc.poll() is None:
                        return False
                elif time.time() - clicked > 5:
                    s.click_at(*CARD)
                    clicked = time.time()
        except JourneyFailed:
            if s.proc.poll() is None:
                raise
        time.sleep(0.2)
    raise JourneyFailed("the program was neither killed nor showed the device page")


def journey_offline(s):
    """The mouse switched off while its page is open; the program killed in
    the middle of writing its files."""
    shown = rects("frameRate", "frame_3")
    macro_file = os.path.join(s.data_dir, "usersetting", "MacroPage", "jump.ini")
    s.start()
    open_device_page(s)
    before = steady_regions(s, shown)

    s.note("the mouse goes off: a change shows the offline notice and writes nothing")
    state_file = os.path.join(s.state_dir, "hidusb-state.json")
    s.sim_command("online M1 0")
    time.sleep(2.0)
    files = (file_digest(state_file), file_digest(cache_file(s)))
    for form, name in (("SensorRate", "Button500HZ"), ("Buttoninterface", "AddLevelCC")):
        s.click(form, name)
        dialog = s.wait_dialog(NOTICE)[1]
        s.dialog_click(dialog, "MouseOffLine", "NewHong")
        s.wait_no_dialog()
    expect_same(s, shown, before, "the page while the mouse is off")
    check((file_digest(state_file), file_digest(cache_file(s))) == files, "something was written while offline")

    s.note("the mouse comes back: the page takes changes again")
    s.sim_command("online M1 1")
    time.sleep(2.5)
    s.settle()
    expect_same(s, shown, before, "the page when the mouse is back")
    s.click("SensorRate", "Button500HZ")
    s.settle()
    check(mouse(s.sim_state())["reportRate"] == 2, "a change after the mouse came back did not reach it")

    s.note("a macro bound to button 4, so that reading the mouse writes its file")
    record_macro(s, "jump", [("h", 0.3), ("i", 0.3)])
    bind_macro(s, "ButtonD")
    saved = macro_rows(read_file(macro_file))
    s.close()

    s.note("killed at each of its writes into the macro folder and the cache folder as it reads the mouse")
    for folder in (os.path.dirname(macro_file), os.path.join(s.data_dir, "Device_Info")):
        for n in range(1, 20):
            s.extra_env = {"LD_PRELOAD": s.options.killwrite, "JOURNEY_KILL_WRITE_IN": folder,
                           "JOURNEY_KILL_WRITE_AT": str(n)}
            s.start()
            wait_card(s)
            killed = open_page_or_killed(s)
            s.extra_env = {}
            what = "killed at write %d into %s" % (n, os.path.basename(folder))
            s.note(what)
            if killed:
                s.window = None
            elif s.close(may_be_killed=True):
                # Its last writes come as it closes.
                killed = True
            check(macro_rows(read_file(macro_file)) == saved, "%s: the macro file is not whole" % what)
            check_cache_whole(s, s.sim_state(), what)
            if not killed:
                check(n > 1, "the program wrote nothing into %s while reading the mouse" % folder)
                break

    s.note("it starts again after being killed and shows the mouse")
    s.start()
    open_device_page(s)
    expect_changed(s, shown, before, "the page showing 500 Hz", ["frameRate"])
    s.close()
    check(macro_rows(read_file(macro_file)) == saved, "the macro file is not whole after the restart")
    check_cache_whole(s, s.sim_state(), "after the restart")


# ---- Running them ---------------------------------------------------------------------------

JOURNEYS = [
    (1, "settings", journey_settings, BENCH_CURRENT),
    (2, "buttons", journey_buttons, BENCH_CURRENT),
    (3, "macro", journey_macro, BENCH_CURRENT),
    (4, "language", journey_language, BENCH_CURRENT),
    (5, "pairing and firmware", journey_firmware, BENCH_UNPAIRED),
    (6, "offline and killed", journey_offline, BENCH_CURRENT),
    (7, "update from the mouse on its cable", journey_cable_update, BENCH_CABLE),
    (8, "the receiver's write fails, repaired after a restart", journey_receiver_fails, BENCH_CABLE),
    (9, "the mouse's cable pulled during its write, then the receiver's failing", journey_cable_pulled,
     BENCH_CABLE),
    (10, "an updater silent past the watchdog", journey_silent_updater, BENCH_CABLE),
    (11, "a slow update that ends well", journey_slow_success, BENCH_CABLE),
]


def run_journey(number, name, function, bench, options, results):
    started = time.time()
    session = None
    try:
        session = Session(number, options, bench)
        REGION_DUMPS.folder = session.root
        function(session)
        results[number] = (True, "passed in %.0f s" % (time.time() - started), session)
    except Exception as error:   # every failure is reported with its journey
        detail = "%s: %s" % (type(error).__name__, error)
        if not isinstance(error, JourneyFailed):
            detail += "\n" + traceback.format_exc()
        if session:
            detail += "\n    last step: %s" % (session.steps[-1] if session.steps else "start")
            try:
                detail += "\n    screen: %s" % session.save_shot("failure")
            except Exception:
                pass
            detail += "\n    program output: %s" % session.log
        results[number] = (False, detail, session)
    finally:
        if session:
            session.stop()
            # A failed journey's folder stays to be looked at.
            if results.get(number, (False,))[0] and not options.keep:
                shutil.rmtree(session.root, ignore_errors=True)


def missing_tools():
    return [tool for tool in ("Xvfb", "xdotool", "import") if shutil.which(tool) is None]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--program", required=True)
    parser.add_argument("--simstate", required=True)
    parser.add_argument("--killwrite", required=True)
    parser.add_argument("--firmwaretool", required=True)
    parser.add_argument("--work", default=None, help="folder for each journey's HOME (default: a temporary one)")
    parser.add_argument("--only", default="", help="journey numbers, e.g. 1,3")
    parser.add_argument("--keep", action="store_true", help="keep the folders of journeys that passed")
    parser.add_argument("--display-base", type=int, default=60)
    parser.add_argument("--serial", action="store_true", help="one journey after the other")
    options = parser.parse_args()

    missing = missing_tools()
    if missing:
        print("journeys skipped: %s not installed (sh scripts/setup.sh installs them)" % ", ".join(missing))
        return SKIP
    tools = ("program", "simstate", "killwrite", "firmwaretool")
    for tool in tools:
        setattr(options, tool, os.path.abspath(getattr(options, tool)))
    for path in (getattr(options, tool) for tool in tools):
        if not os.path.exists(path):
            print("missing %s" % path)
            return 1
    if options.work:
        os.makedirs(options.work, exist_ok=True)
    else:
        options.work = tempfile.mkdtemp(prefix="journeys-")

    chosen = [j for j in JOURNEYS if not options.only or str(j[0]) in options.only.split(",")]
    results = {}
    threads = []
    for number, name, function, bench in chosen:
        t = threading.Thread(target=run_journey, args=(number, name, function, bench, options, results))
        threads.append(t)
        t.start()
        if options.serial:
            t.join()
        else:
            time.sleep(0.5)   # displays are taken one at a time
    for t in threads:
        t.join()

    failed = 0
    for number, name, _, _ in chosen:
        ok, detail, session = results[number]
        print("journey %d (%s): %s" % (number, name, "ok, " + detail if ok else "FAILED\n    " + detail))
        if session:
            for step in session.steps:
                print("      - %s" % step)
        failed += 0 if ok else 1
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
