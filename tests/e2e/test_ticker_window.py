"""The ticker window under Wine: the strip with the items of the ticker file,
its colour sets, an information line's icon, one copy only, closing, and the
main road: a due refresh starts the setup program, whose items then show."""

import os
import subprocess
import time

import tessivar_e2e as e2e
from tessivar_e2e import def_line, run_cases
from ticker_e2e import Ticker, bgr, capture, day_number, send, wait_exit, wait_for_capture, window

# Colours of the OEM file's colour section ($00BBGGRR values).
GREEN = 0x40C040
YELLOW = 0x00FFFF
PURPLE = 0x800080
RED_TEXT = 0x0000FF
BLUE_TEXT = 0xFF0000


def oem_colours(**keys):
    return ["[TickerCol]"] + ["%s=%d" % kv for kv in keys.items()]


def paging_ini(**env):
    values = {"TickerScroll": 0, "TickerTime": 1, "RefreshTime": 600}
    values.update(env)
    return {"Run": {"RefreshNow": "%.6f" % day_number()}, "Env": values}


def item(title, feed="E2Eフィード", mark="", hours_ago=1.0, icon=""):
    fields = ["%.6f" % day_number(time.time() - hours_ago * 3600), feed, title,
              "http://example.invalid/" + str(abs(hash(title))), mark, "summary of " + title]
    if icon:
        fields.append(icon)
    return fields


def near(p, rgb, tolerance=40):
    return all(abs(p[i] - rgb[i]) <= tolerance for i in range(3))


def strip_of(shot, colour):
    """The box of pixels in the strip's colour (x0, y0, x1, y1), or None."""
    xs, ys = [], []
    for y in range(shot.height):
        for x in range(shot.width):
            if near(shot.pixel(x, y), colour, 8):
                xs.append(x)
                ys.append(y)
    if len(xs) < 200:
        return None
    return (min(xs), min(ys), max(xs) + 1, max(ys) + 1)


def text_columns(shot, box, colour):
    return shot.columns_with(bgr(colour), box, tolerance=70)


def the_window_shows_the_first_item_in_its_colours(server):
    t = Ticker(server, oem=oem_colours(StartColorB=GREEN, EndColorB=GREEN, FontColorB=RED_TEXT,
                                       FontColorC=BLUE_TEXT),
               ini=paging_ini(TickerTime=2))
    try:
        # Long enough to tell it from the start-up title in the same colours.
        t.write_tic([item("ただ一つの長い記事タイトル", feed="F")])
        t.start()
        count, visible, left, top, right, bottom = window()
        assert count == 1 and visible, (count, visible)
        assert right - left == 300, (left, right)
        assert 20 <= bottom - top <= 40, (top, bottom)

        def shows_text(shot):
            box = strip_of(shot, bgr(GREEN))
            if box is None:
                return False
            red = text_columns(shot, box, RED_TEXT)
            return len(red) > 0 and max(red) - min(red) > 130 and text_columns(shot, box, BLUE_TEXT)

        shot, ok = wait_for_capture("first-item", shows_text, 30)
        assert ok, "no strip with the title and the date/feed colours: %s" % (shot and shot.path)
        box = strip_of(shot, bgr(GREEN))
        red = text_columns(shot, box, RED_TEXT)
        blue = text_columns(shot, box, BLUE_TEXT)
        # The title (font colour) comes first, the date and feed name after it.
        assert max(red) < min(blue), (min(red), max(red), min(blue), max(blue))
    finally:
        t.close()


def scrolled_items_move_from_right_to_left(server):
    t = Ticker(server, oem=oem_colours(StartColorB=GREEN, EndColorB=GREEN, FontColorB=RED_TEXT),
               ini=paging_ini(TickerScroll=1, TickerScrollTime=0))
    try:
        t.write_tic([item("流れる記事"), item("次に流れる記事")])
        t.start()
        assert window()[0] == 1
        positions = []

        def moves():
            steps = [b - a for a, b in zip(positions, positions[1:]) if b != a]
            return sum(1 for d in steps if d < 0), sum(1 for d in steps if d > 0)

        # The slowest scroll, so that a pass outlasts several captures even on a
        # loaded machine. The first item rests a moment before it moves, and a slow machine
        # may catch a wrap early: sample until several leftward steps are seen.
        deadline = time.time() + 30
        while moves()[0] < 4 and time.time() < deadline:
            shot = capture("scroll")
            box = shot and strip_of(shot, bgr(GREEN))
            red = box and text_columns(shot, box, RED_TEXT)
            if red:
                positions.append(max(red))  # the left end is clipped by the strip
            time.sleep(0.3)
        left, right = moves()
        # Mostly leftwards: a new item enters from the right edge now and then.
        assert left >= 4 and left > right, positions
    finally:
        t.close()


def a_keyword_hit_shows_in_the_keyword_colours(server):
    ini = paging_ini()
    ini["Key"] = {"Str1": "速報"}
    t = Ticker(server, oem=oem_colours(StartColorB=GREEN, EndColorB=GREEN, StartColorK=YELLOW,
                                       EndColorK=YELLOW, FontColorK=RED_TEXT), ini=ini)
    try:
        t.write_tic([item("普通の記事"), item("【速報】大きな記事")])
        t.start()
        assert window()[0] == 1
        hit, ok = wait_for_capture("keyword-hit", lambda s: strip_of(s, bgr(YELLOW)) is not None, 30)
        assert ok, "the keyword item never came up in its colours: %s" % (hit and hit.path)
        assert text_columns(hit, strip_of(hit, bgr(YELLOW)), RED_TEXT)
        plain, ok = wait_for_capture("keyword-plain", lambda s: strip_of(s, bgr(GREEN)) is not None, 30)
        assert ok, "the ordinary item never came back"
    finally:
        t.close()


def an_information_line_shows_its_jpeg_icon(server):
    # Each line stays two seconds, so a capture on a slow machine still
    # catches the information line's turn (one line in three).
    ini = paging_ini(TickerTime=2)
    t = Ticker(server, oem=oem_colours(StartColorB=GREEN, EndColorB=GREEN, StartColorS=PURPLE,
                                       EndColorS=PURPLE), ini=ini)
    try:
        # With the band server file present an information line follows every 14 items.
        open(os.path.join(t.install.prog, "TessivarOrvanel32.dll"), "wb").close()
        graphic = os.path.join(t.install.data, "Graphic")
        os.makedirs(graphic, exist_ok=True)
        subprocess.run(["convert", "-size", "48x14", "xc:#FF0000", os.path.join(graphic, "info.jpg")],
                       check=True, timeout=60)
        t.write_tic([item("記事その一"), item("記事その二"),
                     item("お知らせ", feed="", mark="*", icon="info.jpg")])
        t.start()
        assert window()[0] == 1

        def icon_on_white(shot):
            return shot.count((255, 0, 0), tolerance=40) >= 300 and \
                shot.count((255, 255, 255), tolerance=4) >= 300

        shot, ok = wait_for_capture("info-icon", icon_on_white, 120)
        assert ok, "the information line's icon never showed: %s" % (shot and shot.path)
        # The icon stands for the text: no purple strip for that line.
        assert strip_of(shot, bgr(PURPLE)) is None
    finally:
        t.close()


def a_broken_ticker_file_is_shown_without_a_crash(server):
    t = Ticker(server, oem=oem_colours(StartColorB=GREEN, EndColorB=GREEN), ini=paging_ini())
    try:
        lines = [b"\xff\xfe\x00\x01binary\tno\tdate", b"x" * 300000, b"not-a-date\tfeed\ttitle only",
                 b"\x81\tbroken lead byte\t\x82", b"1e308\tfeed\thuge date\thttp://a/\t\t"]
        t.install.write_bytes(t.install.path("TessivarOrvanel.tic"), b"\r\n".join(lines) + b"\r\n")
        p = t.start()
        assert window()[0] == 1
        time.sleep(8)  # several items come and go
        assert p.poll() is None, "the ticker ended"
        assert capture("broken-file") is not None
    finally:
        t.close()


def a_second_copy_brings_the_first_forward_and_ends(server):
    t = Ticker(server, ini=paging_ini())
    try:
        t.write_tic([item("ひとつだけの記事")])
        first = t.start()
        assert window()[0] == 1
        second = t.start()
        rc = wait_exit(second, 60)
        assert rc is not None, "the second copy did not end"
        assert first.poll() is None, "the first copy ended"
        assert window(5)[0] == 1
    finally:
        t.close()


def closing_the_window_ends_the_program(server):
    t = Ticker(server, ini=paging_ini())
    try:
        t.write_tic([item("閉じる前の記事")])
        p = t.start()
        assert window()[0] == 1
        assert send(e2e_close=True)
        assert wait_exit(p, 30) == 0, "the ticker did not end cleanly"
    finally:
        t.close()


def a_due_refresh_fills_the_strip_with_served_items(server):
    # The last refresh is long past: the file check starts the setup program.
    feed = e2e.rss_feed("E2E速報 本日の記事", 3)
    server.route("/news.xml", feed)
    ini = {"Run": {"RefreshNow": "36526"}, "Env": {"TickerScroll": 0, "TickerTime": 1, "RefreshTime": 60},
           "Key": {"Str1": "E2E速報"}}
    t = Ticker(server, oem=oem_colours(StartColorB=GREEN, EndColorB=GREEN, StartColorK=YELLOW,
                                       EndColorK=YELLOW), ini=ini)
    try:
        t.install.write_def([def_line("ニュース", server.url("/news.xml"))])
        started = time.time()
        t.start()
        assert window()[0] == 1
        deadline = time.time() + 150
        while (t.install.tic() is None or len(t.install.tic()) < 3) and time.time() < deadline:
            time.sleep(1)
        tic = t.install.tic()
        assert tic and len(tic) == 3, tic
        assert server.requests("/news.xml"), "the feed was never asked for"
        # The refresh test waits for the file check's third run (about 40 s).
        assert time.time() - started > 30
        shot, ok = wait_for_capture("main-road", lambda s: strip_of(s, bgr(YELLOW)) is not None, 60)
        assert ok, "the served items never showed: %s" % (shot and shot.path)
        refresh_now = [l for l in t.install.read_ini().splitlines() if l.startswith("RefreshNow=")]
        assert refresh_now and abs(float(refresh_now[0].split("=")[1]) - day_number()) < 0.1, refresh_now
    finally:
        t.close()


if __name__ == "__main__":
    run_cases([
        the_window_shows_the_first_item_in_its_colours,
        scrolled_items_move_from_right_to_left,
        a_keyword_hit_shows_in_the_keyword_colours,
        an_information_line_shows_its_jpeg_icon,
        a_broken_ticker_file_is_shown_without_a_crash,
        a_second_copy_brings_the_first_forward_and_ends,
        closing_the_window_ends_the_program,
        a_due_refresh_fills_the_strip_with_served_items,
    ])
