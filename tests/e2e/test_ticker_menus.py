"""The ticker's menus and keyword search under Wine, driven as a user would:
a right click opens the main menu, its letters choose the commands, the
magnifier opens the keyword panel, typed words and Enter search. Stand-ins
for the setup program, the launcher and a browser log how they were started.
Screenshots of each menu and of the open panel go to /tmp/shots."""

import os

import tessivar_e2e as e2e
from tessivar_e2e import run_cases
from ticker_e2e import (Ticker, away, capture, children, click, day_number, drop_lists, helper,
                        hint_texts, keys, popups, rest_on_item, screen, send, stand_in, starts,
                        thread_state, type_text, user_registry_value, wait_exit, wait_until,
                        window)

RUN_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
RUN_VALUE = "Tessivar-Ticker ver.1.0"

VK = {"enter": "0x0D", "esc": "0x1B", "down": "0x28", "right": "0x27", "back": "0x08"}


def letter(c):
    return "0x%02X" % ord(c)


def ticker_with_stand_ins(server, ini_extra=None, engines=None):
    ini = {"Run": {"RefreshNow": "%.6f" % day_number()},
           "Env": {"TickerScroll": 0, "TickerTime": 30, "RefreshTime": 600, "CommonBrows": 2}}
    for section, values in (ini_extra or {}).items():
        ini.setdefault(section, {}).update(values)
    t = Ticker(server, ini=ini)
    stand_in(t, "TessivarSetup.exe", "TessivarUpdate.exe", "browser.exe")
    browser = os.path.join(t.install.prog, "browser.exe")
    # The browser setting names a Windows path: the prefix shows / as Z:.
    t.install.write_ini({**ini, "Env": {**ini["Env"], "CommonBrowsName": "Z:" + browser.replace("/", "\\")}})
    if engines is not None:
        t.install.write_bytes(os.path.join(t.install.prog, "TessivarOrvanel.cst"),
                              e2e._encode("".join("%s\t%s\r\n" % e for e in engines)))
    t.write_tic([["%.6f" % day_number(), "フィード", "メニューの記事", "http://127.0.0.1/a", "", "s"]])
    return t


def start_and_find(t):
    """Starts the ticker; its window's rectangle once it shows and answers."""
    t.start()
    count, _, *rect = window()
    assert count == 1
    assert send(0), "the ticker does not answer"
    return rect


def open_popup(x, y, button):
    """Clicks once no menu is on show; the rectangle of the menu it opens."""
    popups(0)
    click(x, y, button)
    return popups(1)[0]


def open_main_menu(rect):
    left, top, right, bottom = rect
    return open_popup(left + 120, (top + bottom) // 2, "right")


def open_submenu(key, level):
    """Presses the key in an open menu; the rectangle of the submenu it opens
    (the menu count reaches level)."""
    before = popups(level - 1)
    keys(key)
    after = popups(level)
    return [r for r in after if r not in before][0]


def open_article_menu(rect):
    """The main menu's article submenu. The ticker adds the entry when it
    reads its file, which it does before it shows the first item, but not
    while a menu is open: the menu opens once the strip shows the item."""
    rest_on_item("メニューの記事")
    away()
    assert wait_until(lambda: not hint_texts(), 20), "the hint stayed after the pointer left"
    open_main_menu(rect)
    return open_submenu(letter("D"), 2)


def confirm_with_enter(shot=None):
    """Waits for the confirmation box to take the keys, then presses Enter
    (its default button)."""
    assert window(30, "TForm", "確認")[1] == 1, "no confirmation box"
    thread_state("active", 30, "TForm", "確認")
    if shot:
        screen(shot, (0, 0, 1280, 800))
    keys(VK["enter"])


def marked_rows(menu, rows, name):
    """Which of the rows of the menu show something in the mark column left
    of their captions (a check or radio mark; the rest of the column is
    plain menu colour, or plain highlight in a selected row)."""
    shot = capture(name, menu)
    assert shot is not None
    height = (shot.height - 6) / rows
    marked = []
    for row in range(rows):
        y0, y1 = int(3 + row * height) + 2, int(3 + (row + 1) * height) - 2
        colours = {shot.pixel(x, y) for x in range(4, 16) for y in range(y0, y1)}
        marked.append(len(colours) > 1)
    return marked


def menu_shot(name, rect):
    left, top = rect[0], rect[1]
    return screen(name, (max(0, left - 10), max(0, top - 10), left + 640, top + 420))


def main_menu_commands_start_the_programs_beside_the_ticker(server):
    t = ticker_with_stand_ins(server)
    try:
        rect = start_and_find(t)
        open_main_menu(rect)
        menu_shot("menu-main", rect)
        for n, key in enumerate("FREU"):
            if n:
                open_main_menu(rect)
            keys(letter(key))
            popups(0)
            assert len(starts(t.install.prog, n + 1)) == n + 1, (key, starts(t.install.prog))
        got = sorted(starts(t.install.prog, 4))
        assert got == [["TessivarSetup.exe"], ["TessivarSetup.exe", "FEED"],
                       ["TessivarSetup.exe", "REFRESH"], ["TessivarUpdate.exe", "UPDATE"]], got
    finally:
        t.close()


def options_set_translucency_and_the_start_up_entry(server):
    t = ticker_with_stand_ins(server)
    try:
        rect = start_and_find(t)
        open_main_menu(rect)
        open_submenu(letter("O"), 2)
        menu_shot("menu-option", rect)
        open_submenu(letter("C"), 3)
        menu_shot("menu-alpha", rect)
        # From "無" past the separator to "中" (160).
        keys(VK["down"], VK["down"], VK["down"], VK["enter"])
        popups(0)
        assert wait_until(lambda: "AlphaBrend=160" in t.install.read_ini(), 10), t.install.read_ini()

        # The start-up entry asks, then writes the quoted program path; asked
        # again it removes the value.
        expected = '"Z:%s"' % t.exe.replace("/", "\\")
        for want in (expected, None):
            open_main_menu(rect)
            open_submenu(letter("O"), 2)
            keys(letter("S"))
            confirm_with_enter("confirm-startup" if want else None)
            wait_until(lambda: (user_registry_value(RUN_KEY, RUN_VALUE) or "").lower() ==
                       (want or "").lower(), 10)
            got = user_registry_value(RUN_KEY, RUN_VALUE)
            assert (got is None) == (want is None) and (got or "").lower() == (want or "").lower(), \
                (got, want, "confirmation boxes open: %d" % window(1, "TForm", "確認")[0])
    finally:
        # A value left behind would start a ticker with every new Wine session.
        helper("regdel", RUN_KEY, RUN_VALUE)
        t.close()


def started_with_startup_the_ticker_registers_itself(server):
    t = ticker_with_stand_ins(server)
    try:
        # The word counts as the first or the second argument, in any case.
        t.start(["-x", "startup"])
        count, _, *rect = window()
        assert count == 1
        expected = '"Z:%s"' % t.exe.replace("/", "\\")
        wait_until(lambda: user_registry_value(RUN_KEY, RUN_VALUE) is not None, 10)
        assert (user_registry_value(RUN_KEY, RUN_VALUE) or "").lower() == expected.lower()
        assert send(0), "the ticker does not answer"
        open_main_menu(rect)
        open_submenu(letter("O"), 2)
        keys(letter("S"))
        confirm_with_enter()
        assert wait_until(lambda: user_registry_value(RUN_KEY, RUN_VALUE) is None, 10), \
            user_registry_value(RUN_KEY, RUN_VALUE)
    finally:
        # A value left behind would start a ticker with every new Wine session.
        helper("regdel", RUN_KEY, RUN_VALUE)
        t.close()


def the_article_menu_lists_the_menu_file_and_opens_an_item(server):
    t = ticker_with_stand_ins(server, {"Env": {"TickerTime": 2}})
    try:
        lines = ["http://feed1/\tニュース&速報\t一つ目の記事\thttp://127.0.0.1/one",
                 "http://feed1/\tニュース&速報\t二つ目の記事\thttp://127.0.0.1/two",
                 "http://feed2/\t天気\t晴れ\thttp://127.0.0.1/sun"]
        t.install.write_bytes(t.install.path("TessivarOrvanel.mnu"),
                              e2e._encode("\r\n".join(lines) + "\r\n"))
        rect = start_and_find(t)
        open_article_menu(rect)
        open_submenu(VK["right"], 3)
        menu_shot("menu-kiji", rect)
        keys(VK["down"], VK["enter"])
        assert starts(t.install.prog) == [["browser.exe", "http://127.0.0.1/two"]]
    finally:
        t.close()


def the_exit_entry_ends_the_program(server):
    t = ticker_with_stand_ins(server)
    try:
        rect = start_and_find(t)
        open_main_menu(rect)
        keys(letter("X"))
        assert wait_exit(t.procs[0], 30) == 0, "the ticker did not end"
    finally:
        t.close()


def typed_words_are_searched_with_each_encoding_and_kept(server):
    engine = ("E2E検索", "http://127.0.0.1/s?s=$KEYWORD_SHIFTJIS$&e=$KEYWORD_EUCJP$&u=$KEYWORD_UTF8$")
    t = ticker_with_stand_ins(server, {"Search": {"Query": ""}}, engines=[engine, ("別の検索", "http://127.0.0.1/o?q=$KEYWORD$")])
    try:
        left, top, right, bottom = start_and_find(t)
        middle = (top + bottom) // 2
        click(right - 24, middle)  # the magnifier
        box = lambda: [c for c in children() if c[0].lower() == "edit"]
        assert wait_until(lambda: box() == [("Edit", "")], 20), ("no keyword box", children())
        screen("keyword-panel", (left - 5, top - 5, right + 5, bottom + 5))
        words = ["1+1", "a b", "日本"]
        for n, word in enumerate(words):
            type_text(word)
            assert wait_until(lambda: box() == [("Edit", word)], 20), (word, box())
            keys(VK["enter"])
            assert len(starts(t.install.prog, n + 1)) == n + 1, (word, starts(t.install.prog))
            keys(*([VK["back"]] * 4))
            assert wait_until(lambda: box() == [("Edit", "")], 20), (word, box())
        expected = [
            "http://127.0.0.1/s?s=1%2B1&e=1%2B1&u=1%2B1",
            "http://127.0.0.1/s?s=a+b&e=a+b&u=a+b",
            "http://127.0.0.1/s?s=%93%FA%96%7B&e=%C6%FC%CB%DC&u=%E6%97%A5%E6%9C%AC",
        ]
        got = starts(t.install.prog, 3)
        assert got == [["browser.exe", u] for u in expected], got
        history = open(os.path.join(t.install.ini_dir, "TessivarOrvanel.wrd"), "rb").read()
        assert history.decode("cp932") == "日本\r\na b\r\n1+1\r\n", history
        # Down opens the history under the box: the stored words, newest first.
        drop_lists(0)
        keys(VK["down"])
        shown = drop_lists(1)
        screen("keyword-history", (left - 5, top - 5, right + 5, bottom + 200))
        assert shown == [["日本", "a b", "1+1"]], shown
        keys(VK["esc"])
        drop_lists(0)
        # The engine label opens the keyword menu; its engine submenu lists the
        # two engines with the current one marked.
        open_popup(right - 24 - 11 - 2 - 20, middle, "left")
        screen("keyword-menu", (left - 5, top - 5, left + 640, top + 300))
        engines = open_submenu(letter("E"), 2)
        screen("keyword-engines", (left - 5, top - 5, left + 640, top + 300))
        assert marked_rows(engines, 2, "keyword-engines-menu") == [True, False], engines
        keys(VK["down"], VK["enter"])  # the second engine
        popups(0)
        assert wait_until(lambda: "Name=別の検索" in t.install.read_ini(), 10), t.install.read_ini()
    finally:
        t.close()


if __name__ == "__main__":
    run_cases([
        main_menu_commands_start_the_programs_beside_the_ticker,
        options_set_translucency_and_the_start_up_entry,
        started_with_startup_the_ticker_registers_itself,
        the_article_menu_lists_the_menu_file_and_opens_an_item,
        the_exit_entry_ends_the_program,
        typed_words_are_searched_with_each_encoding_and_kept,
    ])
