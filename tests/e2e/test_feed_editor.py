"""The settings dialog's feed list fed from the command line: the feed that a
web page announces is found and added, and an OPML file's new feeds are
appended."""

import os

from tessivar_e2e import Install, answer_box, def_line, run_cases
from test_settings_dialog import Dialog

BLOG = (b'<!DOCTYPE html>\n<html lang="ja"><head><meta charset="utf-8">\n'
        b'<title>Blog</title>\n'
        b'<link rel="stylesheet" href="/style.css">\n'
        b'<!-- <link rel="alternate" type="application/rss+xml" href="/old.rdf"> -->\n'
        b'<link rel="alternate" type="application/rss+xml" title="Blog &raquo; Feed" '
        b'href="index.rdf" />\n'
        b'</head><body><p>entries</p></body></html>\n')


def a_page_on_the_command_line_adds_the_feed_it_announces(server):
    inst = Install(server)
    try:
        server.route("/blog/", BLOG, headers={"Content-Type": "text/html; charset=utf-8"})
        server.feed("/blog/index.rdf", "rdf-u8.xml")
        inst.write_def([def_line("既存", server.url("/a.xml"))])
        dialog = Dialog(inst, server.url("/blog/"))
        try:
            # The added feed is selected: its address stands in the entry field.
            assert dialog.has(("Edit", server.url("/blog/index.rdf"))), (server.requests(), dialog.state())
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


OPML = """<?xml version="1.0" encoding="utf-8"?>
<opml version="1.0"><head><title>list</title></head><body>
<outline text="ニュース" xmlUrl="http://127.0.0.1:1/news.xml">
  <outline title="天気" xmlUrl="http://127.0.0.1:1/weather.xml"/>
  <outline text="名前だけ"/>
</outline>
<outline text="既存の別名" xmlUrl="%s"/>
<outline text="スポーツ" xmlUrl="http://127.0.0.1:1/sports.xml"/>
</body></opml>
"""


def an_opml_file_on_the_command_line_appends_its_new_feeds(server):
    inst = Install(server)
    try:
        listed = server.url("/a.xml")
        inst.write_def([def_line("既存", listed)])
        opml = os.path.join(inst.root, "list.opml")
        with open(opml, "w", encoding="utf-8") as f:
            f.write(OPML % listed.upper().replace("HTTP://", "http://"))
        dialog = Dialog(inst, "Z:" + opml.replace("/", "\\"))
        try:
            # The bulk add asks first.
            answer_box("確認", "はい(&Y)")
            # The last added feed is selected.
            assert dialog.has(("Edit", "http://127.0.0.1:1/sports.xml")), dialog.state()
            dialog.close()
        finally:
            dialog.kill()
        # Nested outlines count; the listed address (in other letter case) and
        # the outline without one are left out; the new ones come last, unchecked.
        assert inst.deffile() == [def_line("既存", listed),
                                  def_line("ニュース", "http://127.0.0.1:1/news.xml", checked=""),
                                  def_line("天気", "http://127.0.0.1:1/weather.xml", checked=""),
                                  def_line("スポーツ", "http://127.0.0.1:1/sports.xml", checked="")], \
            inst.deffile()
        assert server.requests() == []
    finally:
        inst.close()


if __name__ == "__main__":
    run_cases([
        a_page_on_the_command_line_adds_the_feed_it_announces,
        an_opml_file_on_the_command_line_appends_its_new_feeds,
    ])
