"""TessivarSetup's settings dialog: the page each command word opens, the
second copy that only says so, every page drawn with its controls, and an
edit typed into the dialog stored when its close button is pressed."""

import os
import shutil
import tempfile

from tessivar_e2e import (BUILD, Install, answer_box, close_settings_dialog, def_line, run_cases,
                          settings_dialog_shown, wine_kill)
from ticker_e2e import Bitmap, click, helper, type_text, wait_until, window

TITLE = "設定"
SHOTS = os.path.join(BUILD, "shots")


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
        assert rc == 0, (rc, log, self.ended())
        lines = open(out, "rb").read().decode("cp932").splitlines()
        return int(lines[0].split()[1]), [tuple(l.split("\t", 1)) for l in lines[1:]]

    def ended(self):
        """How the run has ended, or None while it runs."""
        if self.proc.poll() is None:
            return None
        return self.proc.returncode, self.proc.stdout.read().decode("utf-8", "replace")

    def has(self, child, seconds=60):
        """Waits until the (class, text) child is on show; True once it is."""
        return wait_until(lambda: child in self.state()[1], seconds)

    def rects(self):
        """(class, text, (left, top, right, bottom)) of every visible child."""
        out = os.path.join(self.tmp, "r.txt")
        rc, log = helper("rects", "TForm", TITLE, out)
        assert rc == 0, log
        rows = [l.split("\t") for l in open(out, "rb").read().decode("cp932").splitlines()]
        return [(c, t, tuple(int(v) for v in r.split())) for c, t, r in rows]

    def capture(self, name):
        os.makedirs(SHOTS, exist_ok=True)
        path = os.path.join(SHOTS, name + ".bmp")
        rc, log = helper("capture", "TForm", TITLE, path)
        assert rc == 0, log
        return Bitmap(path)

    def blank_controls(self, name):
        """The standard controls on show that the capture shows as one plain
        colour (every one of them draws a frame, a mark or a text); None when
        there are none to look at."""
        _, _, left, top, _, _ = window(10, "TForm", TITLE)
        shot = self.capture(name)
        blank, seen = [], 0
        for cls, text, (x0, y0, x1, y1) in self.rects():
            if cls.lower() not in DRAWN or x1 - x0 < 4 or y1 - y0 < 4:
                continue
            seen += 1
            box = (x0 - left, y0 - top, x1 - left, y1 - top)
            if box[0] < 0 or box[1] < 0 or box[2] > shot.width or box[3] > shot.height or \
                    len({shot.pixel(x, y) for x in range(box[0], box[2])
                         for y in range(box[1], box[3])}) < 2:
                blank.append((cls, text))
        return blank if seen else None

    def close(self):
        try:
            assert close_settings_dialog(self.proc) == 0
        finally:
            shutil.rmtree(self.tmp, ignore_errors=True)

    def kill(self):
        if self.proc.poll() is None:
            wine_kill(self.proc)
        shutil.rmtree(self.tmp, ignore_errors=True)


# Window classes of the controls that draw something of their own.
DRAWN = ("button", "edit", "combobox", "listbox", "systabcontrol32", "msctls_updown32")


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
            # The added feed is selected: its address stands in the entry field.
            assert dialog.has(("Edit", added)), dialog.state()
            tab, children = dialog.state()
            assert tab == 1, (tab, children)
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
                blank = wait_until(lambda: dialog.blank_controls("settings-" + name) == [], 20)
                assert blank, (name, dialog.blank_controls("settings-" + name))
            dialog.close()
        finally:
            dialog.kill()
        dialog = Dialog(inst, "INSTALL")
        try:
            assert wait_until(lambda: dialog.blank_controls("settings-registration") == [], 20), \
                dialog.blank_controls("settings-registration")
            dialog.close()
        finally:
            dialog.kill()
    finally:
        inst.close()


def a_typed_keyword_is_stored_when_the_close_button_is_pressed(server):
    inst = Install(server)
    try:
        inst.write_def([def_line("a", server.url("/a.xml"))])
        inst.write_ini({"Env": {"RefreshTime": 60}, "Key": {"Str2": "残る語"}})
        dialog = Dialog(inst)
        try:
            assert dialog.state(2)[0] == 2
            # The first keyword field is the topmost empty edit of the page.
            edits = sorted((r[1], r) for c, t, r in dialog.rects() if c.lower() == "edit" and t == "")
            x0, y0, x1, y1 = edits[0][1]
            click((x0 + x1) // 2, (y0 + y1) // 2)
            type_text("デジタル*カメラ")
            assert dialog.has(("Edit", "デジタル*カメラ"), 20), dialog.state()
            answer_box(TITLE, "閉じる(&R)")
            dialog.proc.communicate(timeout=60)
            assert dialog.proc.returncode == 0
        finally:
            dialog.kill()
        stored = inst.read_ini()
        assert "Str1=デジタル*カメラ\r\n" in stored and "Str2=残る語\r\n" in stored, stored
        assert "RefreshTime=60\r\n" in stored, stored
    finally:
        inst.close()


if __name__ == "__main__":
    run_cases([
        command_words_open_their_pages,
        a_second_copy_says_the_dialog_is_open,
        every_page_is_drawn,
        a_typed_keyword_is_stored_when_the_close_button_is_pressed,
    ])
