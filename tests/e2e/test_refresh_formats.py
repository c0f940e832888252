"""TessivarSetup FEED/REFRESH against feeds of every format and encoding."""

import os
from datetime import datetime, timedelta, timezone

from tessivar_e2e import Install, def_line, run_cases, fixture

FORMATS = [("rss2", "RSS"), ("rdf", "RDF"), ("atom", "Atom")]
ENCODINGS = ["u8", "sj", "ej"]


def formats_and_encodings_give_ticker_and_menu_lines(server):
    inst = Install(server)
    try:
        lines = []
        for fmt, _ in FORMATS:
            for enc in ENCODINGS:
                path = "/%s-%s.xml" % (fmt, enc)
                server.feed(path, "%s-%s.xml" % (fmt, enc))
                lines.append(def_line("%s-%s" % (fmt, enc), server.url(path)))
        inst.write_def(lines)
        inst.run("FEED")
        tic = inst.tic()
        assert tic is not None, "no ticker file"
        for fmt, word in FORMATS:
            for enc in ENCODINGS:
                name = "%s-%s" % (fmt, enc)
                mine = [l for l in tic if l[1] == name]
                assert len(mine) == 3, (name, mine)
                assert all(l[0] != "" and l[4] == "" for l in mine), mine
                titles = [l[2] for l in mine]
                assert "%s%s 二つ目の記事" % (word, enc) in titles, titles
                first = [l for l in mine if "一つ目" in l[2]][0]
                assert first[3] == "http://example.invalid/a1?%s%s" % (fmt.replace("2", ""), enc), first
                assert first[5] == "要約その一 & 続き", first
                second = [l for l in mine if "二つ目" in l[2]][0]
                assert second[5] == "太字の要約", second
        # Newest first over all feeds: the day numbers never rise.
        dates = [float(l[0]) for l in tic if l[0]]
        assert dates == sorted(dates, reverse=True), dates
        mnu = inst.mnu()
        assert len(mnu) == 27, len(mnu)
        assert [m[1] for m in mnu[:3]] == ["rss2-u8"] * 3, mnu[:3]
        assert mnu[0][0] == server.url("/rss2-u8.xml")
        # Latest item titles and the engine list of a first start.
        deflines = inst.deffile()
        assert all(d[7] for d in deflines), deflines
        assert os.path.exists(os.path.join(inst.prog, "TessivarOrvanel.cst"))
    finally:
        inst.close()


def atom_alternate_link_and_self_link(server):
    inst = Install(server)
    try:
        server.feed("/atom.xml", "atom-u8.xml")
        inst.write_def([def_line("atom", server.url("/atom.xml"))])
        inst.run("REFRESH")
        links = sorted(l[3] for l in inst.tic())
        assert all("?atomu8" in l for l in links), links
    finally:
        inst.close()


def information_feed_follows_items_and_is_cached(server):
    inst = Install(server)
    try:
        server.feed("/rss/tessivarorvanel.rdf", "info.rdf")
        server.feed("/f.xml", "rss2-u8.xml")
        inst.write_def([def_line("f", server.url("/f.xml"))])
        inst.run("REFRESH")
        tic = inst.tic()
        info = [l for l in tic if l[4] == "*"]
        assert [l[2] for l in info] == ["お知らせ1", "お知らせ2", "お知らせ3"], tic
        assert all(l[1] == "Pelmoriad" and l[0] == "" for l in info), info
        assert tic[-3:] == info, "information lines come last"
        assert inst.raw("TessivarOrvanel.cm") == fixture("info.rdf")
        # A second run within 8 hours reads the cache, not the server.
        server.clear_requests()
        server.route("/rss/tessivarorvanel.rdf", b"<html>error</html>", status=200)
        inst.run("REFRESH")
        assert server.requests("/rss/tessivarorvanel.rdf") == []
        assert len([l for l in inst.tic() if l[4] == "*"]) == 3
        # An old cache is fetched again; an error page does not replace it.
        old = 9 * 3600
        st = os.stat(inst.path("TessivarOrvanel.cm"))
        os.utime(inst.path("TessivarOrvanel.cm"), (st.st_atime - old, st.st_mtime - old))
        inst.run("REFRESH")
        assert len(server.requests("/rss/tessivarorvanel.rdf")) == 1
        assert inst.raw("TessivarOrvanel.cm") == fixture("info.rdf")
        assert [l for l in inst.tic() if l[4] == "*"] == [], "the error page gave no lines"
    finally:
        inst.close()


def information_feed_alone_is_never_written(server):
    inst = Install(server)
    try:
        server.feed("/rss/tessivarorvanel.rdf", "info.rdf")
        server.route("/dead.xml", b"", status=500)
        inst.write_def([def_line("dead", server.url("/dead.xml"))])
        inst.run("REFRESH")
        assert inst.tic() == [], inst.tic()
    finally:
        inst.close()


def client_mode_writes_no_information_lines(server):
    from tessivar_e2e import scramble
    inst = Install(server, oem=["OemKey=" + scramble("clientmode")])
    try:
        server.feed("/rss/tessivarorvanel.rdf", "info.rdf")
        server.feed("/f.xml", "rss2-u8.xml")
        inst.write_def([def_line("f", server.url("/f.xml"))])
        inst.run("REFRESH")
        tic = inst.tic()
        assert len(tic) == 3 and all(l[4] == "" for l in tic), tic
        assert server.requests("/rss/tessivarorvanel.rdf") == []
    finally:
        inst.close()


def ranking_feed_keeps_its_order_after_dated_lines(server):
    inst = Install(server)
    try:
        server.feed("/rank.xml", "ranking.xml")
        server.feed("/f.xml", "rss2-u8.xml")
        inst.write_def([def_line("rank", server.url("/rank.xml"), ranking="1"),
                        def_line("f", server.url("/f.xml"))])
        inst.run("REFRESH")
        tic = inst.tic()
        assert [l[1] for l in tic[:3]] == ["f"] * 3, tic
        rank = tic[3:]
        assert [l[2] for l in rank] == ["ランキング%d位" % n for n in range(1, 6)], rank
        assert all(l[0] == "" and l[4] == "$" for l in rank), rank
    finally:
        inst.close()


def control_bytes_are_scrubbed_and_parsed_again(server):
    inst = Install(server)
    try:
        body = fixture("rss2-u8.xml").replace(b"RSSu8 ", b"RSS\x01u8 ", 1)
        server.route("/ctl.xml", body)
        inst.write_def([def_line("ctl", server.url("/ctl.xml"))])
        inst.run("REFRESH")
        titles = [l[2] for l in inst.tic()]
        assert len(titles) == 3 and any(t.startswith("RSS u8 ") for t in titles), titles
    finally:
        inst.close()


def day_number(local):
    """The ticker's date field: days since 1899-12-30 in local time."""
    return (local - datetime(1899, 12, 30)).total_seconds() / 86400


def real_feed_forms_give_their_titles_links_and_dates(server):
    inst = Install(server)
    try:
        now = datetime.now().replace(microsecond=0)
        slash, dot = now - timedelta(hours=1), now - timedelta(hours=2)
        w3c = datetime.now(timezone.utc).replace(microsecond=0) - timedelta(hours=3)
        link_tag = '<a href="https://news.example.invalid/%s">' % ("p" * 1100)
        img_tag = '<img src="https://img.example.invalid/%s.jpg">' % ("q" * 300)
        items = [
            ("<![CDATA[AT&amp;T 決算]]>", "<link>http://example.invalid/1</link>",
             "<pubDate>%s</pubDate>" % slash.strftime("%Y/%m/%d %H:%M:%S"),
             "<description><![CDATA[%s要約です</a>%s続き]]></description>" % (link_tag, img_tag)),
            ("Q&amp;amp;A 特集", "<link>http://example.invalid/2</link>",
             "<dc:date>%s</dc:date>" % dot.strftime("%Y.%m.%d %H:%M"), ""),
            ("東京 &amp;#x26; 大阪 &amp;quot;速報&amp;quot;", "<guid>http://example.invalid/3</guid>",
             "<dc:date>%s</dc:date>" % w3c.strftime("%Y-%m-%dT%H:%M:%SZ"), ""),
            ("番号だけの guid", "<guid>123456</guid>", "", ""),
            ("日付が読めない", "<link>http://example.invalid/5</link>",
             "<dc:date>20241207T100000Z</dc:date>", ""),
        ]
        body = ('<?xml version="1.0" encoding="UTF-8"?><rss version="2.0" '
                'xmlns:dc="http://purl.org/dc/elements/1.1/"><channel><title>c</title>%s'
                "</channel></rss>" % "".join("<item><title>%s</title>%s%s%s</item>" % i for i in items))
        server.route("/new.xml", body.encode("utf-8"), headers={"Content-Type": "text/xml"})
        server.route("/old.xml", b"", status=308, location=server.url("/new.xml"))
        inst.write_def([def_line("forms", server.url("/old.xml"))])
        inst.run("REFRESH")
        tic = {l[2]: l for l in inst.tic()}
        assert sorted(tic) == sorted(["AT&T 決算", "Q&A 特集", '東京 & 大阪 "速報"', "日付が読めない"]), tic
        first = tic["AT&T 決算"]
        assert first[3] == "http://example.invalid/1" and first[5] == "要約です続き", first
        assert abs(float(first[0]) - day_number(slash)) < 1 / 1440, (first[0], slash)
        second = tic["Q&A 特集"]
        assert abs(float(second[0]) - day_number(dot.replace(second=0))) < 1 / 1440, (second[0], dot)
        third = tic['東京 & 大阪 "速報"']
        assert third[3] == "http://example.invalid/3", third
        local_w3c = w3c.astimezone().replace(tzinfo=None)
        assert abs(float(third[0]) - day_number(local_w3c)) < 1 / 1440, (third[0], local_w3c)
        assert tic["日付が読めない"][0] == "", "no date rather than 1 January"
        # The permanent 308 moved the feed.
        assert inst.deffile()[0][2] == server.url("/new.xml"), inst.deffile()
    finally:
        inst.close()


if __name__ == "__main__":
    run_cases([
        formats_and_encodings_give_ticker_and_menu_lines,
        atom_alternate_link_and_self_link,
        information_feed_follows_items_and_is_cached,
        information_feed_alone_is_never_written,
        client_mode_writes_no_information_lines,
        ranking_feed_keeps_its_order_after_dated_lines,
        control_bytes_are_scrubbed_and_parsed_again,
        real_feed_forms_give_their_titles_links_and_dates,
    ])
