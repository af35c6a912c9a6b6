#!/usr/bin/env python3
"""The boot environment installer under Wine, on simulated machines.

qnbdiag.exe runs the real installer (install-pe), its plan (plan) and its
undo (undo-pe) against stand-ins of bcdedit.exe, which keeps a model of the
boot store, and shutdown.exe, which writes down its arguments
(testbed/boot_store.py); the package is a file in the workspace that the
download manager's own records name. The usage reports go to the local
test service. The main window's menu offers the undo while a start is
prepared, and only then.
"""

import json
import os
import shutil
import subprocess
import sys
import time

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(TOP, "testbed"))
sys.path.insert(0, os.path.join(TOP, "testbed", "service"))
from boot_store import CURRENT_ID, ENTRY_ID, BootTools, bcdedit_rows, initial_store  # noqa: E402
from localservice import LocalService  # noqa: E402
from machine_drives import MachineDrives, machine_path  # noqa: E402
from scenarios import Runner  # noqa: E402
from ui_session import UiSession  # noqa: E402

WORKSPACE = "D:\\Quenbrook\\Data\\"
PACKAGE = WORKSPACE + "TessalyPE.wim"
SDI = b"Tessaly test stand-in for boot.sdi: not a boot file.\n"
REINSTALL_MISSING = ("无法从服务器下载文件，可能是服务器繁忙或本地网络异常。\r\n"
                     "点击确定后本软件将自动退出，请稍后重新打开。")
REINSTALL_COPY_FAILED = ("关键文件丢失，无法继续，请关闭安全软件或检查网络连接。\r\n"
                         "点击确定后本软件将自动退出，请稍后重新打开。")
WINDOW_MISSING = "关键文件下载失败，无法继续\r\n请关闭杀毒并重启本软件后重试!"
WINDOW_COPY_FAILED = "关键文件丢失，无法继续\r\n请关闭杀毒并重启本软件后重试!"
SHORT_QUESTION = "准备工作已全部完成，是否立即重启"
LONG_QUESTION = ("准备工作已全部完成，但在这期间出现了一些错误，您是否需要处理这些错误？\r\n"
                 "如果您选择“否”，我们将立即为您重启计算机。")
XP_BOOT_INI = (b"[boot loader]\r\ntimeout=30\r\ndefault=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
               b"[operating systems]\r\n"
               b"multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" /fastdetect\r\n"
               b"C:\\CMDCONS\\BOOTSECT.DAT=\"Microsoft Windows Recovery Console\" /cmdcons\r\n")


class Machine:
    """A described machine in the prefix, with the package downloaded into its workspace."""

    def __init__(self, s, name, package=True):
        self.s = s
        self.drives = MachineDrives(s.box, machine_path(name))
        self.c = s.box.drive_c()
        os.makedirs(self.drives.host(WORKSPACE), exist_ok=True)
        self.package = os.urandom(1024 * 1024 + 13)
        if package:
            self.put_package()
        self.tools = s.shared["tools"]

    def put_package(self):
        """The downloaded package in the workspace (a download that is
        added deletes an older file of its name)."""
        with open(self.drives.host(PACKAGE), "wb") as f:
            f.write(self.package)

    def host_c(self, path):
        return os.path.join(self.c, *[p for p in path[3:].split("\\") if p])

    def diag(self, *args, fail=None, env=None):
        service = self.s.shared["service"]
        full = dict(self.drives.env(), QNB_REPORT_HOST=service.host, QNB_REPORT_PORT=str(service.port))
        full.update(self.tools.env(fail))
        full.update(env or {})
        return self.s.box.run([self.s.args.qnbdiag] + list(args), env=full, capture_output=True, timeout=300)

    def install(self, mode, *options, fail=None, env=None, package=True):
        args = ["install-pe", mode] + (["--package", PACKAGE] if package else []) + list(options)
        result = self.diag(*args, fail=fail, env=env)
        events = []
        for line in result.stdout.decode("utf-8").splitlines():
            try:
                events.append(json.loads(line))
            except ValueError:
                self.s.problems.append("install-pe printed %r" % line)
        return result.returncode, events

    def plan(self, mode, *options, package=True):
        result = self.diag("plan", mode, *((["--package", PACKAGE] if package else []) + list(options)))
        self.s.expect(result.returncode == 0, "plan %s: exit %d %r" % (mode, result.returncode, result.stderr))
        return result.stdout.decode("utf-8").splitlines()

    def setting(self):
        with open(self.drives.host(WORKSPACE + "SETTING.JSON"), "rb") as f:
            return json.loads(f.read().decode("gbk"))

    def close(self):
        self.drives.close()
        shutil.rmtree(os.path.join(self.c, "QNBPE"), ignore_errors=True)
        for name in ("boot.ini", "boot.ini.qnb_bak", "grub.mbr", "grldr", "bootmgr", "boot"):
            path = os.path.join(self.c, name)
            if os.path.isdir(path):
                shutil.rmtree(path, ignore_errors=True)
            elif os.path.exists(path):
                os.chmod(path, 0o644)
                os.remove(path)
        shutil.rmtree(os.path.join(self.c, "windows", "Boot"), ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def planned_rows(lines):
    """The argument lists of a plan's bcdedit lines ("NN* ARGS")."""
    start = next(i for i, line in enumerate(lines) if line.startswith("bcdedit "))
    rows = []
    for line in lines[start + 1:]:
        if line.startswith("restart "):
            break
        rows.append(line[4:])
    return rows


def texts(events):
    return [(e["control"], e["text"]) for e in events if e.get("event") == "text"]


def fatal(events):
    return [e["text"] for e in events if e.get("event") == "message" and e.get("value") == 1128]


def questions(events):
    return [e for e in events if e.get("event") == "question"]


def reinstall(s, machine, gpt):
    """A reinstall runs the rows in order, twice to the same store; the
    countdown restarts; then the undo takes the entry back, once."""
    with Machine(s, machine) as m:
        tools = m.tools
        tools.reset(gpt=gpt)
        rows = bcdedit_rows("reinstall", "C", gpt, False)
        s.check(planned_rows(m.plan("reinstall")) == rows, "the plan names the contract's rows")

        code, events = m.install("reinstall", "--answer", "countdown-restart")
        s.expect(code == 0, "install-pe: exit %d, %r" % (code, events[-3:]))
        s.check(tools.bcdedit_log() == rows, "the rows run:\n%s" % "\n".join(tools.bcdedit_log()))
        with open(m.host_c("C:\\QNBPE\\boot\\boot.wim"), "rb") as f:
            s.check(f.read() == m.package, "boot.wim is the package, byte for byte")
        with open(m.host_c("C:\\QNBPE\\boot\\boot.sdi"), "rb") as f:
            s.check(f.read() == SDI, "boot.sdi comes from the payload")
        s.check(m.setting()["Option"] == 0, "Option 0")
        s.check(texts(events) == [("circle_progress", "完成"), ("time_remain", "重启后继续"),
                                  ("lab_warning", "若重启失败，请手动重启。"), ("time_remain", "PE安装完成")],
                "the ending's texts: %r" % texts(events))
        s.check([e["kind"] for e in questions(events)] == ["countdown"], "the countdown is asked")
        s.check(tools.shutdown_log() == ["-r -t 0"], "shutdown: %r" % tools.shutdown_log())
        with open(m.drives.host(WORKSPACE + "logs\\QNBReinstaller.log"), encoding="utf-8") as f:
            log = f.read()
        bcdedit = "C:\\Windows\\System32\\bcdedit.exe"
        exits = [line.split("exit code ")[1] for line in log.splitlines() if "] exit code " in line]
        # Row 1 finds no entry to delete on a first run.
        s.check(log.count("start \"%s\"" % bcdedit) == len(rows)
                and exits == ["1: " + bcdedit] + ["0: " + bcdedit] * (len(rows) - 1)
                + ["0: C:\\Windows\\System32\\shutdown.exe"],
                "every start and exit code is in the log: %r" % exits)
        first = tools.store()
        entry = first["objects"].get(ENTRY_ID, {}).get("elements", {})
        manager = first["objects"]["{bootmgr}"]["elements"]
        s.check(entry.get("winpe") == "Yes" and entry.get("path", "").endswith("winload.efi" if gpt else "winload.exe"),
                "the entry: %r" % entry)
        s.check(manager["displayorder"][0] == ENTRY_ID and manager["default"] == ENTRY_ID
                and manager["timeout"] == "3" and manager.get("displaybootmenu") == "Yes", "the boot manager: %r" % manager)
        backup = m.host_c("C:\\QNBPE\\boot\\BCD_backup")
        with open(backup, encoding="utf-8") as f:
            # Row 15 comes after the entry is made, before it becomes the default.
            s.check(json.load(f)["objects"]["{bootmgr}"]["elements"]["default"] == CURRENT_ID,
                    "BCD_backup holds the store with Windows as its default")

        again = planned_rows(m.plan("reinstall"))
        s.check(again == bcdedit_rows("reinstall", "C", gpt, True), "the second plan exports nothing")
        code, _ = m.install("reinstall", "--answer", "countdown-cancel")
        s.expect(code == 0, "second install-pe: exit %d" % code)
        s.check(tools.store() == first, "a second run leaves the same store")
        s.check(sum(1 for line in tools.bcdedit_log() if line.startswith("/export")) == 1, "exported once")
        s.check(tools.shutdown_log() == ["-r -t 0"], "\"later\" restarts nothing")

        before = len(tools.bcdedit_log())
        result = m.diag("undo-pe")
        undo = json.loads(result.stdout.decode("utf-8"))
        s.check(result.returncode == 0 and undo.get("undone") is True and undo.get("prepared") == "reinstall",
                "undo-pe: %r" % undo)
        store = tools.store()
        s.check(ENTRY_ID not in store["objects"], "no entry after the undo")
        s.check(store["objects"]["{bootmgr}"]["elements"]["default"] == CURRENT_ID, "{current} is the default again")
        s.check(ENTRY_ID not in store["objects"]["{bootmgr}"]["elements"]["displayorder"], "nor in the menu")
        s.check(m.setting()["Option"] == -1, "Option -1 after the undo")
        result = m.diag("undo-pe")
        s.check(result.returncode == 0 and json.loads(result.stdout.decode("utf-8")).get("undone") is False,
                "a second undo-pe finds nothing")
        s.check(len(tools.bcdedit_log()) == before + 2 and tools.store() == store, "and changes nothing")


runner = Runner(__doc__, prefix="qnb-installer", gui=True)
runner.argument("--qnbdiag", required=True)
runner.argument("--build", required=True, help="the win64 build folder (the program, for the menu)")
runner.argument("--bcdedit", required=True)
runner.argument("--shutdown", required=True)


@runner.shared
def prefix(box, args, xvfb):
    box.hide_system_ntdll()
    with LocalService() as service:
        yield {"tools": BootTools(box, args.bcdedit, args.shutdown), "service": service,
               "session": UiSession(box, xvfb, os.path.abspath(args.build))}


@runner.after_each
def end_programs(s):
    subprocess.run(["wineserver", "-k"], env=s.box.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


@runner.scenario
def reinstall_gpt_windows10(s):
    reinstall(s, "gpt-uefi", True)


@runner.scenario
def reinstall_mbr_windows7(s):
    reinstall(s, "win7-mbr", False)


@runner.scenario
def restart_questions(s):
    """Without the countdown: "yes" to the short question restarts; with
    backup errors the longer one is asked and "no" restarts."""
    with Machine(s, "win7-mbr") as m:
        for options, question, restarts in [
                (["--answer", "yes"], SHORT_QUESTION, True),
                (["--answer", "no"], SHORT_QUESTION, False),
                (["--answer", "no", "--backup-errors", "2"], LONG_QUESTION, True),
                (["--answer", "yes", "--backup-errors", "2"], LONG_QUESTION, False)]:
            m.tools.reset(gpt=False)
            code, events = m.install("reinstall", "--no-reboot-flag", *options)
            asked = questions(events)
            s.check(code == 0 and [(q["caption"], q["text"]) for q in asked] == [("完成", question)],
                    "%s: asked %r" % (options, asked))
            s.check((m.tools.shutdown_log() == ["-r -t 0"]) == restarts, "%s: shutdown %r" % (options, m.tools.shutdown_log()))


@runner.scenario
def restore_and_backup(s):
    """Their progress texts and endings, Option as the caller left it, and
    the reports of kinds 4 and 2 at the service."""
    service = s.shared["service"]
    with Machine(s, "gpt-uefi") as m:
        m.tools.reset(gpt=True)
        rows = planned_rows(m.plan("restore"))
        s.check(rows == bcdedit_rows("restore", "C", True, False), "restore plan: %r" % rows)
        code, events = m.install("restore", "--answer", "yes")
        s.expect(code == 0, "restore: exit %d %r" % (code, events[-2:]))
        s.check(m.tools.bcdedit_log() == rows, "restore rows")
        s.check(texts(events) == [("pedownload_progress", "100%"), ("pedownload_info", "正在安装PE，请稍后..."),
                                  ("pedownload_info", "还原操作将在重启后继续!"), ("pedownload_remain", " ")],
                "restore texts %r" % texts(events))
        s.check(any(e.get("event") == "prepare-restore" for e in events), "the restore window's preparation")
        s.check([(q["caption"], q["text"]) for q in questions(events)]
                == [("重启提示", "准备工作进行完成\r\n是否立即重启，并开始还原备份")], "restore question")
        s.check(m.tools.shutdown_log() == ["-r -t 0"], "yes restarts")
        s.check(m.setting()["Option"] == -1, "Option stays as the caller set it")

        m.tools.reset(gpt=True)
        rows = planned_rows(m.plan("backup"))
        s.check(rows == bcdedit_rows("backup", "C", True, True), "backup plan: %r" % rows)
        code, events = m.install("backup")
        s.expect(code == 0, "backup: exit %d" % code)
        s.check(m.tools.bcdedit_log() == rows, "backup rows")
        s.check(events[-2].get("event") == "hand-over-backup", "the backup window's finishing step: %r" % events[-3:])
        s.check(not questions(events) and not m.tools.shutdown_log(), "the backup window asks for the restart")
        s.check(m.setting()["Option"] == -1, "Option stays")
        for path in ("restore", "backup"):
            found = service.wait_for_log(lambda e, p=path: e["path"].endswith("/v2/%s/" % p), timeout=20)
            s.check(found, "the %s report reached the service" % path)


@runner.scenario
def windows_xp_boot_ini(s):
    """boot.ini byte for byte, its backup made once, the four files read-only,
    hidden and system, and the undo puts the original back."""
    with Machine(s, "xp-boot-ini") as m:
        m.tools.reset(gpt=False)
        boot_ini = m.host_c("C:\\boot.ini")
        with open(boot_ini, "wb") as f:
            f.write(XP_BOOT_INI)
        os.chmod(boot_ini, 0o444)  # read-only, as Windows XP leaves it
        plan = m.plan("reinstall")
        code, events = m.install("reinstall", "--no-reboot-flag", "--answer", "yes")
        s.expect(code == 0, "install-pe: exit %d %r" % (code, events[-2:]))
        once = (b"[boot loader]\r\ntimeout=3\r\ndefault=C:\\grub.mbr"
                + XP_BOOT_INI[XP_BOOT_INI.index(b"\r\n[operating systems]"):] + b"\r\nC:\\grub.mbr=\"TessalyPE\"")
        with open(boot_ini, "rb") as f:
            s.check(f.read() == once, "boot.ini comes out byte for byte")
        s.check(not os.stat(boot_ini).st_mode & 0o200, "boot.ini is read-only again")
        lines = once.decode("ascii").split("\r\n")
        shown = plan[plan.index(next(l for l in plan if l.startswith("boot.ini "))) + 1:][:len(lines)]
        s.check([l[4:] for l in shown] == lines, "the plan shows that text: %r" % shown)
        with open(boot_ini + ".qnb_bak", "rb") as f:
            s.check(f.read() == XP_BOOT_INI, "the backup is the original")
        for name in ("grub.mbr", "grldr", "bootmgr", "boot/bcd"):
            path = os.path.join(m.c, *name.split("/"))
            s.check(os.path.exists(path) and not os.stat(path).st_mode & 0o200, "%s is there, read-only" % name)
            attributes = os.getxattr(path, "user.DOSATTRIB") if "user.DOSATTRIB" in os.listxattr(path) else b""
            s.check(attributes and int(attributes.split(b"\0")[0], 16) & 6 == 6,
                    "%s is hidden and system: %r" % (name, attributes))
        s.check(m.tools.bcdedit_log() == [], "no bcdedit on Windows XP")
        s.check(m.tools.shutdown_log() == ["-r -t 0"], "yes restarts")

        code, _ = m.install("restore", "--answer", "no")
        s.expect(code == 0, "a restore run after it")
        with open(boot_ini + ".qnb_bak", "rb") as f:
            s.check(f.read() == XP_BOOT_INI, "the first backup stays")
        with open(boot_ini, "rb") as f:
            s.check(f.read().count(b"C:\\grub.mbr=") == 2, "one more entry line")

        result = m.diag("undo-pe")
        s.check(result.returncode == 0 and json.loads(result.stdout.decode("utf-8")).get("undone") is True, "undo-pe")
        with open(boot_ini, "rb") as f:
            s.check(f.read() == XP_BOOT_INI, "boot.ini is the original again")
        s.check(not os.stat(boot_ini).st_mode & 0o200, "and read-only")
        result = m.diag("undo-pe")
        s.check(json.loads(result.stdout.decode("utf-8")).get("undone") is False, "a second undo finds nothing")


@runner.scenario
def version_5_2_uses_bcdedit(s):
    with Machine(s, "xp-x64-5.2") as m:
        m.tools.reset(gpt=False)
        with open(m.host_c("C:\\boot.ini"), "wb") as f:
            f.write(XP_BOOT_INI)
        rows = planned_rows(m.plan("backup"))
        code, _ = m.install("backup")
        s.expect(code == 0, "install-pe: exit %d" % code)
        s.check(m.tools.bcdedit_log() == rows == bcdedit_rows("backup", "C", False, False), "the bcdedit rows")
        with open(m.host_c("C:\\boot.ini"), "rb") as f:
            s.check(f.read() == XP_BOOT_INI, "boot.ini untouched")


@runner.scenario
def failures(s):
    with Machine(s, "gpt-uefi") as m:
        # The package still downloading.
        m.tools.reset(gpt=True)
        code, events = m.install("reinstall", "--package-downloading", package=False)
        s.check(code == 1 and fatal(events) == [REINSTALL_MISSING], "downloading: %r" % fatal(events))
        s.check([e.get("id") for e in events if e.get("event") == "stop-timer"] == [999], "the timer stops")
        s.check(not os.path.exists(m.host_c("C:\\QNBPE")) and m.tools.bcdedit_log() == [], "nothing written")
        plan = m.plan("reinstall", "--package-downloading", package=False)
        s.check("stop: the package is not downloaded; the owner is told:" in plan, "the plan says so: %r" % plan)

        m.put_package()

        # No download record at all.
        code, events = m.install("backup", package=False)
        s.check(code == 1 and fatal(events) == [WINDOW_MISSING], "no record: %r" % fatal(events))

        # An unwritable target: the folder's place is taken by a file.
        m.tools.reset(gpt=True)
        os.makedirs(m.host_c("C:\\QNBPE"))
        with open(m.host_c("C:\\QNBPE\\boot"), "wb") as f:
            f.write(b"x")
        code, events = m.install("reinstall")
        s.check(code == 1 and fatal(events) == [REINSTALL_COPY_FAILED], "unwritable: %r" % fatal(events))
        s.check(m.tools.bcdedit_log() == [] and m.tools.store() == initial_store(True), "the store is untouched")
        shutil.rmtree(m.host_c("C:\\QNBPE"))

        # Row 7 fails: the entry goes again.
        for mode, text in (("reinstall", REINSTALL_COPY_FAILED), ("restore", WINDOW_COPY_FAILED)):
            m.tools.reset(gpt=True)
            code, events = m.install(mode, "--answer", "yes", fail="/set %s device " % ENTRY_ID)
            log = m.tools.bcdedit_log()
            s.check(code == 1 and fatal(events) == [text], "%s row 7: %r" % (mode, fatal(events)))
            s.check(log[-2:] == ["/set %s device ramdisk=[C:]\\QNBPE\\boot\\boot.wim,{ramdiskoptions}" % ENTRY_ID,
                                 "/delete %s /cleanup" % ENTRY_ID], "the entry is deleted again: %r" % log[-3:])
            store = m.tools.store()
            s.check(ENTRY_ID not in store["objects"]
                    and store["objects"]["{bootmgr}"]["elements"]["default"] == CURRENT_ID, "Windows starts as before")
            s.check(not questions(events) and not m.tools.shutdown_log(), "no restart question")
            s.check(not os.path.exists(m.drives.host(WORKSPACE + "PeBoot.json")), "nothing left to undo")

        # boot.sdi from Windows' own copy when the payload has none, else nothing is done.
        m.tools.reset(gpt=True)
        code, events = m.install("reinstall", "--payload", "none")
        s.check(code == 1 and fatal(events) == [REINSTALL_COPY_FAILED] and m.tools.bcdedit_log() == [],
                "no boot.sdi anywhere: %r" % fatal(events))
        pcat = m.host_c("C:\\windows\\Boot\\DVD\\PCAT\\boot.sdi")
        os.makedirs(os.path.dirname(pcat))
        with open(pcat, "wb") as f:
            f.write(b"Windows' own boot.sdi")
        code, events = m.install("reinstall", "--payload", "none", "--answer", "no", "--no-reboot-flag")
        s.check(code == 0, "with Windows' own boot.sdi: exit %d %r" % (code, fatal(events)))
        with open(m.host_c("C:\\QNBPE\\boot\\boot.sdi"), "rb") as f:
            s.check(f.read() == b"Windows' own boot.sdi", "boot.sdi is Windows' copy")

    with Machine(s, "xp-boot-ini") as m:
        m.tools.reset(gpt=False)
        broken = b"[boot loader]\r\ntimeout=30\r\ndefault=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
        with open(m.host_c("C:\\boot.ini"), "wb") as f:
            f.write(broken)
        code, events = m.install("reinstall")
        s.check(code == 1 and fatal(events) == [REINSTALL_COPY_FAILED], "no section: %r" % fatal(events))
        with open(m.host_c("C:\\boot.ini"), "rb") as f:
            s.check(f.read() == broken, "boot.ini unchanged")
        s.check(not os.path.exists(m.host_c("C:\\grldr")), "nothing extracted")


@runner.scenario
def undo_menu(s):
    """The main window's menu offers "取消重装准备" only while a start is
    prepared; Yes takes it back."""
    session = s.shared["session"]
    shots = os.path.join(os.path.dirname(os.path.abspath(s.args.qnbdiag)), "screens")
    os.makedirs(shots, exist_ok=True)
    with Machine(s, "gpt-uefi") as m:
        m.tools.reset(gpt=True)
        service = s.shared["service"]
        env = dict(m.drives.env(), QNB_REPORT_HOST=service.host, QNB_REPORT_PORT=str(service.port),
                   QNB_API_HOST=service.host, QNB_API_PORT=str(service.port), **m.tools.env())
        program = session.start(env=env)
        session.wait("PEInstallerDlg")
        session.click("PEInstallerDlg", "btn_menu")
        session.poll(lambda: (session.window("menuwnd") or {}).get("visible"), what="the menu")
        s.check(not session.controls("menuwnd")["btn_undo_pe"]["visible"], "nothing prepared: no undo item")
        session.ui("close", "menuwnd", check=False)
        session.stop(program)

        code, _ = m.install("reinstall", "--answer", "countdown-cancel")
        s.expect(code == 0, "install-pe")
        program = session.start(env=env)
        session.wait("PEInstallerDlg")
        session.click("PEInstallerDlg", "btn_menu")
        session.poll(lambda: (session.window("menuwnd") or {}).get("visible"), what="the menu")
        item = session.controls("menuwnd")["btn_undo_pe"]
        s.check(item["visible"] and item["text"] == "取消重装准备", "prepared: the undo item %r" % item)
        time.sleep(0.3)
        session.screenshot("PEInstallerDlg", os.path.join(shots, "menu-prepared.png"))
        session.click("menuwnd", "btn_undo_pe")
        box = session.wait_message("取消重装准备")
        s.check("删除启动菜单中的“TessalyPE”启动项" in box["text"], "the question says what is undone: %r" % box["text"])
        session.screenshot("取消重装准备", os.path.join(shots, "undo-question.png"), message=True)
        session.answer("取消重装准备", "yes")
        done = session.wait_message("取消重装准备")
        s.check(done["text"] == "已取消，电脑下次开机将直接进入当前系统。", "the outcome %r" % done["text"])
        session.answer("取消重装准备", "ok")
        store = m.tools.store()
        s.check(ENTRY_ID not in store["objects"]
                and store["objects"]["{bootmgr}"]["elements"]["default"] == CURRENT_ID, "the undo ran")
        s.check(not os.path.exists(m.drives.host(WORKSPACE + "PeBoot.json")), "the record is gone")
        session.poll(lambda: not (session.window("menuwnd") or {}).get("visible"), what="the menu to hide")
        session.click("PEInstallerDlg", "btn_menu")
        session.poll(lambda: (session.window("menuwnd") or {}).get("visible"), what="the menu again")
        s.check(not session.controls("menuwnd")["btn_undo_pe"]["visible"], "after the undo: no undo item")
        session.stop(program)


if __name__ == "__main__":
    sys.exit(runner.main())
