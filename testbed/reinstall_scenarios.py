#!/usr/bin/env python3
"""The reinstall flow end to end: QNBReinstaller.exe under Wine and Xvfb on a
simulated machine (Windows 7 64-bit on C:, a data partition D:), against the
local test service (catalogue, report paths, the image and package
downloads) and the stand-ins of bcdedit.exe and shutdown.exe, driven through
the automation channel as a user would: main window, notice, the wizard's
four steps, the restart countdown.

Variants: an image download that fails (the error window, the program
ends, no installer run); the preinstallation environment with /reinstall
(only the image, X:\\windows\\changeDesk.exe takes over); a file the backup
cannot copy (the question instead of the countdown).
"""

import os
import re
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "service"))
from boot_store import ENTRY_ID, BootTools, bcdedit_rows  # noqa: E402
from localservice import LocalService, generated_bytes  # noqa: E402
from machine_drives import MachineDrives, machine_path  # noqa: E402
from reinstall_flow import (ERRORS_QUESTION, IMAGE, IMAGE_FAILED, IMAGE_SIZE, PACKAGE_SIZE, WIZARD, WORKSPACE,  # noqa: E402
                            backup_step, catalogue_with, controls, end_program, expected_setting, hardware_step,
                            host_c, reports, rows_of, saved_files, service_env, start_and_choose, system_step,
                            to_backup_step, user_files, user_folders, watch_install, write)
from scenarios import Failed, Runner  # noqa: E402
from ui_session import UiError, UiSession  # noqa: E402

# -- the scenarios -------------------------------------------------------------

def reinstall(s):
    """The whole flow on Windows 7 64-bit: downloads with progress, saved
    files, the boot entry, the countdown and the restart."""
    session, tools, box = s.shared["session"], s.shared["tools"], s.box
    tools.reset(gpt=False)
    with MachineDrives(box, machine_path("win7-x64-mbr")) as drives, \
            LocalService(switches={"gen.rate": "131072"}) as service:
        user_files(box)
        program = start_and_choose(session, service, drives, tools)
        backup_step(session, "C:\\资料\\合同")
        session.click(WIZARD, "btn_next")
        seen, ending = watch_install(session)
        s.expect(ending == "countdown", "the install stage ends with the countdown, not %s" % ending)

        circles = [v["circle"] for v in seen]
        moving = sorted({c for c in circles if 0 < c < 95})
        s.check(len(moving) >= 2, "the circle moved while downloading: %s" % circles)
        s.check(circles == sorted(circles) or max(circles) >= 95, "the circle never went back: %s" % circles)
        s.check(any(re.match(r"^\d+(\.\d)?(B|KB|MB)/S$", v["lab_speed2"]) for v in seen),
                "a speed was shown: %s" % sorted({v["lab_speed2"] for v in seen}))
        s.check(any(re.match(r"^\d+(\.\d)?(B|KB|MB|GB)/\d+\.\dMB$", v["lab_size2"]) for v in seen),
                "sizes were shown: %s" % sorted({v["lab_size2"] for v in seen}))
        s.check(any(v["time_remain"].startswith("剩余：") for v in seen), "the time left was shown")
        s.check(any(v["lab_sys_task2"] == "正在下载" for v in seen), "正在下载 was shown")
        c = controls(session)
        s.check(c["backup_task"]["text"] == "资料备份完成", "backup_task: %s" % c["backup_task"]["text"])
        s.check(c["circle_progress"]["value"] == 100 and c["circle_progress"]["text"] == "完成",
                "the installer filled the circle")
        s.check(c["lab_warning"]["text"] == "若重启失败，请手动重启。", "lab_warning: %s" % c["lab_warning"]["text"])

        session.click("showpicture", "btn_reboot")
        session.wait_gone("showpicture")
        session.poll(lambda: controls(session)["time_remain"]["text"] == "PE安装完成", what="PE安装完成")
        s.check(tools.shutdown_log() == ["-r -t 0"], "the restart: %s" % tools.shutdown_log())
        s.check(end_program(session, program) == 0, "the program ends with 0")

        workspace = drives.host(WORKSPACE)
        with open(os.path.join(workspace, "SETTING.JSON"), "rb") as f:
            setting = f.read()
        s.check(setting == expected_setting(service, IMAGE), "SETTING.JSON:\n%s" % setting.decode("gbk", "replace"))
        with open(os.path.join(workspace, IMAGE), "rb") as f:
            s.check(f.read() == generated_bytes(IMAGE_SIZE), "the image is what the service sent")
        with open(host_c(box, "C:\\QNBPE\\boot\\boot.wim"), "rb") as f:
            s.check(f.read() == generated_bytes(PACKAGE_SIZE), "boot.wim is the package the service sent")
        saved = saved_files(os.path.join(workspace, "文件备份"))
        s.check(sorted(saved) == ["desktop/note.txt", "desktop/报告.docx", "合同/合同.pdf", "合同/附件/清单.txt",
                                  "照片/a(1).jpg", "照片/a.jpg"], "文件备份 holds %s" % sorted(saved))
        s.check(saved.get("desktop/报告.docx") == b"report" and saved.get("合同/附件/清单.txt") == b"list",
                "the copies' bytes")
        # The two pictures of one name: which comes first is the file system's listing order.
        s.check({saved.get("照片/a.jpg"), saved.get("照片/a(1).jpg")} == {b"first picture", b"second picture"},
                "both pictures, the second renamed")
        s.check(tools.bcdedit_log() == bcdedit_rows("reinstall", "C", False, False), "the bcdedit rows")
        store = tools.store()
        entry = store["objects"].get(ENTRY_ID, {}).get("elements", {})
        manager = store["objects"]["{bootmgr}"]["elements"]
        s.check(entry.get("description") == "TessalyPE" and entry.get("winpe", "").lower() == "yes", "the entry: %s" % entry)
        s.check(manager["default"] == ENTRY_ID and manager["displayorder"][0] == ENTRY_ID
                and manager["timeout"] == "3", "the boot manager: %s" % manager)
        s.check(reports(service) == ["sysinfo", "reinstallclick", "reinstall"], "the reports: %s" % reports(service))
        gets = [e["path"] for e in service.requests("gen")]
        s.check(any(p.endswith("/" + IMAGE) for p in gets) and any(p.endswith("/TessalyPE.wim") for p in gets),
                "both files were fetched: %s" % sorted(set(gets)))


def image_download_fails(s):
    """The image's address answers 404: the error window, the program ends, no installer."""
    session, tools, box = s.shared["session"], s.shared["tools"], s.box
    tools.reset(gpt=False)
    catalogue = catalogue_with("{base}/gen/8388608/win7_x64_ultimate.wim?fail=404")
    try:
        with MachineDrives(box, machine_path("win7-x64-mbr")) as drives, LocalService(catalogue=catalogue) as service:
            user_folders(box)
            program = start_and_choose(session, service, drives, tools)
            to_backup_step(session)
            session.click(WIZARD, "btn_next")
            _, ending = watch_install(session, seconds=120)
            s.expect(ending == "error", "a failed image ends in the error window, not %s" % ending)
            error = session.controls("LostFile")
            s.check(error["msg1"]["text"] == IMAGE_FAILED, "the error says %r" % error["msg1"]["text"])
            session.click("LostFile", "btn_ok")
            try:
                code = program.wait(timeout=30)
            except subprocess.TimeoutExpired:
                raise Failed("the program did not end after the error")
            s.check(code == 0, "the program ends with 0, not %s" % code)
            s.check(tools.bcdedit_log() == [], "no installer ran: %s" % tools.bcdedit_log())
            s.check(tools.shutdown_log() == [], "no restart")
            s.check(not os.path.exists(host_c(box, "C:\\QNBPE\\boot\\boot.wim")), "no boot.wim")
            s.check("reinstall" not in reports(service), "no reinstall report")
    finally:
        os.remove(catalogue)


def install_environment(drives, args):
    """Windows 7 (its ntdll.dll stand-ins) on D:, the environment's X: with its changeDesk.exe stand-in."""
    for folder, dll in (("System32", args.ntdll64), ("SysWOW64", args.ntdll32)):
        target = drives.host("D:\\Windows\\" + folder)
        os.makedirs(target, exist_ok=True)
        shutil.copy(dll, os.path.join(target, "ntdll.dll"))
    os.makedirs(drives.host("X:\\Windows\\System32"), exist_ok=True)
    shutil.copy(args.shutdown, drives.host("X:\\Windows\\changeDesk.exe"))
    return drives.host("X:\\Windows\\changeDesk.log")


def pe_mode(s):
    """/reinstall inside the preinstallation environment: the wizard at once,
    only the image fetched, changeDesk.exe opened, the program ends."""
    session, tools, box = s.shared["session"], s.shared["tools"], s.box
    tools.reset(gpt=False)
    with MachineDrives(box, machine_path("pe-win7-x64"), extra=["X"]) as drives, LocalService() as service:
        change_desk_log = install_environment(drives, s.args)
        program = session.start(["/reinstall"], env=service_env(service, drives, tools))
        session.wait(WIZARD, seconds=60)
        # The wizard opens with the program, before the catalogue has come: a
        # second check finds the network.
        session.poll(lambda: controls(session)["btn_recheck"]["enabled"], seconds=30, what="the first check's end")
        session.poll(lambda: service.requests("syslist"), what="the catalogue query")

        def network_found():
            # The answer may land a moment after the query: checked again until the row says so.
            session.click(WIZARD, "btn_recheck")
            session.poll(lambda: controls(session)["btn_recheck"]["enabled"], seconds=30,
                         what="the end of the hardware check")
            return dict(rows_of(session, "list_hw", "hwkey", "hwvalue")).get("网络链接") == "正常"
        session.poll(network_found, seconds=30, what="the network row after the catalogue's answer")
        hardware_step(session, "Windows 7 64位")  # the environment names no edition
        system_step(session)
        to_backup_step(session)
        s.check(not controls(session)["check_desktop"]["checked"], "no desktop in the environment")
        session.click(WIZARD, "check_picture")
        session.click(WIZARD, "btn_next")
        try:
            code = program.wait(timeout=120)
        except subprocess.TimeoutExpired:
            raise Failed("the program did not end with the hand-over")
        s.check(code == 0, "the program ends with 0")
        # The shell starts it on its own: it may write its line a moment after the program ended.
        try:
            session.poll(lambda: os.path.exists(change_desk_log), seconds=15)
        except UiError:
            s.check(False, "changeDesk.exe was opened")
        gets = [e["path"] for e in service.requests("gen")]
        s.check(gets and all(p.endswith("/" + IMAGE) for p in gets), "only the image was fetched: %s" % gets)
        workspace = drives.host("E:\\Quenbrook\\Data\\")
        with open(os.path.join(workspace, "SETTING.JSON"), "rb") as f:
            setting = f.read()
        s.check(b'"Option" : 0' in setting and ('"strImagePath" : "%s"' % IMAGE).encode() in setting,
                "SETTING.JSON:\n%s" % setting.decode("gbk", "replace"))
        logs = "".join(open(os.path.join(workspace, "logs", n), encoding="utf-8", errors="replace").read()
                       for n in os.listdir(os.path.join(workspace, "logs")))
        s.check("the wizard closes with 1" in logs, "the wizard closed with 1 (its log line)")
        s.check(tools.bcdedit_log() == [], "no installer in the environment")


def backup_error(s):
    """A desktop file the backup cannot copy: counted, listed in
    backup_error.txt, and the installer asks instead of counting down."""
    session, tools, box = s.shared["session"], s.shared["tools"], s.box
    tools.reset(gpt=False)
    with MachineDrives(box, machine_path("win7-x64-mbr")) as drives, LocalService() as service:
        desktop = user_folders(box)
        write(os.path.join(desktop, "ok.txt"), b"fine")
        write(os.path.join(desktop, "报告.docx"), b"report")
        # An earlier run left a folder where this copy is to go: it cannot be written.
        os.makedirs(drives.host(WORKSPACE + "文件备份\\desktop\\报告.docx"))
        program = start_and_choose(session, service, drives, tools)
        to_backup_step(session)
        session.click(WIZARD, "check_desktop")
        session.click(WIZARD, "btn_next")
        _, ending = watch_install(session)
        s.expect(ending == "message", "the installer asks, not %s" % ending)
        question = session.wait_message("完成")
        s.check(question["text"] == ERRORS_QUESTION, "the question: %r" % question["text"])
        c = controls(session)
        s.check(c["backup_error"]["visible"] and c["backup_error"]["text"] == "1个文件备份出错",
                "backup_error: %s" % c["backup_error"]["text"])
        s.check(c["backup_error_code"]["visible"], "点击查看 shows")
        s.check(not c["check_reboot"]["checked"], "check_reboot was unchecked")
        session.answer("完成", "yes")
        session.poll(lambda: controls(session)["time_remain"]["text"] == "PE安装完成", what="PE安装完成")
        s.check(tools.shutdown_log() == [], "Yes (handle the errors) does not restart")
        with open(drives.host("D:\\backup_error.txt"), "rb") as f:
            listed = f.read().decode("gbk")
        s.check(re.match(r"^C:\\users\\[^\\]+\\Desktop\\报告\.docx    错误代码:\d+\r\n$", listed),
                "backup_error.txt: %r" % listed)
        saved = saved_files(drives.host(WORKSPACE + "文件备份"))
        s.check(saved == {"desktop/ok.txt": b"fine"}, "文件备份 holds %s" % sorted(saved))
        s.check(end_program(session, program) == 0, "the program ends with 0")


runner = Runner(__doc__, prefix="qnb-reinstall", gui=True)
runner.argument("--build", required=True, help="the win64 build folder")
runner.argument("--bcdedit", required=True)
runner.argument("--shutdown", required=True)
runner.argument("--ntdll64", required=True)
runner.argument("--ntdll32", required=True)


@runner.shared
def shared(box, args, xvfb):
    box.hide_system_ntdll()
    yield {"session": UiSession(box, xvfb, os.path.abspath(args.build)),
           "tools": BootTools(box, args.bcdedit, args.shutdown)}


@runner.after_each
def end_programs(s):
    # Nothing of a failed scenario may linger into the next; the prefix's C: is cleaned of what a run left.
    subprocess.run(["wineserver", "-k"], env=s.box.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for folder in ("QNBPE", "资料"):
        shutil.rmtree(os.path.join(s.box.drive_c(), folder), ignore_errors=True)


for scenario in [reinstall, image_download_fails, pe_mode, backup_error]:
    runner.scenario(scenario)


if __name__ == "__main__":
    sys.exit(runner.main())
