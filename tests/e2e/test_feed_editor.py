"""The settings dialog's feed list fed from the command line: a web page's
announced feed found and added, a listed feed checked, and the feed page
as it draws its entries."""

import os
import tempfile
import shutil
import time

from tessivar_e2e import Install, def_line, helper_exe, run_cases, wine_run
from test_settings_dialog import Dialog

BLOG = (b'<!DOCTYPE html>\n<html lang="ja"><head><meta charset="utf-8">\n'
        b'<title>Blog</title>\n'
        b'<link rel="stylesheet" href="/style.css">\n'
        b'<!-- <link rel="alternate" type="application/rss+xml" href="/old.rdf"> -->\n'
        b'<link rel="alternate" type="application/rss+xml" title="Blog &raquo; Feed" '
        b'href="index.rdf" />\n'
        b'</head><body><p>entries</p></body></html>\n')


def wait_for(predicate, seconds=60):
    deadline = time.time() + seconds
    while time.time() < deadline:
        if predicate():
            return True
        time.sleep(0.2)
    return predicate()


def no_information_box(seconds=3):
    tmp = tempfile.mkdtemp(prefix="tessivar-nobox-")
    try:
        out = os.path.join(tmp, "w.txt")
        wine_run(helper_exe(), ["window", "TForm", "情報", out, str(seconds)], timeout=seconds + 60)
        return not os.path.exists(out) or open(out).read().split()[0] == "0"
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


def a_page_on_the_command_line_adds_the_feed_it_announces(server):
    inst = Install(server)
    try:
        server.route("/blog/", BLOG, headers={"Content-Type": "text/html; charset=utf-8"})
        server.feed("/blog/index.rdf", "rdf-u8.xml")
        inst.write_def([def_line("既存", server.url("/a.xml"))])
        dialog = Dialog(inst, server.url("/blog/"))
        try:
            assert wait_for(lambda: server.requests("/blog/index.rdf")), server.requests()
            time.sleep(1)
            dialog.capture("feed-editor-added")
            dialog.close()
        finally:
            dialog.kill()
        assert server.requests("/old.rdf") == []
        # The new feed lands at the top, checked, under the feed's own title.
        assert inst.deffile() == [def_line("RDF u8", server.url("/blog/index.rdf")),
                                  def_line("既存", server.url("/a.xml"))], inst.deffile()
    finally:
        inst.close()


def a_listed_feed_given_with_a_ticker_word_is_checked_silently(server):
    inst = Install(server)
    try:
        server.feed("/a.xml", "rss2-u8.xml")
        inst.write_def([def_line("a", server.url("/a.xml"), checked="")])
        dialog = Dialog(inst, server.url("/a.xml"), "TICKER")
        try:
            assert wait_for(lambda: server.requests("/a.xml"))
            assert no_information_box()
            dialog.close()
        finally:
            dialog.kill()
        assert inst.deffile() == [def_line("a", server.url("/a.xml"))], inst.deffile()
    finally:
        inst.close()


def the_feed_page_draws_checks_rankings_and_hour_windows(server):
    inst = Install(server)
    try:
        inst.write_def([def_line("ニュース 主要", server.url("/a.xml")),
                        def_line("ランキング", server.url("/r.xml"), ranking=1, start=10, end=18),
                        def_line("休止中", server.url("/b.xml"), start=1, end=24, checked=""),
                        def_line("夜だけ", server.url("/n.xml"), start=22, end=24)])
        dialog = Dialog(inst, "ADD")
        try:
            time.sleep(1)
            dialog.capture("feed-editor-list")
            dialog.close()
        finally:
            dialog.kill()
        # Nothing was edited: the list is not written again.
        assert inst.deffile()[1] == def_line("ランキング", server.url("/r.xml"), "1", "10", "18")
    finally:
        inst.close()


if __name__ == "__main__":
    run_cases([
        a_page_on_the_command_line_adds_the_feed_it_announces,
        a_listed_feed_given_with_a_ticker_word_is_checked_silently,
        the_feed_page_draws_checks_rankings_and_hour_windows,
    ])
