"""The system backup and restore flows of QNBReinstaller.exe under Wine,
driven through its windows (qnbdiag ui) on a simulated machine, against
the local test service (the package's address and download, the usage
reports) and the stand-ins of bcdedit.exe, shutdown.exe and
X:\\windows\\changeDesk.exe. The scenarios (system_backup_scenarios.py)
check each step; the demo (demo.py --flow backup|restore) runs the same
steps and keeps their screenshots.

    bed = Bed(s.box, session, tools, changedesk, "gpt-uefi", shots="docs/screens")
    with bed:
        backup_flow(s, bed)

s is anything with check(condition, what) and expect(condition, what).
"""

import datetime
import json
import os
import re
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "service"))
from boot_store import bcdedit_rows  # noqa: E402
from localservice import LocalService  # noqa: E402
from machine_drives import MachineDrives, machine_path  # noqa: E402

MAIN = "PEInstallerDlg"
BACKUP = "BackupDlg"
RESTORE = "restoredlg"
GiB = 1 << 30
# Backups are dated in China; the records' same-day numbering is in UTC+8 anyway.
ZONE = "Asia/Shanghai"
UTC8 = datetime.timezone(datetime.timedelta(hours=8))

PACKAGE_SIZE = 6 << 20
# Slow enough that the ring and the texts are seen moving: a few seconds.
PACKAGE_RATE = 160 * 1024
DOWNLOAD_FAILED = "关键文件下载失败，无法继续，请关闭杀毒并重启本软件后重试!"
BACKUP_QUESTION = "准备工作进行完成\r\n是否立即重启，并开始备份"
RESTORE_QUESTION = "准备工作进行完成\r\n是否立即重启，并开始还原备份"
NOTE = "装好了驱动和办公软件，\r\n系统很干净，备份一下。"


def utc8(text):
    """Seconds since 1970 of "2016-05-03 10:00" in UTC+8."""
    return int(datetime.datetime.strptime(text, "%Y-%m-%d %H:%M").replace(tzinfo=UTC8).timestamp())


def local_date(seconds, zone=ZONE):
    """The date text a machine in zone shows for a time, as the program formats it."""
    os.environ["TZ"] = zone
    time.tzset()
    try:
        return time.strftime("%Y年%m月%d日", time.localtime(seconds))
    finally:
        del os.environ["TZ"]
        time.tzset()


class Bed:
    """One simulated machine in the prefix with everything the flows use:
    its drives, a test service, the boot tools' stand-ins (fresh store and
    logs), changeDesk.exe at X:\\windows in the environment, screenshots."""

    def __init__(self, box, session, tools, changedesk, machine, pe=False, shots=None, say=None,
                 service_switches=None, zone=ZONE):
        self.box = box
        self.session = session
        self.tools = tools
        self.pe = pe
        self.shots = shots
        self.say = say or (lambda text: None)
        self.zone = zone
        self.drives = MachineDrives(box, machine_path(machine), extra=["X"] if pe else [])
        self.service = LocalService(switches=service_switches or {
            "pe_url": "{base}/gen/%d/TessalyPE.wim?rate=%d" % (PACKAGE_SIZE, PACKAGE_RATE)})
        self.service.start()
        tools.reset(gpt=True)
        if pe:
            self.install_windows7()
            folder = self.drives.host("X:\\windows")
            os.makedirs(folder, exist_ok=True)
            shutil.copy(changedesk, os.path.join(folder, "changeDesk.exe"))
        self.workspace = "E:\\Quenbrook\\Data\\" if pe else "D:\\Quenbrook\\Data\\"
        self.backups = self.workspace + "系统备份\\"
        # The notice was seen in an earlier run: its button is usable at once.
        os.makedirs(self.host(self.workspace), exist_ok=True)
        with open(self.host(self.workspace + "SETTING.JSON"), "wb") as f:
            f.write(b'{"bShowedNote": true, "bSameDisk": false}')
        self.program = None

    def install_windows7(self):
        """An installed Windows 7 (x64) on D:, as the environment finds it."""
        build = os.path.dirname(os.path.dirname(self.session.program))
        for folder, arch in (("System32", "x86_64"), ("SysWOW64", "i686")):
            target = self.drives.host("D:\\Windows\\" + folder)
            os.makedirs(target, exist_ok=True)
            shutil.copy(os.path.join(build, "testbed", "ntdll-6.1-%s.dll" % arch), os.path.join(target, "ntdll.dll"))
        os.makedirs(self.drives.host("X:\\Windows\\System32"), exist_ok=True)

    # -- paths -------------------------------------------------------------

    def host(self, path):
        """The host path of a Windows path of the machine (C: is the prefix's own)."""
        if path[0].upper() == "C":
            return os.path.join(self.box.drive_c(), *[p for p in path[3:].split("\\") if p])
        return self.drives.host(path)

    def read(self, path):
        with open(self.host(path), "rb") as f:
            return f.read()

    def exists(self, path):
        return os.path.exists(self.host(path))

    def setting(self):
        return json.loads(self.read(self.workspace + "SETTING.JSON").decode("gbk"))

    def changedesk_log(self):
        path = self.host("X:\\windows\\changeDesk.log")
        if not os.path.exists(path):
            return []
        with open(path, encoding="utf-8") as f:
            return f.read().split("\n")[:-1]

    # -- the program -------------------------------------------------------

    def env(self):
        env = dict(self.drives.env(), QNB_API_HOST=self.service.host, QNB_API_PORT=str(self.service.port),
                   QNB_REPORT_HOST=self.service.host, QNB_REPORT_PORT=str(self.service.port), TZ=self.zone)
        env.update(self.tools.env())
        return env

    def start(self, args=()):
        self.program = self.session.start(list(args), env=self.env())
        return self.program

    def open_action(self, button, window):
        """The main window's button, the notice, and the action's window."""
        self.session.wait(MAIN, 60)
        self.session.click(MAIN, button)
        self.session.wait("Waring")
        self.session.click("Waring", "btn_iknow")
        self.session.wait(window)

    def shot(self, name, what, message=False):
        if not self.shots:
            return
        time.sleep(0.4)  # the last paint, the shadow
        path = os.path.join(self.shots, name)
        self.session.screenshot(what, path, message=message)
        self.say("  截图 %s" % os.path.relpath(path))

    def controls(self, window):
        return self.session.controls(window)

    def texts(self, window, name):
        """Every control of that name in a window, in tree order: their texts."""
        found = []

        def walk(node):
            if node.get("name") == name:
                found.append(node.get("text", ""))
            for child in node.get("children", []):
                walk(child)
        walk(self.session.tree(window))
        return found

    def close(self):
        if self.program and self.program.poll() is None:
            self.program.kill()
            self.program.wait()
        subprocess.run(["wineserver", "-k"], env=self.box.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.service.close()
        self.drives.close()
        shutil.rmtree(os.path.join(self.box.drive_c(), "QNBPE"), ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def follow_download(s, bed, window):
    """Page 1 while the package downloads: the distinct states of the ring
    and its texts, until the installer takes over."""
    seen = []
    shot_taken = False
    deadline = time.monotonic() + 180
    while time.monotonic() < deadline:
        c = bed.controls(window)
        state = (c["pedownload_progress"]["text"], c["pedownload_progress"]["value"], c["pedownload_info"]["text"],
                 c["pedownload_remain"]["text"])
        if not seen or seen[-1] != state:
            seen.append(state)
            bed.say("  %-5s %-30s %s" % (state[0], state[2], state[3]))
        if state[2] in ("正在安装PE，请稍后...",) or bed.session.windows()["messages"]:
            break
        if not shot_taken and 20 <= state[1] <= 80 and state[2].startswith("正在下载PE，"):
            bed.shot("%s-download.png" % ("backup" if window == BACKUP else "restore"), window)
            shot_taken = True
        time.sleep(0.2)
    moving = [st for st in seen if 0 < st[1] < 100]
    s.check(len({st[0] for st in moving}) >= 2, "the ring moves: %r" % seen)
    s.check(all(re.fullmatch(r"\d+%", st[0]) and int(st[0][:-1]) == st[1] for st in moving),
            "the ring's text is its value: %r" % moving)
    speed = r"正在下载PE，(\d+\.\dKB/S,|\d+\.\dMB/S,|00KB/S,)"
    left = r"剩余：(\d+小时\d+分|\d+分\d+秒|\d+秒)" if window == BACKUP else r"剩余：(\d+小时[ \d]\d分|[ \d]\d分[ \d]\d秒|[ \d]\d秒)"
    texts = [st for st in moving if st[2] != "正在下载PE..."]
    s.check(texts and all(re.fullmatch(speed, st[2]) and re.fullmatch(left, st[3]) for st in texts),
            "speed and time left while downloading: %r" % texts)
    return seen


def backup_flow(s, bed):
    """Main window → 系统备份 → notice → the backup window with the desktop
    picture, date and system → a description → 开始备份 → the package →
    the installer → Setting.json, Option 1 → restart."""
    session = bed.session
    bed.say("主窗口 → 系统备份 → 提示窗口 → 备份窗口")
    bed.start()
    bed.open_action("btn_backup", BACKUP)
    session.poll(lambda: bed.controls(BACKUP)["label_backuptime"]["text"] != "备份时间：", seconds=20,
                 what="page 0 to fill")
    c = bed.controls(BACKUP)
    picture = c["label_desktopimage"]["bkimage"]
    today = local_date(time.time())
    bed.say("  %s | %s | 桌面截图 %s" % (c["label_backuptime"]["text"], c["label_backupsystem"]["text"], picture))
    s.check(c["label_backuptime"]["text"] == "备份时间：" + today, "the date: %r" % c["label_backuptime"]["text"])
    s.check(c["label_backupsystem"]["text"] == "系统信息：Windows 10 64位", "the system: %r" % c["label_backupsystem"])
    s.expect(re.fullmatch(r"C:\\users\\[^\\]+\\(AppData\\Local\\)?Temp\\\d{10}\.jpg", picture, re.I),
             "the desktop picture in the temporary folder: %r" % picture)
    s.check(bed.read(picture)[:3] == b"\xff\xd8\xff", "the desktop picture is a JPEG")
    s.check(session.window(BACKUP)["visible"], "the window is back after the picture")

    session.ui("set-text", BACKUP, "edit_backupinfo", NOTE)
    bed.shot("backup-describe.png", BACKUP)
    session.click(BACKUP, "btn_ok")
    session.poll(lambda: bed.controls(BACKUP)["backup_main_tab"]["value"] == 1, what="page 1")
    bed.say("开始备份 → 下载 PE")
    follow_download(s, bed, BACKUP)

    box = session.wait_message("重启提示", 120)
    s.check(box["text"] == BACKUP_QUESTION, "the restart question: %r" % box["text"])
    c = bed.controls(BACKUP)
    s.check((c["pedownload_progress"]["text"], c["pedownload_progress"]["value"]) == ("100%", 100), "the ring is full")
    s.check(c["pedownload_info"]["text"] == "备份操作将在重启后继续!", "info: %r" % c["pedownload_info"]["text"])
    bed.say("  " + c["pedownload_info"]["text"])
    bed.shot("backup-restart.png", BACKUP)  # the question over its window

    rows = bed.tools.bcdedit_log()
    s.check(rows == bcdedit_rows("backup", "C", True, False), "the bcdedit rows: %r" % rows)
    bed.say("  bcdedit: %d 条命令, 默认启动项 %s" % (len(rows), bed.tools.store()["objects"]["{bootmgr}"]["elements"]["default"]))
    s.check(bed.read("C:\\QNBPE\\boot\\boot.wim") == bed_package(bed), "boot.wim is the package")
    description = json.loads(bed.read(bed.backups + "Setting.json").decode("gbk"))
    bed.say("  系统备份\\Setting.json: %s" % json.dumps(description, ensure_ascii=False))
    picture_name = picture.rsplit("\\", 1)[1]
    s.check(description["pic"] == picture_name and description["sysname"] == "Windows 10"
            and description["iswow64"] is True and description["note"] == NOTE, "Setting.json: %r" % description)
    s.check(abs(int(description["time"]) - time.time()) < 600, "its time is now: %r" % description["time"])
    s.check(bed.read(bed.backups + "Picture\\" + picture_name) == bed.read(picture), "the picture is copied")
    s.check(bed.read(bed.backups + "Setting.json").count(b"\r\n") == 7, "written in text mode (CR LF)")
    s.check(bed.setting()["Option"] == 1, "Option 1: %r" % bed.setting()["Option"])
    reported = bed.service.wait_for_log(lambda e: e["path"].endswith("/v2/backup/"), timeout=20)
    s.check(reported, "the backup report reached the service")

    session.answer("重启提示", "yes")
    session.poll(lambda: bed.tools.shutdown_log(), what="the restart")
    s.check(bed.tools.shutdown_log() == ["-r -t 0"], "restart: %r" % bed.tools.shutdown_log())
    bed.say("  是 → shutdown %s" % bed.tools.shutdown_log()[0])
    # The window stays on its last page; closing it brings the main window back.
    session.click(BACKUP, "btn_close")
    session.wait_message("退出？")
    session.answer("退出？", "yes")
    session.wait_gone(BACKUP)
    session.poll(lambda: (session.window(MAIN) or {}).get("visible"), what="the main window again")
    s.check(session.stop(bed.program) == 0, "the program ends with 0")


def bed_package(bed):
    """The package as the service generated it."""
    from localservice import generated_bytes
    return generated_bytes(PACKAGE_SIZE)


# The records of the restore fixture: (UTC+8 time, image file, its size or None when missing).
RECORDS = [
    ("2016-05-03 10:00", "20160503-1.wim", 3 << 20, "Windows 10 专业版 64位", "装好了驱动和常用软件"),
    ("2016-05-03 15:00", "20160503-2.wim", 5 << 20, "Windows 10 专业版 64位", "装了办公软件"),
    ("2016-05-04 09:00", "20160504.wim", None, "Windows 10 专业版 64位", "这个镜像已经被删了"),
    ("2016-05-03 20:00", "20160503-3.wim", 2 << 20, "Windows 10 专业版 64位", ""),
    ("2016-06-01 12:00", "20160601.wim", GiB, "Windows 10 专业版 64位", "一年前的干净系统，\r\n还原它！"),
]
LIST_TEXTS = ["2016年05月03日", "2016年05月03日 (1)", "2016年05月04日", "2016年05月03日", "2016年06月01日"]


def picture(path, label, colour):
    """A desktop picture for a record: a JPEG drawn with ImageMagick."""
    subprocess.run(["convert", "-size", "1280x800", "gradient:%s-#0b2a44" % colour, "-fill", "#ffffff",
                    "-font", "WenQuanYi-Micro-Hei", "-pointsize", "64", "-gravity", "center", "-annotate", "+0+0",
                    label, path], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def write_records(bed, records=RECORDS):
    """Record.json as the environment leaves it (ANSI, with a comment), the
    images (the 1 GiB one sparse) and the pictures."""
    folder = bed.host(bed.backups)
    os.makedirs(os.path.join(folder, "Picture"), exist_ok=True)
    entries = []
    for i, (when, image, size, system, note) in enumerate(records):
        seconds = utc8(when)
        pic = "%d.jpg" % seconds
        entries.append({"time": str(seconds), "sys": system, "note": note, "pic": pic, "file": image})
        if size is not None:
            with open(os.path.join(folder, image), "wb") as f:
                f.truncate(size)
        picture(os.path.join(folder, "Picture", pic), "备份 %s" % when[:10], ["#2b8fdb", "#1fbba6", "#8a5cd6",
                                                                              "#e0863a", "#3aa65c"][i % 5])
    # An element the program cannot use is passed over.
    entries.insert(2, {"time": 1462240800, "sys": "?", "note": "", "pic": "", "file": "x.wim"})
    text = "// Tessaly PE\n" + json.dumps({"list": entries}, ensure_ascii=False, indent=1)
    with open(os.path.join(folder, "Record.json"), "wb") as f:
        f.write(text.encode("gbk"))


def click_row(bed, window, name, index):
    """A real mouse click (on the X server) in the middle of a list's row."""
    found = []

    def walk(node):
        if node.get("name") == name:
            found.append(node)
        for child in node.get("children", []):
            walk(child)
    walk(bed.session.tree(window))
    left, top, right, bottom = found[0]["children"][index]["pos"]
    x, y = bed.session.window(window)["rect"][:2]  # the client area is the whole window
    subprocess.run(["xdotool", "mousemove", str(x + (left + right) // 2), str(y + (top + bottom) // 2), "click", "1"],
                   env=bed.session.xvfb.env(), check=True)


def restore_flow(s, bed):
    """Main window → 系统还原 → notice → the list of backups, the last one
    shown → a missing image → the large picture → the last one again →
    开始还原 → the package → the installer → Option 2, strImagePath →
    restart."""
    session = bed.session
    write_records(bed)
    bed.say("主窗口 → 系统还原 → 提示窗口 → 还原窗口")
    bed.start()
    bed.open_action("btn_restore", RESTORE)
    session.poll(lambda: bed.controls(RESTORE)["restore_backup_size"]["text"] != "镜像大小：", what="the last backup")
    rows = bed.texts(RESTORE, "imagedate")
    bed.say("  列表: %s" % " | ".join(rows))
    s.check(rows == LIST_TEXTS, "the list: %r" % rows)
    c = bed.controls(RESTORE)
    s.check(c["list_backup_image"]["value"] == 4, "the last row is selected: %r" % c["list_backup_image"]["value"])
    s.check(c["restore_backup_size"]["text"] == "镜像大小：1024.0MB", "1 GiB: %r" % c["restore_backup_size"]["text"])
    s.check(c["restore_backup_system"]["text"] == "系统版本：Windows 10 专业版 64位", "system")
    s.check(c["btn_desktopimage"]["bkimage"] == bed.backups + "Picture\\%d.jpg" % utc8(RECORDS[4][0]), "picture")
    s.check(c["edit_backupinfo"]["text"] == RECORDS[4][4], "note: %r" % c["edit_backupinfo"]["text"])
    s.check(not session.windows()["messages"], "no message for a backup that is there")
    bed.say("  %s | %s | %s" % (c["restore_backup_size"]["text"], c["restore_backup_system"]["text"],
                                c["edit_backupinfo"]["text"].replace("\r\n", " ")))
    bed.shot("restore-list.png", RESTORE)

    # Up the list with the keyboard: the fourth, then the third, whose image is gone.
    session.ui("focus", RESTORE, "list_backup_image")
    session.key(RESTORE, 38)
    session.poll(lambda: bed.controls(RESTORE)["restore_backup_size"]["text"] == "镜像大小：2.0MB", what="row 4")
    session.key(RESTORE, 38)
    box = session.wait_message("错误")
    s.check(box["text"] == "程序无法找到您选择的镜像！", "the missing image: %r" % box["text"])
    bed.shot("restore-missing.png", RESTORE)
    session.answer("错误", "ok")
    session.poll(lambda: not session.windows()["messages"], what="the message to go")
    c = bed.controls(RESTORE)
    s.check(c["list_backup_image"].get("value", -1) == -1, "no row stays selected")
    s.check((c["restore_backup_size"]["text"], c["restore_backup_system"]["text"]) == ("镜像大小：?", "系统版本：?"),
            "the ? texts")
    session.click(RESTORE, "btn_ok")
    box = session.wait_message("错误")
    s.check(box["text"] == "请选择一个备份！", "ok without a row: %r" % box["text"])
    session.answer("错误", "ok")
    session.poll(lambda: not session.windows()["messages"], what="the message to go")
    bed.say("  缺失镜像 → 提示, 取消选择; 开始还原 → 请选择一个备份！")

    # The first backup, clicked, and its picture over the whole screen.
    click_row(bed, RESTORE, "list_backup_image", 0)
    session.poll(lambda: bed.controls(RESTORE)["restore_backup_size"]["text"] == "镜像大小：3.0MB", what="row 1")
    session.click(RESTORE, "btn_desktopimage")
    session.wait("showpicture")
    s.check(bed.controls("showpicture")["image_layout"]["bkimage"] == bed.backups + "Picture\\%d.jpg"
            % utc8(RECORDS[0][0]), "the large view shows the first backup's picture")
    if bed.shots:
        time.sleep(0.5)
        path = os.path.join(bed.shots, "restore-picture.png")
        bed.session.xvfb.screenshot(path)
        bed.say("  截图 %s" % os.path.relpath(path))
    # A click anywhere closes it: a real one, on the X server.
    subprocess.run(["xdotool", "mousemove", "400", "300", "click", "1"], env=bed.session.xvfb.env(), check=True)
    session.wait_gone("showpicture")

    # Back to the last one with the mouse, and on.
    click_row(bed, RESTORE, "list_backup_image", 4)
    session.poll(lambda: bed.controls(RESTORE)["list_backup_image"]["value"] == 4, what="the last row again")
    session.click(RESTORE, "btn_ok")
    session.poll(lambda: bed.controls(RESTORE)["restore_main_tab"]["value"] == 1, what="page 1")
    bed.say("开始还原 → 下载 PE")
    follow_download(s, bed, RESTORE)

    box = session.wait_message("重启提示", 120)
    s.check(box["text"] == RESTORE_QUESTION, "the restart question: %r" % box["text"])
    setting = bed.setting()
    bed.say("  SETTING.JSON: Option %d, strImagePath %s" % (setting["Option"], setting["strImagePath"]))
    s.check(setting["Option"] == 2 and setting["strImagePath"] == "20160601.wim", "prepared: %r" % setting)
    s.check(bed.controls(RESTORE)["pedownload_info"]["text"] == "还原操作将在重启后继续!", "the info text")
    rows = bed.tools.bcdedit_log()
    s.check(rows == bcdedit_rows("restore", "C", True, False), "the bcdedit rows: %r" % rows)
    bed.shot("restore-restart.png", RESTORE)
    s.check(bed.service.wait_for_log(lambda e: e["path"].endswith("/v2/restore/"), timeout=20),
            "the restore report reached the service")
    session.answer("重启提示", "yes")
    session.poll(lambda: bed.tools.shutdown_log(), what="the restart")
    s.check(bed.tools.shutdown_log() == ["-r -t 0"], "restart: %r" % bed.tools.shutdown_log())
    bed.say("  是 → shutdown %s" % bed.tools.shutdown_log()[0])
    s.check(session.stop(bed.program) == 0, "the program ends with 0")


def wait_for_changedesk(bed):
    """changeDesk.exe is started, not waited for: it may write its line after the program has ended."""
    try:
        bed.session.poll(lambda: bed.changedesk_log(), seconds=15, what="changeDesk.exe")
    except Exception:  # noqa: BLE001 -- the check after it says what is missing
        pass


def backup_in_environment(s, bed):
    """/backup inside the environment: no picture, no package, no installer;
    Setting.json, Option 1, changeDesk.exe, result 1 (the program ends)."""
    session = bed.session
    bed.say("PE: QNBReinstaller.exe /backup")
    bed.start(["/backup"])
    session.wait(BACKUP, 60)
    session.poll(lambda: bed.controls(BACKUP)["label_backuptime"]["text"] != "备份时间：", what="page 0 to fill")
    c = bed.controls(BACKUP)
    s.check(c["label_desktopimage"]["bkimage"] == "", "no desktop picture in the environment")
    s.check(c["label_backupsystem"]["text"] == "系统信息：Windows 7 64位", "the disk's Windows: %r"
            % c["label_backupsystem"]["text"])
    session.ui("set-text", BACKUP, "edit_backupinfo", "在PE里备份")
    bed.shot("backup-pe.png", BACKUP)
    session.click(BACKUP, "btn_ok")
    s.check(bed.program.wait(timeout=60) == 0, "the program ends with its window")
    description = json.loads(bed.read(bed.backups + "Setting.json").decode("gbk"))
    bed.say("  系统备份\\Setting.json: %s" % json.dumps(description, ensure_ascii=False))
    s.check(description["pic"] == "" and description["note"] == "在PE里备份" and description["sysname"] == "Windows 7",
            "Setting.json: %r" % description)
    s.check(os.path.isdir(bed.host(bed.backups + "Picture")), "the Picture folder is made all the same")
    s.check(bed.setting()["Option"] == 1, "Option 1")
    wait_for_changedesk(bed)
    s.check(bed.changedesk_log() == [""], "changeDesk.exe started once: %r" % bed.changedesk_log())
    s.check(not bed.service.requests("gen") and not bed.tools.bcdedit_log(), "no package, no installer")
    bed.say("  changeDesk.exe 已启动; 没有下载, 没有 bcdedit")


def restore_in_environment(s, bed):
    """/restore inside the environment: the list, 开始还原 → Option 2,
    strImagePath, changeDesk.exe, result 1."""
    session = bed.session
    write_records(bed, RECORDS[:2])
    bed.say("PE: QNBReinstaller.exe /restore")
    bed.start(["/restore"])
    session.wait(RESTORE, 60)
    session.poll(lambda: bed.controls(RESTORE)["restore_backup_size"]["text"] != "镜像大小：", what="the last backup")
    s.check(bed.texts(RESTORE, "imagedate") == LIST_TEXTS[:2], "the list")
    bed.shot("restore-pe.png", RESTORE)
    session.click(RESTORE, "btn_ok")
    s.check(bed.program.wait(timeout=60) == 0, "the program ends with its window")
    setting = bed.setting()
    bed.say("  SETTING.JSON: Option %d, strImagePath %s" % (setting["Option"], setting["strImagePath"]))
    s.check(setting["Option"] == 2 and setting["strImagePath"] == "20160503-2.wim", "prepared: %r" % setting)
    wait_for_changedesk(bed)
    s.check(bed.changedesk_log() == [""], "changeDesk.exe started once: %r" % bed.changedesk_log())
    s.check(not bed.service.requests("gen") and not bed.tools.bcdedit_log(), "no package, no installer")


def list_in_another_zone(s, bed):
    """On a machine set to New York the dates are local, the numbering stays
    in UTC+8: 10:00, 20:00 and 23:30 of one day in China fall on two dates
    there and are numbered; 00:30 of the next day in China falls on the
    same date there and is not."""
    session = bed.session
    records = [("2016-05-03 10:00", "a.wim", 1 << 20, "Windows 10 专业版 64位", ""),
               ("2016-05-03 20:00", "b.wim", 1 << 20, "Windows 10 专业版 64位", ""),
               ("2016-05-03 23:30", "c.wim", 1 << 20, "Windows 10 专业版 64位", ""),
               ("2016-05-04 00:30", "d.wim", 1 << 20, "Windows 10 专业版 64位", "")]
    write_records(bed, records)
    bed.start()
    bed.open_action("btn_restore", RESTORE)
    session.poll(lambda: bed.controls(RESTORE)["restore_backup_size"]["text"] != "镜像大小：", what="the last backup")
    rows = bed.texts(RESTORE, "imagedate")
    bed.say("  %s: %s" % (bed.zone, " | ".join(rows)))
    s.check(rows == ["2016年05月02日", "2016年05月03日 (1)", "2016年05月03日 (2)", "2016年05月03日"], "the list: %r" % rows)
    session.click(RESTORE, "btn_close")
    session.wait_message("退出？")
    session.answer("退出？", "yes")
    session.wait_gone(RESTORE)
    s.check(session.stop(bed.program) == 0, "the program ends with 0")


def failed_download(s, bed):
    """A package the service will not give: the message, and the window closes."""
    session = bed.session
    bed.start()
    bed.open_action("btn_backup", BACKUP)
    session.poll(lambda: bed.controls(BACKUP)["label_backuptime"]["text"] != "备份时间：", what="page 0 to fill")
    session.click(BACKUP, "btn_ok")
    box = session.wait_message("错误", 180)
    s.check(box["text"] == DOWNLOAD_FAILED, "the message: %r" % box["text"])
    bed.shot("backup-download-failed.png", BACKUP)
    session.answer("错误", "ok")
    session.wait_gone(BACKUP)
    session.poll(lambda: (session.window(MAIN) or {}).get("visible"), what="the main window again")
    s.check(not bed.exists(bed.backups + "Setting.json") and bed.setting()["Option"] == -1, "nothing recorded")
    s.check(not bed.tools.bcdedit_log(), "no installer")
    s.check(session.stop(bed.program) == 0, "the program ends with 0")
