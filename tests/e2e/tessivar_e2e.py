"""Shared pieces of the end-to-end scripts: a feed server and a proxy on
127.0.0.1, a private program folder and data folder per case, and a runner
for TessivarSetup.exe under Wine with a time limit.

Each case gets its own copy of the program folder whose OEM file names its
own data folder (LocalPath), so cases never share files and scripts can run
in parallel in one Wine prefix.
"""

import atexit
import base64
import email.utils
import glob
import http.server
import os
import signal
import shutil
import socketserver
import subprocess
import sys
import tempfile
import threading
import time
import traceback
import urllib.parse
from datetime import datetime, timedelta, timezone

HERE = os.path.dirname(os.path.abspath(__file__))
FEEDS = os.path.join(HERE, "feeds")
BIN = os.environ.get("TESSIVAR_BIN", "")
BUILD = os.environ.get("TESSIVAR_BUILD", "")
WINE_RUN = os.environ.get("TESSIVAR_WINE_RUN", "")
RUN_TIMEOUT = 120
PREFIX = os.environ.get("TESSIVAR_WINEPREFIX") or os.path.join(BUILD, "wineprefix")


def rfc822(hours_ago):
    t = datetime.now(timezone.utc) - timedelta(hours=hours_ago)
    return email.utils.format_datetime(t, usegmt=True)


def w3c(hours_ago):
    t = datetime.now(timezone(timedelta(hours=9))) - timedelta(hours=hours_ago)
    return t.strftime("%Y-%m-%dT%H:%M:%S+09:00")


def fixture(name):
    """A fixture feed with its date placeholders filled in (ASCII, so the
    substitution works in every encoding the fixtures use)."""
    with open(os.path.join(FEEDS, name), "rb") as f:
        data = f.read()
    for n in range(0, 60):
        data = data.replace(b"%%%%RFC822-%d%%%%" % n, rfc822(n).encode())
        data = data.replace(b"%%%%W3C-%d%%%%" % n, w3c(n).encode())
    return data


def rss_feed(title_prefix, count, hours_ago=1, encoding="utf-8"):
    items = "".join(
        "<item><title>%s %d</title><link>http://example.invalid/%s/%d</link>"
        "<description>summary %d</description><pubDate>%s</pubDate></item>\n"
        % (title_prefix, i, urllib.parse.quote(title_prefix), i, i, rfc822(hours_ago + i * 0.01))
        for i in range(1, count + 1))
    text = ('<?xml version="1.0" encoding="%s"?>\n<rss version="2.0"><channel><title>t</title>\n%s'
            "</channel></rss>\n" % (encoding, items))
    return text.encode(encoding)


class Route:
    """What the server answers for one path."""

    def __init__(self, body=b"", status=200, headers=None, last_modified=None, delay=0.0,
                 location=None):
        self.body = body
        self.status = status
        self.headers = dict(headers or {})
        self.last_modified = last_modified
        self.delay = delay
        self.location = location


class _Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def do_GET(self):
        server = self.server
        path = self.path
        if path.startswith("http://"):
            path = urllib.parse.urlsplit(path)._replace(scheme="", netloc="").geturl()
        with server.lock:
            server.requests.append((path, dict(self.headers.items())))
            route = server.routes.get(path)
        if route is None:
            self._send(404, b"<html>not here</html>", {"Content-Type": "text/html"})
            return
        if route.delay:
            time.sleep(route.delay)
        headers = dict(route.headers)
        if route.location:
            headers["Location"] = route.location
        if route.last_modified:
            headers["Last-Modified"] = route.last_modified
            if self.headers.get("If-Modified-Since") == route.last_modified:
                self._send(304, b"", headers)
                return
        self._send(route.status, route.body, headers)

    def _send(self, status, body, headers):
        try:
            self.send_response(status)
            for k, v in headers.items():
                self.send_header(k, v)
            if status != 304:
                self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            if status != 304:
                self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError):
            pass


class _ThreadingServer(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


class FeedServer:
    """Threaded HTTP server on 127.0.0.1 with an ephemeral port."""

    def __init__(self):
        self.httpd = _ThreadingServer(("127.0.0.1", 0), _Handler)
        self.httpd.routes = {}
        self.httpd.requests = []
        self.httpd.lock = threading.Lock()
        self.port = self.httpd.server_address[1]
        self.base = "http://127.0.0.1:%d" % self.port
        self.thread = threading.Thread(target=self.httpd.serve_forever, kwargs={"poll_interval": 0.1},
                                       daemon=True)
        self.thread.start()

    def url(self, path):
        return self.base + path

    def route(self, path, body=b"", **kw):
        with self.httpd.lock:
            self.httpd.routes[path] = Route(body, **kw)

    def feed(self, path, fixture_name, **kw):
        self.route(path, fixture(fixture_name), headers={"Content-Type": "text/xml"}, **kw)

    def requests(self, path=None):
        with self.httpd.lock:
            return [r for r in self.httpd.requests if path is None or r[0] == path]

    def clear_requests(self):
        with self.httpd.lock:
            self.httpd.requests.clear()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class _ProxyHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def do_CONNECT(self):
        with self.server.lock:
            self.server.requests.append((self.path, dict(self.headers.items())))
        self._reply(403, b"")

    def do_GET(self):
        proxy = self.server
        auth = self.headers.get("Proxy-Authorization", "")
        with proxy.lock:
            proxy.requests.append((self.path, dict(self.headers.items())))
        if proxy.credentials and auth != "Basic " + base64.b64encode(proxy.credentials.encode()).decode():
            self._reply(407, b"auth", {"Proxy-Authenticate": 'Basic realm="test"'})
            return
        parts = urllib.parse.urlsplit(self.path)
        # Never beyond this machine.
        if parts.scheme != "http" or parts.hostname != "127.0.0.1":
            self._reply(502, b"")
            return
        import http.client
        conn = http.client.HTTPConnection("127.0.0.1", parts.port or 80, timeout=30)
        target = parts._replace(scheme="", netloc="").geturl() or "/"
        headers = {k: v for k, v in self.headers.items()
                   if k.lower() not in ("proxy-authorization", "proxy-connection", "connection")}
        conn.request("GET", target, headers=headers)
        resp = conn.getresponse()
        body = resp.read()
        self._reply(resp.status, body, {k: v for k, v in resp.getheaders()
                                        if k.lower() not in ("content-length", "connection")})
        conn.close()

    def _reply(self, status, body, headers=None):
        try:
            self.send_response(status)
            for k, v in (headers or {}).items():
                self.send_header(k, v)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError):
            pass


class Proxy:
    """HTTP proxy on 127.0.0.1 that forwards only to 127.0.0.1 and asks for
    Basic credentials "user:password" when given."""

    def __init__(self, credentials=None):
        self.httpd = _ThreadingServer(("127.0.0.1", 0), _ProxyHandler)
        self.httpd.credentials = credentials
        self.httpd.requests = []
        self.httpd.lock = threading.Lock()
        self.port = self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, kwargs={"poll_interval": 0.1},
                         daemon=True).start()

    def requests(self):
        with self.httpd.lock:
            return list(self.httpd.requests)

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


_display_lock = threading.Lock()
_xvfb = None


def ensure_display():
    """One Xvfb for the whole script, so all Wine processes share a desktop."""
    global _xvfb
    with _display_lock:
        if os.environ.get("DISPLAY") or _xvfb is not None:
            return
        r, w = os.pipe()
        _xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x800x24",
                                  "-nolisten", "tcp"], pass_fds=(w,), stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        os.close(w)
        deadline = time.time() + 15
        num = b""
        while time.time() < deadline and not num.endswith(b"\n"):
            chunk = os.read(r, 16)
            if not chunk:
                break
            num += chunk
        os.close(r)
        os.environ["DISPLAY"] = ":" + num.decode().strip()
        atexit.register(_stop_xvfb)


def _stop_xvfb():
    if _xvfb is not None:
        _xvfb.terminate()
        try:
            _xvfb.wait(5)
        except subprocess.TimeoutExpired:
            _xvfb.kill()


def wine_env(extra=None):
    env = dict(os.environ)
    env["TESSIVAR_WINEPREFIX"] = PREFIX
    env.update(extra or {})
    return env


def wine_start(exe, args, env=None, cwd=None):
    ensure_display()
    # A session of its own, so a run over its time can be ended with all its
    # Wine processes (which would otherwise keep the output pipe open).
    return subprocess.Popen([WINE_RUN, exe] + list(args), env=wine_env(env), cwd=cwd,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, start_new_session=True)


def wine_kill(p):
    try:
        os.killpg(p.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass


def wine_run(exe, args, env=None, timeout=RUN_TIMEOUT):
    p = wine_start(exe, args, env)
    try:
        out, _ = p.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        wine_kill(p)
        p.communicate()
        raise AssertionError("%s %s did not end within %d s" % (exe, args, timeout))
    return p.returncode, out.decode("utf-8", "replace")


def helper_exe():
    return os.path.join(BUILD, "tests", "TessivarE2eHelper.exe")


HELPER_RUNS = 3


def helper_run(args, timeout=RUN_TIMEOUT):
    """Runs a chore of the helper: its exit code and output. Under load Wine
    now and then ends a program before it answers (exit code 1, Wine's reason
    only in its error log): such a run, known by the helper's missing last
    line, is run again."""
    lost = []
    for _ in range(HELPER_RUNS):
        rc, out = wine_run(helper_exe(), [str(a) for a in args], env={"WINEDEBUG": "err+all,fixme-all"},
                           timeout=timeout)
        end = out.rfind("\nhelper exit ")
        if end >= 0:
            return rc, out[:end].rstrip("\r")
        lost.append("exit code %d: %s" % (rc, out.strip()))
    return rc, "the helper never answered: " + " | ".join(lost)


def standin_starts(folder):
    """The starts logged in folder's standin.log so far, each as its program
    name and arguments; a line still being written is left out."""
    log = os.path.join(folder, "standin.log")
    text = open(log, "rb").read().decode("utf-8") if os.path.exists(log) else ""
    return [line.split("\t") for line in text[:text.rfind("\n") + 1].splitlines()]


def settings_dialog_shown(seconds=60):
    """Waits for the settings dialog of a TessivarSetup run; True once it shows."""
    tmp = tempfile.mkdtemp(prefix="tessivar-win-")
    try:
        out = os.path.join(tmp, "w.txt")
        helper_run(["window", "TForm", "設定", out, seconds], timeout=seconds + 60)
        return os.path.exists(out) and open(out).read().split()[1] == "1"
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


def close_settings_dialog(proc, seconds=60):
    """Closes the run's settings dialog as its close box does; the run's exit code."""
    assert settings_dialog_shown(seconds), "no settings dialog"
    rc, log = helper_run(["send", "TForm", "設定", 16, 0])
    assert rc == 0, "no settings dialog to close (%d): %s" % (rc, log)
    try:
        proc.communicate(timeout=seconds)
    except subprocess.TimeoutExpired:
        wine_kill(proc)
        proc.communicate()
        raise AssertionError("the settings dialog did not end")
    return proc.returncode


def users_folder():
    users = [d for d in glob.glob(os.path.join(PREFIX, "drive_c", "users", "*"))
             if os.path.basename(d) != "Public" and os.path.isdir(os.path.join(d, "AppData"))]
    if not users:
        # First use of the prefix: let wine create it.
        helper_run(["none"])
        users = [d for d in glob.glob(os.path.join(PREFIX, "drive_c", "users", "*"))
                 if os.path.basename(d) != "Public"]
    return users[0]


def answer_box(title, button=None, timeout=60):
    """Waits for the box with that title and answers it with the button of
    that caption (or closes it); the box's title and windowed texts."""
    tmp = tempfile.mkdtemp(prefix="tessivar-box-")
    try:
        out = os.path.join(tmp, "box.txt")
        rc, log = helper_run(["closebox", out, timeout, title] + ([button] if button else []))
        assert rc == 0, "no %s box (%d): %s" % (title, rc, log)
        with open(out, "rb") as f:
            return f.read().decode("cp932").splitlines()
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


def scramble(text):
    """The product's own scrambling of a text (for a scrambled OemKey)."""
    tmp = tempfile.mkdtemp(prefix="tessivar-scr-")
    try:
        out = os.path.join(tmp, "out.txt")
        rc, log = helper_run(["scramble", text, out])
        assert rc == 0, log
        with open(out, "rb") as f:
            return f.read().decode("ascii")
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


_counter = [0]


def _encode(line):
    return line.encode("cp932")


class Install:
    """A program folder of its own and a data folder of its own."""

    def __init__(self, server, oem=None):
        _counter[0] += 1
        self.server = server
        self.local_path = "TessivarE2E_%d_%d" % (os.getpid(), _counter[0])
        self.root = tempfile.mkdtemp(prefix="tessivar-e2e-")
        self.prog = os.path.join(self.root, "prog")
        os.makedirs(os.path.join(self.prog, "OEM"))
        shutil.copy(os.path.join(BIN, "TessivarSetup.exe"), self.prog)
        oem_lines = ["[Def]", "LocalPath=" + self.local_path] + list(oem or [])
        self.write_bytes(os.path.join(self.prog, "OEM", "TessivarOrvanel.oem"),
                         _encode("\r\n".join(oem_lines) + "\r\n"))
        users = users_folder()
        self.data = os.path.join(users, "AppData", "Roaming", "Pelmoriad", self.local_path)
        low = os.path.join(users, "AppData", "LocalLow")
        self.ini_dir = os.path.join(low, "Pelmoriad", self.local_path) if os.path.isdir(low) else self.data
        for d in (self.data, self.ini_dir):
            shutil.rmtree(d, ignore_errors=True)
            os.makedirs(d, exist_ok=True)
        self.env = {"TESSIVAR_MAKER_BASE": server.base}

    @staticmethod
    def write_bytes(path, data):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    def path(self, name):
        return os.path.join(self.data, name)

    def write_def(self, lines):
        self.write_bytes(self.path("TessivarOrvanel.def"),
                         b"".join(_encode("\t".join(map(str, fields))) + b"\r\n" for fields in lines))

    def write_ini(self, sections):
        text = ""
        for name, keys in sections.items():
            text += "[%s]\r\n" % name + "".join("%s=%s\r\n" % kv for kv in keys.items())
        self.write_bytes(os.path.join(self.ini_dir, "TessivarOrvanel.ini"), _encode(text))

    def read_ini(self):
        p = os.path.join(self.ini_dir, "TessivarOrvanel.ini")
        return open(p, "rb").read().decode("cp932") if os.path.exists(p) else ""

    def read_lines(self, name):
        p = self.path(name)
        if not os.path.exists(p):
            return None
        data = open(p, "rb").read().decode("cp932")
        return [l.split("\t") for l in data.split("\r\n") if l != ""]

    def tic(self):
        return self.read_lines("TessivarOrvanel.tic")

    def mnu(self):
        return self.read_lines("TessivarOrvanel.mnu")

    def deffile(self):
        return self.read_lines("TessivarOrvanel.def")

    def raw(self, name):
        p = self.path(name)
        return open(p, "rb").read() if os.path.exists(p) else None

    def run(self, *args, timeout=RUN_TIMEOUT):
        rc, out = wine_run(os.path.join(self.prog, "TessivarSetup.exe"), list(args), self.env, timeout)
        assert rc == 0, "exit code %d: %s" % (rc, out)
        return out

    def start(self, *args):
        return wine_start(os.path.join(self.prog, "TessivarSetup.exe"), list(args), self.env)

    def close(self):
        shutil.rmtree(self.root, ignore_errors=True)
        for d in {self.data, self.ini_dir}:
            shutil.rmtree(d, ignore_errors=True)


def def_line(name, url, ranking="", start="", end="", last_modified="", latest="", checked="*"):
    return [checked, name, url, ranking, start, end, last_modified, latest]


def run_cases(cases):
    """Runs each case(server) with a fresh server; exits non-zero on failure."""
    for tool in (BIN, BUILD, WINE_RUN):
        if not tool:
            print("TESSIVAR_BIN, TESSIVAR_BUILD and TESSIVAR_WINE_RUN must be set")
            sys.exit(2)
    failed = 0
    for case in cases:
        server = FeedServer()
        started = time.time()
        try:
            case(server)
            print("ok   %s (%.1f s)" % (case.__name__, time.time() - started))
        except Exception:
            failed += 1
            print("FAIL %s" % case.__name__)
            traceback.print_exc()
        finally:
            server.close()
        sys.stdout.flush()
    print("%d of %d cases failed" % (failed, len(cases)))
    sys.exit(1 if failed else 0)
