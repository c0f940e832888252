"""The refresh over HTTP: validators, redirects, a proxy, dead feeds and
hour windows."""

import time

from tessivar_e2e import FeedServer, Install, Proxy, def_line, run_cases, scramble

LAST_MODIFIED = "Sat, 07 Dec 2024 01:00:00 GMT"


def unchanged_feeds_leave_the_ticker_file_byte_for_byte(server):
    inst = Install(server)
    try:
        server.feed("/a.xml", "rss2-u8.xml", last_modified=LAST_MODIFIED)
        server.feed("/b.xml", "atom-sj.xml", last_modified=LAST_MODIFIED)
        inst.write_def([def_line("a", server.url("/a.xml")), def_line("b", server.url("/b.xml"))])
        inst.run("FEED")
        first = inst.raw("TessivarOrvanel.tic")
        assert first and len(inst.tic()) == 6, inst.tic()
        assert [d[6] for d in inst.deffile()] == [LAST_MODIFIED] * 2, inst.deffile()
        # No ticker file yet: the first run sent no validator.
        assert all("If-Modified-Since" not in h for _, h in server.requests("/a.xml"))
        server.clear_requests()
        time.sleep(1.1)
        inst.run("FEED")
        sent = [h.get("If-Modified-Since") for _, h in server.requests("/a.xml")]
        assert sent == [LAST_MODIFIED], sent
        assert inst.raw("TessivarOrvanel.tic") == first
        # A manual refresh fetches without a validator.
        server.clear_requests()
        inst.run("REFRESH")
        assert all("If-Modified-Since" not in h for _, h in server.requests("/a.xml"))
    finally:
        inst.close()


def permanent_redirect_rewrites_the_feed_address(server):
    inst = Install(server)
    try:
        server.feed("/new.xml", "rss2-u8.xml")
        server.feed("/tmp-target.xml", "rdf-u8.xml")
        server.route("/old.xml", status=301, location=server.url("/new.xml"))
        server.route("/rel/old.xml", status=301, location="../new.xml")
        server.route("/moved-for-now.xml", status=302, location=server.url("/tmp-target.xml"))
        inst.write_def([def_line("abs", server.url("/old.xml")),
                        def_line("rel", server.url("/rel/old.xml")),
                        def_line("tmp", server.url("/moved-for-now.xml"))])
        inst.run("REFRESH")
        urls = [d[2] for d in inst.deffile()]
        assert urls == [server.url("/new.xml"), server.url("/new.xml"),
                        server.url("/moved-for-now.xml")], urls
        assert len([l for l in inst.tic() if l[1] == "rel"]) == 3, inst.tic()
    finally:
        inst.close()


def redirect_chains_end_after_five(server):
    inst = Install(server)
    try:
        server.feed("/end.xml", "rss2-u8.xml")
        kinds = [302, 307, 301, 302, 307]
        for n, status in enumerate(kinds):
            target = "/five%d.xml" % (n + 1) if n + 1 < len(kinds) else "/end.xml"
            server.route("/five%d.xml" % n, status=status, location=server.url(target))
        for n in range(6):
            target = "/six%d.xml" % (n + 1) if n + 1 < 6 else "/end.xml"
            server.route("/six%d.xml" % n, status=302, location=server.url(target))
        server.route("/loop.xml", status=302, location=server.url("/loop.xml"))
        inst.write_def([def_line("five", server.url("/five0.xml")),
                        def_line("six", server.url("/six0.xml")),
                        def_line("loop", server.url("/loop.xml"))])
        inst.run("REFRESH")
        names = [l[1] for l in inst.tic()]
        assert names.count("five") == 3 and "six" not in names and "loop" not in names, names
        assert len(server.requests("/loop.xml")) <= 6
        # The feed address becomes the target of the chain's permanent redirect.
        assert inst.deffile()[0][2] == server.url("/five3.xml"), inst.deffile()[0]
    finally:
        inst.close()


def unreachable_feed_keeps_its_old_lines_and_menu(server):
    other = FeedServer()
    inst = Install(server)
    try:
        server.feed("/a.xml", "rss2-u8.xml")
        other.feed("/b.xml", "atom-u8.xml")
        inst.write_def([def_line("a", server.url("/a.xml")), def_line("b", other.url("/b.xml"))])
        inst.run("REFRESH")
        before = inst.tic()
        old_b = [l for l in before if l[1] == "b"]
        assert len(old_b) == 3, before
        other.close()
        other = None
        server.feed("/a.xml", "rdf-u8.xml")
        inst.run("FEED")
        tic = inst.tic()
        assert [l for l in tic if l[1] == "b"] == old_b, tic
        assert len([l for l in tic if l[1] == "a"]) == 6, tic
        assert [m[1] for m in inst.mnu()].count("b") == 3, inst.mnu()
        # The dead feed's line in the feed list is untouched.
        assert inst.deffile()[1][7].startswith("Atomu8"), inst.deffile()
    finally:
        if other:
            other.close()
        inst.close()


def hour_window_outside_the_current_hour_skips_the_feed(server):
    inst = Install(server)
    try:
        server.feed("/in.xml", "rss2-u8.xml")
        server.feed("/out.xml", "rdf-u8.xml")
        inst.write_def([def_line("in", server.url("/in.xml")), def_line("out", server.url("/out.xml"))])
        inst.run("REFRESH")
        assert len(inst.tic()) == 6
        h = time.localtime().tm_hour
        far = (h + 12) % 24 + 1
        inst.write_def([def_line("in", server.url("/in.xml"), start=(h + 23) % 24 + 1, end=(h + 1) % 24 + 1),
                        def_line("out", server.url("/out.xml"), start=far, end=far)])
        server.clear_requests()
        server.feed("/in.xml", "atom-u8.xml")
        inst.run("FEED")
        assert server.requests("/out.xml") == []
        assert len(server.requests("/in.xml")) == 1
        names = [l[1] for l in inst.tic()]
        # The skipped feed's old lines go; its menu lines stay.
        assert "out" not in names and names.count("in") == 6, names
        assert [m[1] for m in inst.mnu()].count("out") == 3, inst.mnu()
    finally:
        inst.close()


def proxy_with_credentials_carries_every_request(server):
    proxy = Proxy(credentials="tessivar:p@ss:w/rd")
    inst = Install(server)
    try:
        server.feed("/a.xml", "rss2-u8.xml")
        server.feed("/b.xml", "rdf-sj.xml")
        inst.write_ini({"Env": {
            "InternetPreConfig": 2,
            "InternetProxy": scramble("127.0.0.1\\0%d" % proxy.port),
            "InternetUser": scramble("tessivar\\0p@ss:w/rd\\00"),
        }})
        inst.write_def([def_line("a", server.url("/a.xml")), def_line("b", server.url("/b.xml"))])
        inst.run("REFRESH")
        seen = [p for p, _ in proxy.requests()]
        assert server.url("/a.xml") in seen and server.url("/b.xml") in seen, seen
        names = [l[1] for l in inst.tic()]
        assert names.count("a") == 3 and names.count("b") == 3, names
    finally:
        proxy.close()
        inst.close()


if __name__ == "__main__":
    run_cases([
        unchanged_feeds_leave_the_ticker_file_byte_for_byte,
        permanent_redirect_rewrites_the_feed_address,
        redirect_chains_end_after_five,
        unreachable_feed_keeps_its_old_lines_and_menu,
        hour_window_outside_the_current_hour_skips_the_feed,
        proxy_with_credentials_carries_every_request,
    ])
