"""The demo's screenshots of the program's windows, taken under Wine on a
private X server with a compositing manager (so that drop shadows blend).

    python3 testbed/demo_screens.py --build build/win64 --out docs/screens

The main window runs on a simulated machine; security products are made to
look installed through the registry keys their detectors read; the windows
that only later flows open (the restart countdown, the lost-file message)
and the reinstall wizard's backup-file page are opened by qnb_ui_gallery.
The wizard's steps are pictured by the reinstall demo (demo_reinstall.py).
"""

import argparse
import json
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from machine_drives import MachineDrives, machine_path  # noqa: E402
from ui_session import UiSession  # noqa: E402
from winebox import WineBox  # noqa: E402
from xvfb import Xvfb  # noqa: E402

# Registry keys the detectors look for (ui/security_signatures.txt).
PRODUCT_KEYS = {
    "360": ("HKLM\\SOFTWARE\\360Safe\\safemon", "SiteAccess", "REG_DWORD", "1"),
    "duba": ("HKLM\\SOFTWARE\\kingsoft\\Antivirus", "Path", "REG_SZ", "C:\\Program Files\\kingsoft"),
    "qq": ("HKLM\\SOFTWARE\\Tencent\\QQPCMgr", "ExeString", "REG_SZ", "C:\\windows\\notepad.exe"),
}
TWO_LINES = "系统镜像下载失败,请关闭安全软件或检查网络连接。\\r\\n点击确定后本软件将自动退出，请稍后重新打开。"
# The longest texts the flows show in the lost-file window, and a longer one
# that needs a second line for each of its parts.
LONGEST = "关键文件丢失，无法继续，请关闭安全软件或检查网络连接。\\r\\n点击确定后本软件将自动退出，请稍后重新打开。"
WRAPPED = ("关键文件丢失，无法继续，请关闭安全软件或检查网络连接，然后重新打开本软件再试一次。\\r\\n"
           "点击确定后本软件将自动退出，请稍后重新打开本软件，并按照提示关闭安全软件后重试。")


def reg(box, *args):
    subprocess.run(["wine", "reg", *args, "/f"], env=box.env, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def install_products(box, names):
    for name, (key, value, kind, data) in PRODUCT_KEYS.items():
        if name in names:
            reg(box, "add", key, "/v", value, "/t", kind, "/d", data)
        else:
            subprocess.run(["wine", "reg", "delete", key, "/f"], env=box.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)


def shot(session, name, out, what, message=False):
    path = os.path.join(out, name)
    session.screenshot(what, path, message=message)
    print("  %s" % os.path.relpath(path))


def gallery(session, box, build, *args, env=None):
    program = os.path.join(build, "testbed", "qnb_ui_gallery.exe")
    return subprocess.Popen(["wine", program, *args], env=dict(box.env, **(env or {})), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def take(build, out):
    os.makedirs(out, exist_ok=True)
    with Xvfb(compositor=True) as x, WineBox("qnb-screens", display=x.display) as box:
        box.hide_system_ntdll()
        session = UiSession(box, x, build)
        install_products(box, {"360", "duba", "qq"})
        with MachineDrives(box, machine_path("second-disk-first")) as drives:
            program = session.start(env=drives.env())
            session.wait("PEInstallerDlg")
            time.sleep(1.5)  # the update prompt's second has passed
            shot(session, "main.png", out, "PEInstallerDlg")

            session.click("PEInstallerDlg", "btn_menu")
            session.poll(lambda: session.window("menuwnd"), what="the menu")
            time.sleep(0.3)
            shot(session, "menu.png", out, "PEInstallerDlg")

            # The notice counts down the first time, whichever action.
            session.click("PEInstallerDlg", "btn_backup")
            session.wait("Waring")
            session.poll(lambda: session.controls("Waring")["btn_iknow"]["text"] == "我知道了(3)",
                         what="the notice counting down")
            shot(session, "notice.png", out, "Waring")

            session.click("Waring", "btn_how")
            session.wait("GuideToCloseSafe")
            time.sleep(0.3)
            shot(session, "guide-several.png", out, "GuideToCloseSafe")
            session.click("GuideToCloseSafe", "begin")
            time.sleep(0.3)
            shot(session, "guide-step.png", out, "GuideToCloseSafe")
            session.click("GuideToCloseSafe", "btn_close")
            session.wait_gone("GuideToCloseSafe")

            session.poll(lambda: session.controls("Waring")["btn_iknow"]["enabled"], what="the notice's button")
            session.click("Waring", "btn_iknow")
            session.wait("BackupDlg")
            session.stop(program)

            # A prepared start (its record, as the installer writes it): the
            # menu offers to take it back, and asks first.
            with open(drives.host("E:\\Quenbrook\\Data\\PeBoot.json"), "w", encoding="ascii") as f:
                json.dump({"method": "bcdedit", "mode": "reinstall", "time": "2026-12-10 09:30:12"}, f)
            program = session.start(env=drives.env())
            session.wait("PEInstallerDlg")
            session.click("PEInstallerDlg", "btn_menu")
            session.poll(lambda: session.window("menuwnd"), what="the menu")
            time.sleep(0.3)
            shot(session, "menu-prepared.png", out, "PEInstallerDlg")
            session.click("menuwnd", "btn_undo_pe")
            session.wait_message("取消重装准备")
            time.sleep(0.3)
            shot(session, "undo-question.png", out, "取消重装准备", message=True)
            session.answer("取消重装准备", "no")
            session.stop(program)

        install_products(box, {"qq"})
        guide = gallery(session, box, build, "guide")
        session.wait("GuideToCloseSafe")
        time.sleep(0.3)
        shot(session, "guide-one.png", out, "GuideToCloseSafe")
        session.click("GuideToCloseSafe", "btn_close")
        guide.wait(timeout=30)

        for name, message in (("error.png", TWO_LINES), ("error-longest.png", LONGEST),
                              ("error-wrapped.png", WRAPPED)):
            error = gallery(session, box, build, "error", message)
            session.wait("LostFile")
            time.sleep(0.3)
            shot(session, name, out, "LostFile")
            session.click("LostFile", "btn_ok")
            error.wait(timeout=30)

        # The reinstall wizard's backup-file page, on the installed Windows and in the environment.
        with MachineDrives(box, machine_path("one-disk-c-d")) as drives:
            page = gallery(session, box, build, "backupfile", "C:\\Users\\Public\\Pictures",
                           "C:\\工作资料\\2024 项目", "C:\\Users\\Public\\Pictures", env=drives.env())
            session.wait("installdlg")
            for option in ("check_desktop", "check_picture", "check_document", "check_qqchatlog"):
                session.click("installdlg", option)
            time.sleep(0.3)
            shot(session, "backup-page.png", out, "installdlg")
            session.click("installdlg", "btn_close")
            page.wait(timeout=30)
        with MachineDrives(box, machine_path("pe-win7-x64"), extra=["X"]) as drives:
            page = gallery(session, box, build, "backupfile", env=drives.env())
            session.wait("installdlg")
            session.click("installdlg", "check_desktop")
            session.wait_message("提示")
            time.sleep(0.3)
            shot(session, "backup-page-pe.png", out, "installdlg")
            session.answer("提示", "ok")
            session.click("installdlg", "btn_close")
            page.wait(timeout=30)

        countdown = gallery(session, box, build, "countdown")
        session.wait("showpicture")
        session.poll(lambda: session.controls("showpicture")["pedownload_progress"]["value"] >= 24,
                     what="six seconds of countdown")
        shot(session, "countdown.png", out, "showpicture")
        session.click("showpicture", "btn_cancle")
        countdown.wait(timeout=30)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", required=True, help="the win64 build folder")
    parser.add_argument("--out", required=True, help="where the pictures go")
    args = parser.parse_args()
    take(os.path.abspath(args.build), os.path.abspath(args.out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
