"""The ticker's menus and keyword search under Wine, driven as a user would:
a right click opens the main menu, its letters choose the commands, the
magnifier opens the keyword panel, typed words and Enter search. Stand-ins
for the setup program, the launcher and a browser log how they were started.
Screenshots of each menu and of the open panel go to /tmp/shots."""

import os
import time

import tessivar_e2e as e2e
from tessivar_e2e import run_cases
from ticker_e2e import (Ticker, click, day_number, helper, keys, screen, stand_in, starts,
                        type_text, user_registry_value, wait_exit, window)

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
    """Starts the ticker; its window's rectangle once it shows, after a moment
    for its first item."""
    t.start()
    count, _, *rect = window()
    assert count == 1
    time.sleep(2)
    return rect


def open_main_menu(rect):
    left, top, right, bottom = rect
    click(left + 120, (top + bottom) // 2, "right")


def menu_shot(name, rect):
    left, top = rect[0], rect[1]
    return screen(name, (max(0, left - 10), max(0, top - 10), left + 640, top + 420))


def main_menu_commands_start_the_programs_beside_the_ticker(server):
    t = ticker_with_stand_ins(server)
    try:
        rect = start_and_find(t)
        open_main_menu(rect)
        menu_shot("menu-main", rect)
        keys(letter("F"))
        open_main_menu(rect)
        keys(letter("R"))
        open_main_menu(rect)
        keys(letter("E"))
        open_main_menu(rect)
        keys(letter("U"))
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
        keys(letter("O"))
        menu_shot("menu-option", rect)
        keys(letter("C"))
        menu_shot("menu-alpha", rect)
        # From "無" past the separator to "中" (160).
        keys(VK["down"], VK["down"], VK["down"], VK["enter"])
        deadline = time.time() + 10
        while "AlphaBrend=160" not in t.install.read_ini() and time.time() < deadline:
            time.sleep(0.3)
        assert "AlphaBrend=160" in t.install.read_ini(), t.install.read_ini()

        # The start-up entry asks, then writes the quoted program path; asked
        # again it removes the value.
        expected = '"Z:%s"' % t.exe.replace("/", "\\")
        for want in (expected, None):
            open_main_menu(rect)
            keys(letter("O"))
            keys(letter("S"))
            time.sleep(1)
            if want:
                screen("confirm-startup", (0, 0, 1280, 800))
            keys(VK["enter"])  # Yes is the default button
            deadline = time.time() + 10
            while user_registry_value(RUN_KEY, RUN_VALUE) != want and time.time() < deadline:
                time.sleep(0.3)
            got = user_registry_value(RUN_KEY, RUN_VALUE)
            assert (got is None) == (want is None) and (got or "").lower() == (want or "").lower(), \
                (got, want)
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
        deadline = time.time() + 10
        while user_registry_value(RUN_KEY, RUN_VALUE) is None and time.time() < deadline:
            time.sleep(0.3)
        assert (user_registry_value(RUN_KEY, RUN_VALUE) or "").lower() == expected.lower()
        open_main_menu(rect)
        keys(letter("O"))
        keys(letter("S"))
        time.sleep(1)
        keys(VK["enter"])
        deadline = time.time() + 10
        while user_registry_value(RUN_KEY, RUN_VALUE) is not None and time.time() < deadline:
            time.sleep(0.3)
        assert user_registry_value(RUN_KEY, RUN_VALUE) is None
    finally:
        # A value left behind would start a ticker with every new Wine session.
        helper("regdel", RUN_KEY, RUN_VALUE)
        t.close()


def the_article_menu_lists_the_menu_file_and_opens_an_item(server):
    t = ticker_with_stand_ins(server)
    try:
        lines = ["http://feed1/\tニュース&速報\t一つ目の記事\thttp://127.0.0.1/one",
                 "http://feed1/\tニュース&速報\t二つ目の記事\thttp://127.0.0.1/two",
                 "http://feed2/\t天気\t晴れ\thttp://127.0.0.1/sun"]
        t.install.write_bytes(t.install.path("TessivarOrvanel.mnu"),
                              e2e._encode("\r\n".join(lines) + "\r\n"))
        rect = start_and_find(t)
        open_main_menu(rect)
        keys(letter("D"))
        keys(VK["right"])
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
        screen("keyword-panel", (left - 5, top - 5, right + 5, bottom + 5))
        words = ["1+1", "a b", "日本"]
        for word in words:
            type_text(word)
            keys(VK["enter"])
            keys(*([VK["back"]] * 4))
        expected = [
            "http://127.0.0.1/s?s=1%2B1&e=1%2B1&u=1%2B1",
            "http://127.0.0.1/s?s=a+b&e=a+b&u=a+b",
            "http://127.0.0.1/s?s=%93%FA%96%7B&e=%C6%FC%CB%DC&u=%E6%97%A5%E6%9C%AC",
        ]
        got = starts(t.install.prog, 3)
        assert got == [["browser.exe", u] for u in expected], got
        history = open(os.path.join(t.install.ini_dir, "TessivarOrvanel.wrd"), "rb").read()
        assert history.decode("cp932") == "日本\r\na b\r\n1+1\r\n", history
        # Down opens the history under the box.
        keys(VK["down"])
        screen("keyword-history", (left - 5, top - 5, right + 5, bottom + 200))
        keys(VK["esc"])
        # The engine label opens the keyword menu with the engine submenu.
        click(right - 24 - 11 - 2 - 20, middle)
        screen("keyword-menu", (left - 5, top - 5, left + 640, top + 300))
        keys(letter("E"))
        screen("keyword-engines", (left - 5, top - 5, left + 640, top + 300))
        keys(VK["down"], VK["enter"])  # the second engine
        deadline = time.time() + 10
        while "Name=別の検索" not in t.install.read_ini() and time.time() < deadline:
            time.sleep(0.3)
        assert "Name=別の検索" in t.install.read_ini(), t.install.read_ini()
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
