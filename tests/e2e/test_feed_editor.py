"""The settings dialog's feed list fed from the command line: the feed that a
web page announces is found and added."""

import time

from tessivar_e2e import Install, def_line, run_cases
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


if __name__ == "__main__":
    run_cases([
        a_page_on_the_command_line_adds_the_feed_it_announces,
    ])
