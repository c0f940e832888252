"""TessivarSetup UPDATE on the main road, against an update folder on
127.0.0.1 serving stand-in programs of a newer version: Yes schedules the
replacements, and the next start (wineboot -r) carries them out; a second
run answered with Cancel before that start takes them back whole. The other
answers, versions and refusals are covered by UpdateCheck_test."""

import os
import shutil

from tessivar_e2e import BIN, BUILD, PREFIX, Install, answer_box, run_cases, wine_kill, wine_run

STANDIN = os.path.join(BUILD, "tests", "standin")
WORK = os.path.join(PREFIX, "drive_c", "ProgramData", "Pelmoriad", "TessivarOrvanel")
WINEBOOT = os.path.join(PREFIX, "drive_c", "windows", "system32", "wineboot.exe")
RELEASE = {"TessivarSetup.exe": "setup-release-newer.exe",
           "TessivarOrvanel.exe": "ticker-release-newer.exe",
           "TessivarUpdate.exe": "update-1.0.0.0.exe"}


def read(path):
    with open(path, "rb") as f:
        return f.read()


def installed_release(server):
    for name, standin in RELEASE.items():
        server.route("/download/plinvat/" + name, read(os.path.join(STANDIN, standin)))
    inst = Install(server)
    shutil.rmtree(WORK, ignore_errors=True)
    for name in ("TessivarOrvanel.exe", "TessivarUpdate.exe"):
        shutil.copy(os.path.join(BIN, name), inst.prog)
    return inst


def update(inst, button):
    """One UPDATE run whose question is answered with button."""
    proc = inst.start("UPDATE")
    try:
        assert answer_box("確認", button) == ["確認", "はい(&Y)", "キャンセル"]
        if button == "はい(&Y)":
            answer_box("情報")
        proc.communicate(timeout=120)
    finally:
        if proc.poll() is None:
            wine_kill(proc)
    assert proc.returncode == 0


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
        for name, standin in RELEASE.items():
            assert read(os.path.join(inst.prog, name)) == read(os.path.join(STANDIN, standin)), name
    finally:
        shutil.rmtree(WORK, ignore_errors=True)
        inst.close()


def cancel_in_a_second_run_leaves_no_half_update(server):
    inst = installed_release(server)
    try:
        before = {name: read(os.path.join(inst.prog, name)) for name in RELEASE}
        update(inst, "はい(&Y)")
        update(inst, "キャンセル")
        restart()
        for name in RELEASE:
            assert read(os.path.join(inst.prog, name)) == before[name], name
    finally:
        shutil.rmtree(WORK, ignore_errors=True)
        inst.close()


if __name__ == "__main__":
    run_cases([yes_to_a_newer_version_replaces_the_programs_at_the_next_start,
               cancel_in_a_second_run_leaves_no_half_update])
