"""TessivarSetup's start-up and command words: the feed mutex, the first
feed list, the daily search template, the OEM files."""

import os
import shutil
import tempfile
import time

from tessivar_e2e import (HERE, Install, Proxy, close_settings_dialog, def_line, helper_exe, helper_run,
                          run_cases, scramble, wine_kill, wine_start)

EMBEDDED_LIST = os.path.join(HERE, "..", "..", "src", "resources", "TessivarOrvanel.def")


class HeldMutex:
    """TessivarFeed_Mutex held by the helper program while the block runs."""

    def __init__(self, name="TessivarFeed_Mutex"):
        self.tmp = tempfile.mkdtemp(prefix="tessivar-mx-")
        self.ready = os.path.join(self.tmp, "ready")
        self.stop = os.path.join(self.tmp, "stop")
        self.proc = wine_start(helper_exe(), ["hold", name, self.ready, self.stop, "100"])
        deadline = time.time() + 60
        while not os.path.exists(self.ready):
            assert time.time() < deadline and self.proc.poll() is None, "mutex helper did not start"
            time.sleep(0.05)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        open(self.stop, "w").close()
        try:
            self.proc.communicate(timeout=30)
        finally:
            if self.proc.poll() is None:
                wine_kill(self.proc)
            shutil.rmtree(self.tmp, ignore_errors=True)


def feed_while_a_refresh_runs_does_nothing(server):
    inst = Install(server)
    try:
        server.feed("/a.xml", "rss2-u8.xml")
        inst.write_def([def_line("a", server.url("/a.xml"))])
        with HeldMutex():
            inst.run("FEED")
        assert server.requests() == [] and inst.tic() is None, server.requests()
        # Once the mutex is gone the same command refreshes.
        inst.run("feed")
        assert len(inst.tic()) == 3
    finally:
        inst.close()


def refresh_while_a_refresh_runs_says_so(server):
    inst = Install(server)
    tmp = tempfile.mkdtemp(prefix="tessivar-box-")
    try:
        server.feed("/a.xml", "rss2-u8.xml")
        inst.write_def([def_line("a", server.url("/a.xml"))])
        with HeldMutex():
            proc = inst.start("REFRESH")
            out = os.path.join(tmp, "box.txt")
            try:
                rc, log = helper_run(["closebox", out, 60])
                assert rc == 0, "no message box: " + log
                proc.communicate(timeout=60)
                assert proc.returncode == 0
            finally:
                if proc.poll() is None:
                    wine_kill(proc)
        # The project's information box with its one button; the painted
        # message text itself is checked by the unit tests.
        text = open(out, "rb").read().decode("cp932")
        assert text.splitlines() == ["情報", "OK"], text
        assert server.requests() == [] and inst.tic() is None
    finally:
        shutil.rmtree(tmp, ignore_errors=True)
        inst.close()


def feed_word_is_found_in_any_case_and_place(server):
    inst = Install(server)
    try:
        server.feed("/a.xml", "rss2-u8.xml")
        inst.write_def([def_line("a", server.url("/a.xml"))])
        inst.run("other", "Feed", "UPDATE")
        assert len(inst.tic()) == 3
    finally:
        inst.close()


def embedded_list_is_written_when_nothing_else_is_there(server):
    # The embedded list names real feeds: a proxy that refuses everything
    # beyond this machine keeps the run off the network.
    proxy = Proxy()
    inst = Install(server)
    try:
        server.route("/download/TessivarOrvanel.def", b"<html><body>error</body></html>")
        inst.write_ini({"Env": {"InternetPreConfig": 2,
                                "InternetProxy": scramble("127.0.0.1\\0%d" % proxy.port)}})
        inst.run("REFRESH")
        assert len(server.requests("/download/TessivarOrvanel.def")) == 1
        assert inst.raw("TessivarOrvanel.def") == open(EMBEDDED_LIST, "rb").read()
        # Every feed failed in a manual run: an empty ticker file.
        assert inst.raw("TessivarOrvanel.tic") == b""
    finally:
        proxy.close()
        inst.close()


def maker_list_is_taken_without_local_paths(server):
    inst = Install(server)
    try:
        server.feed("/a.xml", "rdf-u8.xml")
        listing = ("*\tlocal\tC:\\feeds\\x.xml\t\t\t\t\t\r\n*\tweb\t%s\t\t\t\t\t\r\n"
                   % server.url("/a.xml")).encode("cp932")
        server.route("/download/TessivarOrvanel.def", listing)
        inst.run("FEED")
        assert [d[1:3] for d in inst.deffile()] == [["web", server.url("/a.xml")]], inst.deffile()
        assert len(inst.tic()) == 3
    finally:
        inst.close()


def search_template_is_fetched_once_a_day(server):
    inst = Install(server)
    try:
        server.feed("/a.xml", "rss2-u8.xml")
        template = "http://127.0.0.1/find?q=$KEYWORD_UTF8$"
        server.route("/download/plinvat/search.query", template.encode() + b"\r\n")
        inst.write_def([def_line("a", server.url("/a.xml"))])
        inst.run("FEED")
        assert len(server.requests("/download/plinvat/search.query")) == 1
        ini = inst.read_ini()
        assert "Query=" + template in ini and "Date=" + time.strftime("%Y%m%d") in ini, ini
        inst.run("FEED")
        assert len(server.requests("/download/plinvat/search.query")) == 1
    finally:
        inst.close()


def oem_default_settings_are_copied_on_first_start(server):
    inst = Install(server)
    try:
        settings = b"[Env]\r\nKeepTime=48\r\n[Search]\r\nDate=" + time.strftime("%Y%m%d").encode() + b"\r\n"
        inst.write_bytes(os.path.join(inst.prog, "OEM", "TessivarOrvanel.ini"), settings)
        inst.write_def([def_line("a", server.url("/a.xml"))])
        inst.run("FEED")
        assert open(os.path.join(inst.ini_dir, "TessivarOrvanel.ini"), "rb").read() == settings
        # The copied Search date stops the daily download.
        assert server.requests("/download/plinvat/search.query") == []
    finally:
        inst.close()


def ticker_parameter_downloads_the_oem_files(server):
    inst = Install(server)
    try:
        oem = ("[Def]\r\nLocalPath=%s\r\nOemName=Test\r\n" % inst.local_path).encode()
        server.route("/download/plinvat/abc/TessivarOrvanel.oem", oem)
        inst.write_def([def_line("a", server.url("/a.xml"))])
        # No command word: the settings dialog opens after the download.
        assert close_settings_dialog(inst.start("TICKER%abc")) == 0
        # The package is tried 3 times, then the loose OEM file.
        paths = [p for p, _ in server.requests()]
        assert paths == ["/download/plinvat/abc/TessivarOrvanel.hddef"] * 3 + [
            "/download/plinvat/abc/TessivarOrvanel.oem"], paths
        assert open(os.path.join(inst.prog, "OEM", "TessivarOrvanel.oem"), "rb").read() == oem
        server.clear_requests()
        assert close_settings_dialog(inst.start("TICKER=abc")) == 0
        assert server.requests() == []
    finally:
        inst.close()


if __name__ == "__main__":
    run_cases([
        feed_while_a_refresh_runs_does_nothing,
        refresh_while_a_refresh_runs_says_so,
        feed_word_is_found_in_any_case_and_place,
        embedded_list_is_written_when_nothing_else_is_there,
        maker_list_is_taken_without_local_paths,
        search_template_is_fetched_once_a_day,
        oem_default_settings_are_copied_on_first_start,
        ticker_parameter_downloads_the_oem_files,
    ])
