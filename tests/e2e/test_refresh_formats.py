"""TessivarSetup FEED/REFRESH against feeds of every format and encoding."""

import os

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


if __name__ == "__main__":
    run_cases([
        formats_and_encodings_give_ticker_and_menu_lines,
        atom_alternate_link_and_self_link,
        information_feed_follows_items_and_is_cached,
        information_feed_alone_is_never_written,
        client_mode_writes_no_information_lines,
        ranking_feed_keeps_its_order_after_dated_lines,
        control_bytes_are_scrubbed_and_parsed_again,
    ])
