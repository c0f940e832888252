"""Pieces of the ticker window scripts: a program folder with the ticker,
the ticker file and settings written by the test, the ticker window found,
captured and messaged through the helper, and pixels read from captures.
"""

import datetime
import os
import shutil
import struct
import subprocess
import tempfile
import time

import tessivar_e2e as e2e

CLASS = "TKVBANDFORM"
TITLE = "TessivarTicker"
SHOTS = "/tmp/shots"
# The screen's far corner, clear of every window the tests open.
CORNER = (1279, 799)


def day_number(t=None):
    """Local time as the day number the ticker file keeps (days since 1899-12-30)."""
    d = datetime.datetime.fromtimestamp(time.time() if t is None else t)
    return (d - datetime.datetime(1899, 12, 30)).total_seconds() / 86400.0


class Ticker:
    """One install with the ticker beside the setup program."""

    def __init__(self, server, oem=None, ini=None):
        self.install = e2e.Install(server, oem)
        shutil.copy(os.path.join(e2e.BIN, "TessivarOrvanel.exe"), self.install.prog)
        self.exe = os.path.join(self.install.prog, "TessivarOrvanel.exe")
        if ini is not None:
            self.install.write_ini(ini)
        self.procs = []

    def write_tic(self, lines):
        data = b"".join(e2e._encode("\t".join(map(str, f))) + b"\r\n" for f in lines)
        self.install.write_bytes(self.install.path("TessivarOrvanel.tic"), data)

    def start(self, args=()):
        # A pointer resting on the strip would hold its display: it goes to
        # the far corner first.
        away()
        p = e2e.wine_start(self.exe, list(args), self.install.env)
        self.procs.append(p)
        return p

    def close(self):
        send(e2e_close=True)
        for p in self.procs:
            wait_exit(p, 20)
        self.install.close()


def helper(*args, timeout=60):
    return e2e.helper_run(args, timeout=timeout)


def helper_ok(*args, timeout=60):
    """The helper's output; its exit code must be 0."""
    rc, out = helper(*args, timeout=timeout)
    assert rc == 0, "helper %s: exit code %d: %s" % (" ".join(map(str, args)), rc, out)
    return out


def _helper_file(*args, timeout=60):
    """Runs the helper with an output file as its last argument: (exit code,
    the file's bytes or None)."""
    tmp = tempfile.mkdtemp(prefix="tessivar-out-")
    try:
        out = os.path.join(tmp, "out.txt")
        rc, _ = helper(*(list(args) + [out]), timeout=timeout)
        return rc, (open(out, "rb").read() if os.path.exists(out) else None)
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


def window(seconds=60, cls=CLASS, title=TITLE):
    """(count, visible, left, top, right, bottom) of the ticker window (or of
    the window of that class and title) once it shows, or after the limit."""
    tmp = tempfile.mkdtemp(prefix="tessivar-win-")
    try:
        out = os.path.join(tmp, "w.txt")
        rc, log = helper("window", cls, title, out, seconds, timeout=seconds + 60)
        assert os.path.exists(out), "helper window: exit code %d: %s" % (rc, log)
        return tuple(int(x) for x in open(out).read().split())
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


def send(message=None, wparam=0, e2e_close=False):
    if e2e_close:
        message = 0x10  # WM_CLOSE
    rc, _ = helper("send", CLASS, TITLE, message, wparam)
    return rc == 0


def wait_exit(p, seconds):
    try:
        p.communicate(timeout=seconds)
        return p.returncode
    except subprocess.TimeoutExpired:
        # The whole session: a ticker left running would be the first copy
        # that every later start only brings forward.
        e2e.wine_kill(p)
        p.communicate()
        return None


class Bitmap:
    """A 24-bit bottom-up BMP as the helper writes it."""

    def __init__(self, path):
        data = open(path, "rb").read()
        self.path = path
        offset = struct.unpack_from("<I", data, 10)[0]
        self.width, self.height = struct.unpack_from("<ii", data, 18)
        self.stride = (self.width * 3 + 3) & ~3
        self.pixels = data[offset:]

    def pixel(self, x, y):
        """(r, g, b) at x, y counted from the top left."""
        row = self.height - 1 - y
        i = row * self.stride + x * 3
        b, g, r = self.pixels[i:i + 3]
        return (r, g, b)

    def count(self, rgb, box=None, tolerance=0):
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        n = 0
        for y in range(y0, y1):
            for x in range(x0, x1):
                p = self.pixel(x, y)
                if all(abs(p[i] - rgb[i]) <= tolerance for i in range(3)):
                    n += 1
        return n

    def columns_with(self, rgb, box, tolerance=40):
        """x positions in box where some pixel is close to rgb."""
        x0, y0, x1, y1 = box
        xs = []
        for x in range(x0, x1):
            for y in range(y0, y1):
                p = self.pixel(x, y)
                if all(abs(p[i] - rgb[i]) <= tolerance for i in range(3)):
                    xs.append(x)
                    break
        return xs


def capture(name, box=None):
    """Captures the ticker window (or the screen part box); returns the
    Bitmap and keeps a PNG copy in /tmp/shots for looking at."""
    tmp = tempfile.mkdtemp(prefix="tessivar-shot-")
    bmp = os.path.join(tmp, name + ".bmp")
    rc, out = helper(*(["capturerect"] + list(box) if box else ["capture", CLASS, TITLE]), bmp)
    if rc != 0 or not os.path.exists(bmp):
        shutil.rmtree(tmp, ignore_errors=True)
        return None
    os.makedirs(SHOTS, exist_ok=True)
    png = os.path.join(SHOTS, "ticker-%s.png" % name)
    subprocess.run(["convert", bmp, "-scale", "300%", png], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=30)
    return Bitmap(bmp)


def wait_for_capture(name, good, seconds):
    """Captures until good(bitmap) holds; the last capture either way."""
    deadline = time.time() + seconds
    shot = None
    while True:
        shot = capture(name) or shot
        if shot is not None and good(shot):
            return shot, True
        if time.time() >= deadline:
            return shot, False
        time.sleep(0.5)


def bgr(value):
    """A colour value of the settings ($00BBGGRR) as (r, g, b)."""
    return (value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF)


def stand_in(ticker, *names):
    """Copies the stand-in program into the ticker's folder under each name;
    every start then adds a line to standin.log there."""
    source = os.path.join(e2e.BUILD, "tests", "TessivarStandIn.exe")
    for name in names:
        shutil.copy(source, os.path.join(ticker.install.prog, name))


def starts(folder, count=1, seconds=20):
    """The logged starts (program name and arguments) once there are count of
    them, or after the time limit."""
    deadline = time.time() + seconds
    while True:
        logged = e2e.standin_starts(folder)
        if len(logged) >= count or time.time() >= deadline:
            return logged
        time.sleep(0.2)


def click(x, y, button="left"):
    helper_ok("click", x, y, button)


def keys(*codes):
    """Virtual-key numbers (or "alt+0x28" and the like), pressed in turn.
    The caller waits for what the keys bring about."""
    helper_ok("keys", *codes)


def popups(count, seconds=30):
    """The rectangles of the popup menus on show, the last opened first, once
    there are exactly count of them."""
    rc, data = _helper_file("popups", count, seconds, timeout=seconds + 60)
    assert rc == 0, "%d popup menus were never on show" % count
    return [tuple(int(v) for v in line.split()) for line in data.decode().splitlines()]


def drop_lists(count, seconds=30):
    """The items of each drop-down list on show, once there are exactly count."""
    rc, data = _helper_file("lists", count, seconds, timeout=seconds + 60)
    assert rc == 0, "%d drop-down lists were never on show" % count
    return [block.split("\n") for block in data.decode("utf-8").split("\n\n") if block]


def thread_state(state, seconds=30, cls=CLASS, title=TITLE):
    """Waits until the thread of the ticker (or of the window of that class
    and title) is in the state ("movesize", "nomovesize", "capture",
    "nocapture", "active")."""
    rc, out = helper("thread", cls, title, state, seconds, timeout=seconds + 60)
    assert rc == 0, "the thread of %s %s never reached %s: %s" % (cls, title, state, out.strip())


def children(cls=CLASS, title=TITLE):
    """The (class, text) of every visible child window of the window."""
    rc, data = _helper_file("dialog", cls, title, -1)
    assert rc == 0, "no window %s %s" % (cls, title)
    return [tuple(l.split("\t", 1)) for l in data.decode("cp932").splitlines()[1:]]


def wait_until(condition, seconds=30, interval=0.2):
    """condition()'s value once it is true, or its last value after the limit."""
    deadline = time.time() + seconds
    while True:
        value = condition()
        if value or time.time() >= deadline:
            return value
        time.sleep(interval)


def pointer(x, y, action="move"):
    helper_ok("pointer", x, y, action)


def away():
    """The pointer in the screen's far corner. The X pointer is moved there
    too: Wine reads the cursor back from X, and its own move to the corner does
    not always take under load, which would leave the ticker seeing the pointer
    rest where it was."""
    if shutil.which("xdotool"):
        done = subprocess.run(["xdotool", "mousemove"] + [str(c) for c in CORNER], timeout=30)
        assert done.returncode == 0, "xdotool mousemove: exit code %d" % done.returncode
    pointer(*CORNER)


def rest_on_strip():
    """The pointer over the middle of the strip, moved a little as a hand would."""
    _, _, left, top, right, bottom = window()
    x, y = (left + right) // 2, (top + bottom) // 2
    pointer(x - 2, y)
    time.sleep(0.2)
    pointer(x, y)
    return x, y


def hint_texts():
    """The captions of the hint windows on show ("" for none)."""
    with tempfile.TemporaryDirectory(prefix="tessivar-texts-") as tmp:
        out = os.path.join(tmp, "texts.txt")
        helper("texts", "THintWindow", out)
        return open(out, encoding="utf-8").read().strip() if os.path.exists(out) else ""


def rest_on_item(title, seconds=90):
    """Rests on the strip until its hint names the item (it replaces the
    start-up title, and resting holds whatever shows): the pointer's place
    and the hint's text."""
    deadline = time.time() + seconds
    while True:
        x, y = rest_on_strip()
        texts = wait_until(hint_texts, 10)
        if "◇ %s ◇" % title in texts:
            return x, y, texts
        assert time.time() < deadline, "the strip never showed %s: %r" % (title, texts)
        away()
        wait_until(lambda: not hint_texts(), 20)
        time.sleep(1)  # the display moves on once let go


def type_text(text):
    tmp = tempfile.mkdtemp(prefix="tessivar-type-")
    try:
        path = os.path.join(tmp, "text.txt")
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        helper_ok("type", path)
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


def user_registry_value(key, name):
    """A string value under HKEY_CURRENT_USER, or None."""
    tmp = tempfile.mkdtemp(prefix="tessivar-reg-")
    try:
        out = os.path.join(tmp, "value.txt")
        rc, _ = helper("regget", key, name, out)
        return open(out, encoding="utf-8").read() if rc == 0 else None
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


def screen(name, box):
    """A PNG of the screen part box (x0, y0, x1, y1) in /tmp/shots, for looking
    at menus, which are windows of their own."""
    os.makedirs(SHOTS, exist_ok=True)
    x0, y0, x1, y1 = box
    png = os.path.join(SHOTS, "ticker-%s.png" % name)
    subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (x1 - x0, y1 - y0, x0, y0),
                    png], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30,
                   env=dict(os.environ))
    return png
