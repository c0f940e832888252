"""TessivarSetup UPDATE on the main road, against an update folder on
127.0.0.1 serving stand-in programs of a newer version: Yes schedules the
replacements, and the next start (wineboot -r) carries them out. The other
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


def yes_to_a_newer_version_replaces_the_programs_at_the_next_start(server):
    for name, standin in RELEASE.items():
        server.route("/download/plinvat/" + name, read(os.path.join(STANDIN, standin)))
    inst = Install(server)
    shutil.rmtree(WORK, ignore_errors=True)
    try:
        for name in ("TessivarOrvanel.exe", "TessivarUpdate.exe"):
            shutil.copy(os.path.join(BIN, name), inst.prog)
        proc = inst.start("UPDATE")
        try:
            assert answer_box("確認", "はい(&Y)") == ["確認", "はい(&Y)", "キャンセル"]
            answer_box("情報")
            proc.communicate(timeout=120)
        finally:
            if proc.poll() is None:
                wine_kill(proc)
        assert proc.returncode == 0
        assert [p for p, _ in server.requests()] == [
            "/download/plinvat/" + n for n in ("TessivarSetup.exe", "TessivarOrvanel.exe", "TessivarUpdate.exe")]
        rc, log = wine_run(WINEBOOT, ["-r"])
        assert rc == 0, log
        for name, standin in RELEASE.items():
            assert read(os.path.join(inst.prog, name)) == read(os.path.join(STANDIN, standin)), name
    finally:
        shutil.rmtree(WORK, ignore_errors=True)
        inst.close()


if __name__ == "__main__":
    run_cases([yes_to_a_newer_version_replaces_the_programs_at_the_next_start])
