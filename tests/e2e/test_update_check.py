"""TessivarSetup UPDATE on the main road, against an update folder on
127.0.0.1 serving stand-in programs of a newer version: Yes schedules the
replacements, and the next start (wineboot -r) carries them out; a second
run of a later release that is killed at its question, or answered with
Cancel, before that start leaves the first update whole; a second run while
the first asks, from any session, ends at once; a link named like a stage is
never followed. The other answers, versions and refusals are covered by UpdateCheck_test."""

import os
import shutil
import tempfile

from tessivar_e2e import (BIN, BUILD, PREFIX, Install, answer_box, helper_run, run_cases, wine_kill,
                          wine_run)

STANDIN = os.path.join(BUILD, "tests", "standin")
WORK = os.path.join(PREFIX, "drive_c", "ProgramData", "Pelmoriad", "TessivarOrvanel")
SYSTEM32 = os.path.join(PREFIX, "drive_c", "windows", "system32")
WINEBOOT = os.path.join(SYSTEM32, "wineboot.exe")
RELEASE = {"TessivarSetup.exe": "setup-release-newer.exe",
           "TessivarOrvanel.exe": "ticker-release-newer.exe",
           "TessivarUpdate.exe": "update-1.0.0.0.exe"}
SECOND = dict(RELEASE, **{"TessivarSetup.exe": "setup-release-second.exe"})


def read(path):
    with open(path, "rb") as f:
        return f.read()


def serve(server, release):
    for name, standin in release.items():
        server.route("/download/plinvat/" + name, read(os.path.join(STANDIN, standin)))


def installed_release(server):
    serve(server, RELEASE)
    inst = Install(server)
    shutil.rmtree(WORK, ignore_errors=True)
    for name in ("TessivarOrvanel.exe", "TessivarUpdate.exe"):
        shutil.copy(os.path.join(BIN, name), inst.prog)
    return inst


def update(inst, button):
    """One UPDATE run whose question is answered with button."""
    answer(inst.start("UPDATE"), button)


def answer(proc, button):
    try:
        assert answer_box("確認", button) == ["確認", "はい(&Y)", "キャンセル"]
        if button == "はい(&Y)":
            answer_box("情報")
        proc.communicate(timeout=120)
    finally:
        if proc.poll() is None:
            wine_kill(proc)
    assert proc.returncode == 0


def killed_at_question(inst):
    """One UPDATE run that is killed while its question shows."""
    proc = inst.start("UPDATE")
    try:
        wait_for_question(proc)
        # Wine's taskkill ends the process with exit code 0 (Windows' with 1).
        rc, log = wine_run(os.path.join(SYSTEM32, "taskkill.exe"), ["/F", "/IM", "TessivarSetup.exe"])
        assert rc == 0, log
        proc.communicate(timeout=120)
    finally:
        if proc.poll() is None:
            wine_kill(proc)


def wait_for_question(proc):
    tmp = tempfile.mkdtemp(prefix="tessivar-upd-")
    out = os.path.join(tmp, "w.txt")
    rc, log = helper_run(["window", "TForm", "確認", out, 150], timeout=200)
    shutil.rmtree(tmp, ignore_errors=True)
    assert rc == 0, "no question: " + log
    assert proc.poll() is None, "the run ended by itself"


def restart():
    rc, log = wine_run(WINEBOOT, ["-r"])
    assert rc == 0, log


def yes_to_a_newer_version_replaces_the_programs_at_the_next_start(server):
    inst = installed_release(server)
    try:
        update(inst, "はい(&Y)")
        assert [p for p, _ in server.requests()] == [
            "/download/plinvat/" + n for n in ("TessivarSetup.exe", "TessivarOrvanel.exe", "TessivarUpdate.exe")]
        restart()
        assert_installed(inst, RELEASE)
    finally:
        shutil.rmtree(WORK, ignore_errors=True)
        inst.close()


def assert_installed(inst, release):
    for name, standin in release.items():
        assert read(os.path.join(inst.prog, name)) == read(os.path.join(STANDIN, standin)), name


def second_run_ends_at_its_question(server, end):
    """Yes, then a run of a later release that ends at its question, then the next start."""
    inst = installed_release(server)
    try:
        update(inst, "はい(&Y)")
        serve(server, SECOND)
        end(inst)
        restart()
        assert_installed(inst, RELEASE)
    finally:
        shutil.rmtree(WORK, ignore_errors=True)
        inst.close()


def a_second_run_killed_at_its_question_leaves_the_first_update_whole(server):
    second_run_ends_at_its_question(server, killed_at_question)


def cancel_in_a_second_run_leaves_the_first_update_whole(server):
    second_run_ends_at_its_question(server, lambda inst: update(inst, "キャンセル"))


def work_entries():
    return sorted(os.path.join(d, n) for d, dirs, files in os.walk(WORK) for n in dirs + files)


def a_second_run_while_the_first_asks_says_so_and_leaves_the_work_folder(server):
    inst = installed_release(server)
    first = inst.start("UPDATE")
    second = None
    try:
        wait_for_question(first)
        # The guard is the machine's: runs of other sessions meet it too.
        rc, log = helper_run(["mutex", "Global\\TessivarUpdate_Mutex"])
        assert rc == 0, "no machine-wide guard: %d %s" % (rc, log)
        entries, fetched = work_entries(), server.requests()
        second = inst.start("UPDATE")
        assert answer_box("情報") == ["情報", "OK"]
        second.communicate(timeout=120)
        assert second.returncode == 0
        assert (work_entries(), server.requests()) == (entries, fetched)
        answer(first, "はい(&Y)")
        restart()
        assert_installed(inst, RELEASE)
    finally:
        for proc in (first, second):
            if proc and proc.poll() is None:
                wine_kill(proc)
        shutil.rmtree(WORK, ignore_errors=True)
        inst.close()


def a_link_named_like_a_stage_is_not_followed(server):
    """A work folder made before it was protected holds a link staged-0 to a
    folder of files; Wine shows a Unix symbolic link as a reparse point."""
    inst = installed_release(server)
    target = tempfile.mkdtemp(prefix="tessivar-linked-")
    try:
        for name in RELEASE:
            Install.write_bytes(os.path.join(target, name), b"not the update's")
        os.makedirs(WORK)
        os.symlink(target, os.path.join(WORK, "staged-0"))
        update(inst, "はい(&Y)")
        restart()
        assert_installed(inst, RELEASE)
        assert sorted(os.listdir(target)) == sorted(RELEASE)
    finally:
        shutil.rmtree(WORK, ignore_errors=True)
        shutil.rmtree(target, ignore_errors=True)
        inst.close()


if __name__ == "__main__":
    run_cases([yes_to_a_newer_version_replaces_the_programs_at_the_next_start,
               a_second_run_killed_at_its_question_leaves_the_first_update_whole,
               cancel_in_a_second_run_leaves_the_first_update_whole,
               a_second_run_while_the_first_asks_says_so_and_leaves_the_work_folder,
               a_link_named_like_a_stage_is_not_followed])
