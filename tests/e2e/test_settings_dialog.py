"""TessivarSetup's settings dialog: the page each command word opens, the
second copy that only says so, and a picture of every page."""

import os
import shutil
import tempfile
import time

from tessivar_e2e import (BUILD, Install, close_settings_dialog, def_line, helper_exe, run_cases,
                          settings_dialog_shown, wine_kill, wine_run)

TITLE = "設定"
SHOTS = os.path.join(BUILD, "shots")


def helper(*args, timeout=60):
    return wine_run(helper_exe(), [str(a) for a in args], timeout=timeout)


class Dialog:
    """One running settings dialog of an install."""

    def __init__(self, inst, *args):
        self.inst = inst
        self.proc = inst.start(*args)
        self.tmp = tempfile.mkdtemp(prefix="tessivar-dlg-")
        assert settings_dialog_shown(), "no settings dialog"

    def state(self, tab=-1):
        """The selected tab and the (class, text) of every visible child window."""
        out = os.path.join(self.tmp, "d.txt")
        rc, log = helper("dialog", "TForm", TITLE, tab, out)
        assert rc == 0, log
        lines = open(out, "rb").read().decode("cp932").splitlines()
        return int(lines[0].split()[1]), [tuple(l.split("\t", 1)) for l in lines[1:]]

    def capture(self, name):
        os.makedirs(SHOTS, exist_ok=True)
        path = os.path.join(SHOTS, name + ".bmp")
        rc, log = helper("capture", "TForm", TITLE, path)
        assert rc == 0 and os.path.getsize(path) > 100000, log

    def close(self):
        try:
            assert close_settings_dialog(self.proc) == 0
        finally:
            shutil.rmtree(self.tmp, ignore_errors=True)

    def kill(self):
        if self.proc.poll() is None:
            wine_kill(self.proc)
        shutil.rmtree(self.tmp, ignore_errors=True)


def has(children, cls, text):
    return (cls, text) in children


def open_on(inst, args, expect_tab, expect_child):
    dialog = Dialog(inst, *args)
    try:
        tab, children = dialog.state()
        assert tab == expect_tab, (args, tab, children)
        assert expect_child in children, (args, children)
        dialog.close()
    finally:
        dialog.kill()
    return children


def command_words_open_their_pages(server):
    inst = Install(server)
    try:
        url = server.url("/a.xml")
        inst.write_def([def_line("a", url)])
        # Without the band server there is no registration tab: five tabs.
        open_on(inst, [], 0, ("Button", "加速"))
        open_on(inst, ["unknown"], 0, ("Button", "加速"))
        open_on(inst, ["version"], 4, ("Button", "全ての設定を初期状態に戻す(&R)..."))
        open_on(inst, ["ADD"], 1, ("ListBox", ""))
        # The registration page without a tab of its own.
        open_on(inst, ["INSTALL"], -1, ("Button", "レジストリへの登録(&I)"))
        assert server.requests() == []
        # URL mode: the feed page, with the feed that the address names added.
        added = server.url("/b.xml")
        server.feed("/b.xml", "rss2-u8.xml")
        dialog = Dialog(inst, added)
        try:
            deadline = time.time() + 60
            while not server.requests("/b.xml") and time.time() < deadline:
                time.sleep(0.2)
            time.sleep(1)
            tab, children = dialog.state()
            assert tab == 1 and ("Edit", added) in children, (tab, children)
            dialog.close()
        finally:
            dialog.kill()
        assert [r[0] for r in server.requests()] == ["/b.xml"]
    finally:
        inst.close()


def a_second_copy_says_the_dialog_is_open(server):
    inst = Install(server)
    tmp = tempfile.mkdtemp(prefix="tessivar-box-")
    try:
        inst.write_def([def_line("a", server.url("/a.xml"))])
        first = Dialog(inst)
        try:
            for args in ([], ["VERSION"], [server.url("/b.xml")]):
                second = inst.start(*args)
                out = os.path.join(tmp, "box.txt")
                try:
                    rc, log = helper("closebox", out, 60, timeout=120)
                    assert rc == 0, "no message box for %s: %s" % (args, log)
                    second.communicate(timeout=60)
                    assert second.returncode == 0
                finally:
                    if second.poll() is None:
                        wine_kill(second)
                # The information box; which text it shows is checked by the unit tests.
                assert open(out, "rb").read().decode("cp932").splitlines() == ["情報", "OK"]
            # The first dialog is still the only one, on its page.
            tab, children = first.state()
            assert tab == 0 and has(children, "Button", "加速"), children
            first.close()
        finally:
            first.kill()
    finally:
        shutil.rmtree(tmp, ignore_errors=True)
        inst.close()


def every_page_is_drawn(server):
    inst = Install(server)
    try:
        inst.write_def([def_line("ニュース", server.url("/a.xml")),
                        def_line("off", server.url("/b.xml"), checked="")])
        dialog = Dialog(inst)
        try:
            for tab, name in enumerate(("env", "feed", "keyword", "proxy", "version")):
                selected, _ = dialog.state(tab)
                assert selected == tab
                time.sleep(0.5)
                dialog.capture("settings-" + name)
            dialog.close()
        finally:
            dialog.kill()
        dialog = Dialog(inst, "INSTALL")
        try:
            dialog.capture("settings-registration")
            dialog.close()
        finally:
            dialog.kill()
    finally:
        inst.close()


if __name__ == "__main__":
    run_cases([
        command_words_open_their_pages,
        a_second_copy_says_the_dialog_is_open,
        every_page_is_drawn,
    ])
