"""TessivarUpdate.exe, started from another current folder, starts the
TessivarSetup.exe beside it (a stand-in that logs its arguments) with its
first argument as one parameter."""

import os
import shutil
import tempfile
import time

from tessivar_e2e import BIN, BUILD, answer_box, run_cases, standin_starts, wine_kill, wine_start

STANDIN = os.path.join(BUILD, "tests", "standin", "update-1.0.0.0.exe")


class Launcher:
    """The launcher in a folder of its own, beside a logging stand-in setup
    program (unless without_setup), started from a folder with a decoy."""

    def __init__(self, without_setup=False):
        self.root = tempfile.mkdtemp(prefix="tessivar-launch-")
        self.prog, self.elsewhere = os.path.join(self.root, "prog"), os.path.join(self.root, "elsewhere")
        for folder in (self.prog, self.elsewhere):
            os.makedirs(folder)
            if folder == self.elsewhere or not without_setup:
                shutil.copy(STANDIN, os.path.join(folder, "TessivarSetup.exe"))
        shutil.copy(os.path.join(BIN, "TessivarUpdate.exe"), self.prog)

    def start(self, *args):
        return wine_start(os.path.join(self.prog, "TessivarUpdate.exe"), args, cwd=self.elsewhere)

    def setup_params(self):
        """The arguments the stand-in beside the launcher was started with."""
        for _ in range(300):
            logged = standin_starts(self.prog)
            if logged:
                return logged[0][1:]
            time.sleep(0.1)
        raise AssertionError("the setup program beside the launcher was not started")

    def close(self, proc):
        try:
            proc.communicate(timeout=60)
        finally:
            if proc.poll() is None:
                wine_kill(proc)
            shutil.rmtree(self.root, ignore_errors=True)


def the_first_argument_reaches_the_setup_program_beside_it_whole(server):
    launcher = Launcher()
    proc = launcher.start("C:\\My Feeds\\a b.xml", "extra")
    try:
        assert launcher.setup_params() == ["C:\\My Feeds\\a b.xml"]
        assert not os.path.exists(os.path.join(launcher.elsewhere, "standin.log"))
    finally:
        launcher.close(proc)
    with open(os.path.join(BIN, "TessivarUpdate.exe"), "rb") as f:
        assert b'level="requireAdministrator"' in f.read()


def without_arguments_it_says_what_it_is_for(server):
    launcher = Launcher()
    proc = launcher.start()
    try:
        assert answer_box("アップデート") == ["アップデート", "OK", "このプログラムはTessivarシリーズが使用します。"]
        proc.communicate(timeout=30)
        assert not os.path.exists(os.path.join(launcher.prog, "standin.log"))
    finally:
        launcher.close(proc)


def a_missing_setup_program_is_reported(server):
    launcher = Launcher(without_setup=True)
    proc = launcher.start("UPDATE")
    try:
        assert answer_box("エラー") == ["エラー", "OK", "指定のプロセスは実行出来ませんでした。"]
    finally:
        launcher.close(proc)


if __name__ == "__main__":
    run_cases([
        the_first_argument_reaches_the_setup_program_beside_it_whole,
        without_arguments_it_says_what_it_is_for,
        a_missing_setup_program_is_reported,
    ])
