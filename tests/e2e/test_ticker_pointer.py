"""The ticker window and the mouse under Wine: the summary hint after a rest
on the strip, a click opening the link in a stand-in browser, the wheel,
the middle button, the stored place and width,
dragging and sizing, a skin's window region, and the notification-area icon:
its left click, its return with a new taskbar, and the hover thread ending
with the program."""

import os
import shutil
import struct
import subprocess
import tempfile
import time

import tessivar_e2e as e2e
from tessivar_e2e import run_cases
from ticker_e2e import (SHOTS, Bitmap, Ticker, away, capture, day_number, helper, helper_ok,
                        hint_texts, pointer, rest_on_item, rest_on_strip, send, thread_state,
                        wait_exit, wait_until, window)

WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP = 0x200, 0x201, 0x202
WM_TASKTRAY = 0x400 + 200
TRAY = ("TaskTrayHandle", "")
SYSTRAY = ("__winex11_standalone_tray", "Wine System Tray")
# Where the ticker is put, clear of Wine's tray window at the top left.
PLACE = {"szLeft": 400, "szTop": 300, "szWidth": 300}


def ini(place=None, **env):
    values = {"TickerScroll": 0, "TickerTime": 30, "RefreshTime": 600, "ScrollButton": 1}
    values.update(env)
    sections = {"Run": {"RefreshNow": "%.6f" % day_number()}, "Env": values}
    sections["Sz_KvBandForm"] = dict(place or PLACE)
    return sections


def item(title, summary="", hours_ago=1.0):
    return ["%.6f" % day_number(time.time() - hours_ago * 3600), "E2Eフィード", title,
            "http://example.invalid/" + str(abs(hash(title))), "", summary]


def screen_shot(name):
    os.makedirs(SHOTS, exist_ok=True)
    path = os.path.join(SHOTS, "ticker-%s.png" % name)
    subprocess.run(["import", "-window", "root", path], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=30)
    return path


def state_button(shot):
    """The state button's pixels at the strip's left end."""
    return [shot.pixel(x, y) for y in range(shot.height) for x in range(0, 40)]


def strip_pixels(shot):
    """The strip's pixels, without the state button (its glyph shows the pause)."""
    return [shot.pixel(x, y) for y in range(shot.height) for x in range(40, shot.width - 30)]


def resting_on_the_strip_shows_the_hint_with_the_items_texts(server):
    t = Ticker(server, ini=ini(TickerTime=2))
    try:
        t.write_tic([item("ヒントの記事", "これが概要の文章です。")])
        away()
        t.start()
        assert window()[0] == 1
        _, _, texts = rest_on_item("ヒントの記事")
        screen_shot("hint")
        lines = texts.replace("\r", "").split("\n")
        assert lines[0].startswith("E2Eフィード ") and "月" in lines[0], lines
        assert lines[1:] == ["", "◇ ヒントの記事 ◇", "これが概要の文章です。"], lines
        away()
        assert wait_until(lambda: not hint_texts(), 20), "the hint stayed after the pointer left"
    finally:
        t.close()


def a_click_on_the_strip_opens_the_link_in_the_browser(server):
    t = Ticker(server, ini=ini(TickerTime=2))
    try:
        browser = os.path.join(t.install.prog, "browser.exe")
        shutil.copy(os.path.join(e2e.BUILD, "tests", "TessivarStandIn.exe"), browser)
        settings = ini(TickerTime=2, CommonBrows=2, CommonBrowsName="Z:" + browser.replace("/", "\\"))
        t.install.write_ini(settings)
        link = item("クリックする記事")[3]
        t.write_tic([item("クリックする記事")])
        away()
        t.start()
        assert window()[0] == 1
        x, y, _ = rest_on_item("クリックする記事")
        helper_ok("click", x, y, "left")
        started = wait_until(lambda: e2e.standin_starts(t.install.prog), 20)
        assert started == [["browser.exe", link]], started
    finally:
        t.close()


def the_wheel_steps_and_the_middle_button_pauses(server):
    t = Ticker(server, ini=ini(TickerTime=1))
    try:
        t.write_tic([item("一番目の記事", hours_ago=1), item("二番目の記事", hours_ago=2),
                     item("三番目の記事", hours_ago=3)])
        away()
        t.start()
        assert window()[0] == 1
        time.sleep(3)
        running = capture("running")
        assert running, "no capture of the ticker"
        x, y = rest_on_strip()
        first = wait_until(hint_texts, 20)
        assert first, "no hint came up"
        # Resting holds the display: the same item stays.
        time.sleep(2.5)
        assert hint_texts() == first, (first, hint_texts())
        pointer(x, y, "wheel:-1")
        stepped = wait_until(lambda: hint_texts() != first and hint_texts(), 20)
        assert stepped, "the wheel did not step: %s" % first

        pointer(x, y, "middle")
        away()
        thread_state("nocapture")  # the strip has let the pointer go

        def paused_look():
            shot = capture("paused")
            return shot if shot and state_button(shot) != state_button(running) else None

        # The state button's glyph shows the pause.
        paused = wait_until(paused_look, 20)
        assert paused, "the state button never showed the pause"
        # Over more than three items' time (one second each) nothing moves on.
        watched = time.time() + 3.5
        for n in range(100):
            still = capture("paused-still")
            assert still and strip_pixels(still) == strip_pixels(paused), \
                "the display went on while paused"
            if time.time() >= watched:
                break
            time.sleep(0.25)
        rest_on_strip()
        pointer(x, y, "middle")
        away()
        moved = wait_until(lambda: strip_pixels(capture("resumed") or still) != strip_pixels(still), 20)
        assert moved, "the display did not resume"
    finally:
        t.close()


def place_and_width_survive_a_restart_and_are_clamped(server):
    t = Ticker(server, ini=ini({"szLeft": 5000, "szTop": 300, "szWidth": 480, "szHeight": 99}))
    try:
        t.write_tic([item("位置の記事")])
        first = t.start()
        count, visible, left, top, right, bottom = window()
        assert count == 1 and visible
        assert (right - left, top, right) == (480, 300, 1280), (left, top, right, bottom)
        assert bottom - top < 99, "the stored height was taken"
        assert send(e2e_close=True) and wait_exit(first, 30) == 0
        stored = t.install.read_ini()
        assert "szLeft=800" in stored and "szWidth=480" in stored, stored
        t.start()
        assert window()[2:4] == (800, 300), window()
    finally:
        t.close()


def the_edge_image_drags_and_the_grip_sizes_the_window(server):
    t = Ticker(server, ini=ini())
    try:
        t.write_tic([item("動かす記事")])
        t.start()
        _, _, left, top, right, bottom = window()
        y = (top + bottom) // 2
        assert send(0), "the ticker does not answer"
        # The drag image lies 4 to 14 pixels in, the size grip in the last 3.
        for start, end, want in (((left + 8, y), (left + 108, y + 50),
                                  (left + 100, top + 50, right + 100, bottom + 50)),
                                 ((right - 2 + 100, y + 50), (right - 2 + 180, y + 50),
                                  (left + 100, top + 50, right + 180, bottom + 50))):
            pointer(*start)
            pointer(*start, "down")
            # The moves count from where the system's move loop found the pointer.
            thread_state("movesize")
            pointer((start[0] + end[0]) // 2, (start[1] + end[1]) // 2)
            pointer(*end)
            pointer(*end, "up")
            thread_state("nomovesize")
            moved = wait_until(lambda: window()[2:] == want, 20)
            assert moved, (left, top, right, bottom, window()[2:], want)
    finally:
        t.close()


def bmp(w, h, pixel):
    stride = (w * 3 + 3) & ~3
    rows = b""
    for y in reversed(range(h)):
        rows += b"".join(bytes(pixel(x, y)[::-1]) for x in range(w)) + b"\0" * (stride - w * 3)
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 0, 0, 0, 0)
    return b"BM" + struct.pack("<IHHI", 54 + len(header) + len(rows), 0, 0, 54) + header + rows


SKIN = (30, 70, 160)


def a_skin_with_magenta_corners_shapes_the_window(server):
    w, h, r = 360, 44, 12

    def skin(x, y):
        cx, cy = min(max(x, r), w - 1 - r), min(max(y, r), h - 1 - r)
        return (255, 0, 255) if (x - cx) ** 2 + (y - cy) ** 2 > r * r else SKIN

    t = Ticker(server, oem=["[Graphic]", "skinFile=1", "[Layout]", "manualMode=0"], ini=ini())
    try:
        t.install.write_bytes(os.path.join(t.install.prog, "OEM", "skin.bmp"), bmp(w, h, skin))
        t.write_tic([item("スキンの記事")])
        t.start()
        count, visible, left, top, right, bottom = window()
        assert (right - left, bottom - top) == (w, h), (count, visible, left, top, right, bottom)
        screen_shot("skin-screen")
        shot = capture("skin")
        assert shot is not None
        near = lambda p, c: all(abs(p[i] - c[i]) <= 12 for i in range(3))
        # The corners are cut away: the black desktop shows there, no magenta.
        for x, y in ((1, 1), (w - 2, 1), (1, h - 2), (w - 2, h - 2)):
            assert shot.pixel(x, y) == (0, 0, 0), (x, y, shot.pixel(x, y))
        assert shot.count((255, 0, 255), tolerance=8) == 0
        # The skin shows between the buttons and the strip.
        assert near(shot.pixel(5, h // 2), SKIN) and near(shot.pixel(w - 5, h // 2), SKIN)
    finally:
        t.close()


def tray_icon_shows():
    """Wine's tray window is on show with the ticker's icon (its blue play mark)."""
    with tempfile.TemporaryDirectory(prefix="tessivar-tray-") as tmp:
        out = os.path.join(tmp, "w.txt")
        helper("window", SYSTRAY[0], SYSTRAY[1], out, 1)
        if not os.path.exists(out) or open(out).read().split()[1] != "1":
            return False
        bmp_path = os.path.join(tmp, "tray.bmp")
        if helper("capture", SYSTRAY[0], SYSTRAY[1], bmp_path)[0] != 0:
            return False
        return Bitmap(bmp_path).count((0x10, 0x70, 0xD0), tolerance=40) >= 10


def the_tray_icon_toggles_the_window_and_comes_back_with_a_new_taskbar(server):
    t = Ticker(server, ini=ini())
    try:
        t.write_tic([item("トレイの記事")])
        t.start()
        assert window()[0] == 1
        assert wait_until(tray_icon_shows, 20), "no icon in the notification area"
        screen_shot("tray")
        for expected in (0, 1):
            helper("post", TRAY[0], TRAY[1], WM_TASKTRAY, 0, WM_LBUTTONDOWN)
            helper("post", TRAY[0], TRAY[1], WM_TASKTRAY, 0, WM_LBUTTONUP)
            assert wait_until(lambda: window(1)[1] == expected, 20), "a left click left it at %d" % (1 - expected)
        # The taskbar lost the icon; a new taskbar gets it back.
        assert helper("untray", TRAY[0], TRAY[1])[0] == 0
        assert wait_until(lambda: not tray_icon_shows(), 20), "the icon was not taken away"
        helper("post", TRAY[0], TRAY[1], "TaskbarCreated", 0, 0)
        assert wait_until(tray_icon_shows, 20), "the icon did not come back"
    finally:
        t.close()


def the_hover_thread_ends_with_the_program(server):
    t = Ticker(server, ini=ini())
    try:
        t.write_tic([item("終わる記事")])
        p = t.start()
        assert window()[0] == 1
        away()
        helper("post", TRAY[0], TRAY[1], WM_TASKTRAY, 0, WM_MOUSEMOVE)
        time.sleep(1)
        assert send(e2e_close=True)
        assert wait_exit(p, 30) == 0, "the ticker did not end with its hover thread running"
    finally:
        t.close()


if __name__ == "__main__":
    try:
        run_cases([
            resting_on_the_strip_shows_the_hint_with_the_items_texts,
            a_click_on_the_strip_opens_the_link_in_the_browser,
            the_wheel_steps_and_the_middle_button_pauses,
            place_and_width_survive_a_restart_and_are_clamped,
            the_edge_image_drags_and_the_grip_sizes_the_window,
            a_skin_with_magenta_corners_shapes_the_window,
            the_tray_icon_toggles_the_window_and_comes_back_with_a_new_taskbar,
            the_hover_thread_ends_with_the_program,
        ])
    finally:
        away()  # the scripts after this one must find no pointer on their windows
