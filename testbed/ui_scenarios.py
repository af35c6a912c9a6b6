#!/usr/bin/env python3
"""The program's windows under Wine on simulated machines, driven through
the automation channel (qnbdiag ui): a second start, the main window's
start-up messages and key filter, the notice before an action, PE-mode
switches. States are checked, not pixels.
"""

import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "service"))
from localservice import LocalService  # noqa: E402
from machine_drives import MachineDrives, machine_path  # noqa: E402
from scenarios import Failed, Runner  # noqa: E402
from ui_session import UiError, UiSession  # noqa: E402

RUNNING = "Tessaly重装助手正在运行，请不要重复打开！"
NOT_READY = "程序初始化失败,请确保除系统分区外存在其他可用空间大于10GB的分区！"
NOT_READY_ACTION = "程序初始化失败,此功能无法使用！"
SAME_DRIVE = "除系统分区外未找到可用分区。程序无法使用"
MAIN = "PEInstallerDlg"


def expect(condition, what):
    if not condition:
        raise Failed(what)


def messages(session, title=None):
    return [m for m in session.windows()["messages"] if m["visible"] and (title is None or m["title"] == title)]


def expect_message(session, title, text):
    box = session.wait_message(title)
    expect(box["text"] == text, "message %r says %r, not %r" % (title, box["text"], text))
    session.answer(title, "ok")
    session.poll(lambda: not messages(session, title), what="the message %s to go" % title)


def quit_action(session, window):
    """Leaves an action window by its close button; the main window comes back."""
    session.click(window, "btn_close")
    expect_message_answered(session, "退出？", "是否退出？", "yes")
    session.wait_gone(window)
    expect_main_visible(session, "the main window is back after %s" % window)


def expect_message_answered(session, title, text, button):
    box = session.wait_message(title)
    expect(box["text"] == text, "message %r says %r, not %r" % (title, box["text"], text))
    session.answer(title, button)
    session.poll(lambda: not messages(session, title), what="the message %s to go" % title)


def expect_main_visible(session, what):
    """The main window shows (the window list may miss it for a moment while
    the program is between a message box and its own window)."""
    try:
        session.poll(lambda: (session.window(MAIN) or {}).get("visible"), seconds=10, what=what)
    except UiError:
        raise Failed(what)


def leave_wizard(session):
    """The reinstall wizard opened; it is left through its close button and question."""
    session.wait("installdlg")
    session.click("installdlg", "btn_close")
    session.wait_message("退出？")
    session.answer("退出？", "yes")
    session.wait_gone("installdlg")


def start_main(session, drives, args=()):
    program = session.start(args, env=drives.env())
    session.wait(MAIN)
    return program


def second_start(session, box, args):
    """A second copy shows its message once and ends with 0; after the first
    copy's window has closed, a new copy starts."""
    with MachineDrives(box, machine_path("second-disk-first")) as drives:
        first = start_main(session, drives)
        second = session.start(env=drives.env())
        box_ = session.wait_message("Tessaly")
        expect(box_["text"] == RUNNING, "the second copy says %r" % box_["text"])
        expect(len(messages(session, "Tessaly")) == 1, "the message shows once")
        session.answer("Tessaly", "ok")
        expect(second.wait(timeout=30) == 0, "the second copy ends with 0")
        expect(not messages(session, "Tessaly"), "no second message")
        expect_main_visible(session, "the first copy is not disturbed")
        session.click(MAIN, "btn_close")
        # The first copy's window is gone: a new copy may start at once.
        session.wait_gone(MAIN)
        third = session.start(env=drives.env())
        session.wait(MAIN)
        expect(not messages(session), "the new copy starts without a message")
        expect(first.wait(timeout=30) == 0, "the first copy ended with 0")
        expect(session.stop(third) == 0, "the new copy ends with 0")


def main_window(session, box, args):
    """A ready machine: the main window as laid out, no messages, keys swallowed."""
    with MachineDrives(box, machine_path("second-disk-first")) as drives:
        program = start_main(session, drives)
        time.sleep(1.5)  # the update prompt's second: no answer, no prompt
        expect(not messages(session), "no message at start")
        controls = session.controls(MAIN)
        expect(controls["cur_ver"]["text"] == "当前版本：2.0.0", "cur_ver")
        expect(controls["new_ver"]["text"] == "最新版本：2.0.0", "new_ver keeps its layout text")
        expect(not controls["update"]["enabled"], "the update button stays disabled")
        expect(controls["lab_needupdate"]["bkimage"] == "ver1.png", "lab_needupdate")
        for name in ("btn_install", "btn_backup", "btn_restore", "btn_menu", "site", "course", "feetback", "about"):
            expect(controls[name]["visible"] and controls[name]["enabled"], name + " is usable")

        session.ui("focus", MAIN, "btn_install")
        for key in ("enter", "space", "esc"):
            session.key(MAIN, key)
        time.sleep(0.5)
        expect_main_visible(session, "Esc did not close the window")
        expect(session.window("Waring") is None, "Enter and Space did not press the focused button")

        session.click(MAIN, "btn_menu")
        menu = session.poll(lambda: session.window("menuwnd"), what="the menu")
        expect(menu["visible"], "the menu shows")
        expect(session.stop(program) == 0, "the program ends with 0")


def notice(session, box, args):
    """The notice counts down on its first showing, then lets the action go on."""
    with MachineDrives(box, machine_path("second-disk-first")) as drives:
        program = start_main(session, drives)
        session.ui("hold-timers", "on")
        session.click(MAIN, "btn_install")
        session.wait("Waring")
        seen = []
        for tick in range(6):
            button = session.controls("Waring")["btn_iknow"]
            seen.append("%s %s" % (button["text"], "on" if button["enabled"] else "off"))
            if tick < 5:
                session.ui("tick", "Waring", 232)
        expect(seen == ["我知道了(5) off", "我知道了(4) off", "我知道了(3) off", "我知道了(2) off", "我知道了(1) off",
                        "我知道了 on"], "the countdown showed %s" % seen)
        for key in ("enter", "esc", "space"):
            session.key("Waring", key)
        expect(session.window("Waring") is not None, "keys do not close the notice")

        session.click("Waring", "btn_how")
        session.wait("GuideToCloseSafe")
        guide = session.controls("GuideToCloseSafe")
        expect(guide["tab_main"]["value"] == 0, "no product: the guide waits on its choice")
        expect(not any(guide[n]["visible"] for n in guide if n.startswith("option_")), "no product: no options")
        session.click("GuideToCloseSafe", "btn_close")
        session.wait_gone("GuideToCloseSafe")

        session.click("Waring", "btn_iknow")
        leave_wizard(session)
        expect_main_visible(session, "the main window is back")
        setting = drives.host("E:\\Quenbrook\\Data\\SETTING.JSON")
        with open(setting, "rb") as f:
            expect(b'"bShowedNote" : true' in f.read(), "bShowedNote is saved")

        session.click(MAIN, "btn_backup")
        session.wait("Waring")
        button = session.controls("Waring")["btn_iknow"]
        expect(button["text"] == "我知道了" and button["enabled"], "the second time it is usable at once")
        session.click("Waring", "btn_iknow")
        session.wait("BackupDlg")
        quit_action(session, "BackupDlg")
        session.ui("hold-timers", "off")
        expect(session.stop(program) == 0, "the program ends with 0")


def click_reports(session, box, args):
    """The start-up report, then one report per action chosen in the main
    window, with the query texts the service expects."""
    with MachineDrives(box, machine_path("second-disk-first")) as drives, LocalService() as service:
        # The notice was seen in an earlier run: no countdown before each action.
        folder = drives.host("E:\\Quenbrook\\Data")
        os.makedirs(folder)
        with open(os.path.join(folder, "SETTING.JSON"), "wb") as f:
            f.write(b'{"bShowedNote": true, "bSameDisk": false}')
        env = dict(drives.env(), QNB_REPORT_HOST=service.host, QNB_REPORT_PORT=str(service.port),
                   QNB_API_HOST=service.host, QNB_API_PORT=str(service.port))
        program = session.start(env=env)
        session.wait(MAIN)
        session.click(MAIN, "btn_install")
        session.wait("Waring")
        session.click("Waring", "btn_iknow")
        leave_wizard(session)
        expect_main_visible(session, "the main window is back after the wizard")
        session.click(MAIN, "btn_backup")
        session.wait("Waring")
        session.click("Waring", "btn_iknow")
        session.wait("BackupDlg")
        quit_action(session, "BackupDlg")
        # No backups made yet: the restore window says so and closes.
        session.click(MAIN, "btn_restore")
        session.wait("Waring")
        session.click("Waring", "btn_iknow")
        expect_message(session, "错误", "未找到备份的镜像，请先备份系统！")
        expect(session.stop(program) == 0, "the program ends with 0")
        reports = service.wait_for_log(lambda e: e["group"] == "report", count=4, timeout=20) or []
        paths = sorted(e["path"].rsplit("/", 2)[-2] for e in reports)
        expect(paths == ["backupclick", "reinstallclick", "restoreclick", "sysinfo"], "reports %s" % paths)
        for entry in reports:
            keys = list(entry["params"])
            kind = entry["path"].rsplit("/", 2)[-2]
            wanted = {"sysinfo": ["mav", "miv", "bn", "pt", "pa", "sp", "mac", "pi", "ver", "utm_source"],
                      "reinstallclick": ["mac", "old_sys", "ver", "utm_source"]}.get(kind, ["mac", "ver", "utm_source"])
            expect(keys == wanted, "%s carries %s" % (kind, keys))
            expect(entry["params"]["ver"] == "20190404" and entry["params"]["utm_source"] == "2001",
                   "%s: ver and utm_source" % kind)


def not_ready(session, box, args):
    """No partition with room: the start-up message, then every action refuses."""
    with MachineDrives(box, machine_path("exactly-10gib")) as drives:
        program = session.start(env=drives.env())
        expect_message(session, "错误", NOT_READY)
        session.ui("hold-timers", "on")
        session.click(MAIN, "btn_restore")
        session.wait("Waring")
        session.ui("tick", "Waring", 232, 5)
        session.poll(lambda: session.controls("Waring")["btn_iknow"]["enabled"], what="the notice's button")
        session.click("Waring", "btn_iknow")
        expect_message(session, "错误", NOT_READY_ACTION)
        session.ui("hold-timers", "off")
        expect(session.stop(program) == 0, "the program ends with 0")


def same_drive(session, box, args):
    """A workspace from an earlier run on the system drive: the warning, then as usual."""
    earlier = os.path.join(box.drive_c(), "Quenbrook", "Data")
    os.makedirs(earlier)
    try:
        with MachineDrives(box, machine_path("one-disk-c-d")) as drives:
            program = session.start(env=drives.env())
            expect_message(session, "错误", SAME_DRIVE)
            expect_main_visible(session, "the window stays")
            expect(session.stop(program) == 0, "the program ends with 0")
    finally:
        shutil.rmtree(os.path.join(box.drive_c(), "Quenbrook"), ignore_errors=True)


def install_windows7(drives, args):
    for folder, dll in (("System32", args.ntdll64), ("SysWOW64", args.ntdll32)):
        target = drives.host("D:\\Windows\\" + folder)
        os.makedirs(target, exist_ok=True)
        shutil.copy(dll, os.path.join(target, "ntdll.dll"))
    os.makedirs(drives.host("X:\\Windows\\System32"), exist_ok=True)


def mode_switches(session, box, args):
    """/reinstall opens its window in the preinstallation environment (and the
    program ends with it); on a normal desktop it is ignored."""
    with MachineDrives(box, machine_path("pe-win7-x64"), extra=["X"]) as drives:
        install_windows7(drives, args)
        program = session.start(["/reinstall"], env=drives.env())
        leave_wizard(session)
        expect(program.wait(timeout=30) == 0, "the program ends with the chosen window")
    with MachineDrives(box, machine_path("second-disk-first")) as drives:
        program = start_main(session, drives, ["/reinstall"])
        time.sleep(1.5)
        expect(not messages(session), "outside the environment the switch is ignored")
        expect(session.stop(program) == 0, "the program ends with 0")


runner = Runner(__doc__, prefix="qnb-ui", gui=True)
runner.argument("--build", required=True, help="the win64 build folder")
runner.argument("--ntdll64", required=True)
runner.argument("--ntdll32", required=True)


@runner.shared
def session(box, args, xvfb):
    box.hide_system_ntdll()
    yield UiSession(box, xvfb, os.path.abspath(args.build))


@runner.after_each
def end_programs(s):
    # Nothing of a failed scenario may linger into the next.
    subprocess.run(["wineserver", "-k"], env=s.box.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


for scenario in [second_start, main_window, notice, click_reports, not_ready, same_drive, mode_switches]:
    runner.scenario(lambda s, f=scenario: f(s.shared, s.box, s.args), name=scenario.__name__)


if __name__ == "__main__":
    sys.exit(runner.main())
