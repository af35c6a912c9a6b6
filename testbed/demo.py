#!/usr/bin/env python3
"""The demo: the program's start-up on simulated machines, then its main job,
a reinstall end to end, under Wine.

For each machine it runs the Windows build's real AppContext initialisation
(qnbdiag context), then the program itself, and shows what they found (disks,
Windows, the workspace folder) and what they wrote (SETTING.JSON and the note
beside the workspace folder). Then the reinstall flow runs through the
program's windows on a simulated Windows 7 machine against the local test
service and the stand-ins of the boot store and of shutdown.exe, and prints
what the program prepared (testbed/demo_reinstall.py), keeping a picture of
each wizard step. Last it opens the program's other windows on a private X
server and takes their pictures into docs/screens/.

With --flow backup or --flow restore it shows that flow instead, end to
end (testbed/system_backup_flows.py): the main window, the notice, the
window's pages, the package's download from the local test service, the
installer against stand-ins of bcdedit.exe and shutdown.exe, what is
written, the restart; then the same window inside the preinstallation
environment. Its screenshots go to docs/screens/ as well.
"""

import argparse
import contextlib
import json
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import demo_reinstall  # noqa: E402
import demo_screens  # noqa: E402
from machine_drives import MachineDrives, machine_path  # noqa: E402
from winebox import WineBox  # noqa: E402
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "service"))
from demo_services import demo_services  # noqa: E402
from xvfb import Xvfb  # noqa: E402

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

GiB = 1 << 30


def size(n):
    return "%.1f GiB" % (n / GiB) if n >= GiB / 10 else "%d MiB" % (n >> 20)


def show_context(context):
    print("  Windows     %s (%s位), 类型码 %d, 系统盘 %s: (磁盘 %d 分区 %d)%s" % (
        " ".join(filter(None, [context["os_name"], context["edition"]])), "64" if context["is64"] else "32",
        context["os_type"],
        context["system_letter"], context["system_disk"], context["system_partition"],
        "  [PE 模式]" if context["pe_mode"] else ""))
    for disk in context["disks"]:
        print("  磁盘 %d  %-26s %s  %s  bus %d%s" % (
            disk["number"], disk["model"] or "(无型号)", size(disk["size"]), disk["style"].upper(), disk["bus_type"],
            "  (SSD)" if disk["seek_penalty"] == 0 else ""))
        for p in disk["partitions"]:
            kind = ("GPT kind %d" % p["gpt_kind"]) if disk["style"] == "gpt" else (
                "type %02X%s%s" % (p["mbr_type"], " active" if p["active"] else "", " logical" if p["logical"] else ""))
            print("      #%-2d %-2s %-6s %-10s %10s free of %10s  %s" % (
                p["number"], (p["letter"] + ":") if p["letter"] else "--", p["fs"] or "", p["label"] or "",
                size(p["free"]), size(p["length"]), kind))
    result = {1: "找到上次的文件夹", 0: "新建", -1: "没有可用分区"}[context["choose_result"]]
    print("  工作目录    %s  (%s, 与系统同盘: %s)" % (context["workspace"] or "(无)", result,
                                              "是" if context["same_disk"] else "否"))
    print("  就绪        %s" % ("是" if context["ready"] else "否: 程序初始化失败"))


def show_file(title, path, encoding):
    if not os.path.exists(path):
        print("  %s: (没有写)" % title)
        return
    with open(path, "rb") as f:
        data = f.read()
    print("  %s (%d 字节, %s, %s):" % (title, len(data), encoding, "CR LF" if b"\r\n" in data else "LF"))
    for line in data.decode(encoding).splitlines():
        print("    | " + line)


def demo_machine(box, build, name, prepare=None):
    print("\n== %s ==" % name)
    with MachineDrives(box, machine_path(name), extra=["X"] if name.startswith("pe-") else []) as drives:
        if prepare:
            prepare(drives)
        result = box.run([os.path.join(build, "tools", "qnbdiag", "qnbdiag.exe"), "context"], env=drives.env(),
                         capture_output=True)
        if result.returncode != 0:
            print(result.stderr.decode("utf-8", "replace"))
            return False
        context = json.loads(result.stdout.decode("utf-8"))
        show_context(context)
        workspace = context["workspace"]
        if not workspace:
            return True
        setting = drives.host(workspace + "SETTING.JSON")
        note = drives.host(workspace[:3] + "Quenbrook\\请勿删除！关于本文件夹的说明.txt")
        os.remove(setting)
        # The program itself: start-up builds the same context and writes SETTING.JSON again,
        # then shows its main window; it is closed here through the automation channel.
        run = subprocess.Popen(["wine", os.path.join(build, "program", "QNBReinstaller.exe")],
                               env=dict(box.env, **drives.env()), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
        qnbdiag = os.path.join(build, "tools", "qnbdiag", "qnbdiag.exe")
        quiet = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
        if box.run([qnbdiag, "ui", "wait", "PEInstallerDlg", "60"], **quiet).returncode == 0:
            # A start-up message (no usable partition) is answered before the window closes.
            if not context["ready"] and box.run([qnbdiag, "ui", "wait-message", "错误", "10"], **quiet).returncode == 0:
                box.run([qnbdiag, "ui", "answer", "错误", "ok"], **quiet)
            box.run([qnbdiag, "ui", "close", "PEInstallerDlg"], **quiet)
        print("  QNBReinstaller.exe 退出码 %d" % run.wait(timeout=60))
        show_file("SETTING.JSON (程序写的)", setting, "gbk")
        show_file("说明文件", note, "gbk")
    return True


def install_windows7(build):
    def prepare(drives):
        for folder, arch in (("System32", "x86_64"), ("SysWOW64", "i686")):
            target = drives.host("D:\\Windows\\" + folder)
            os.makedirs(target, exist_ok=True)
            shutil.copy(os.path.join(build, "testbed", "ntdll-6.1-%s.dll" % arch), os.path.join(target, "ntdll.dll"))
        os.makedirs(drives.host("X:\\Windows\\System32"), exist_ok=True)
    return prepare


class Checks:
    """What the flows check, said instead of failing a test."""

    def __init__(self):
        self.problems = []

    def check(self, condition, what):
        if not condition:
            self.problems.append(what)
            print("  !! " + what)
        return bool(condition)

    def expect(self, condition, what):
        if not self.check(condition, what):
            raise RuntimeError(what)


@contextlib.contextmanager
def wallpaper(x, folder):
    """A desktop with something on it for the backup window's picture: a
    picture in an X window at the bottom of the stack, under every window
    of the program (ImageMagick's display, ended by its own id)."""
    path = os.path.join(folder, "wallpaper.png")
    subprocess.run(["convert", "-size", "%dx%d" % (x.width, x.height), "gradient:#3a9ae6-#0b2a44",
                    "-fill", "#0e1c2b", "-draw", "rectangle 0,%d %d,%d" % (x.height - 40, x.width, x.height),
                    "-fill", "#ffffff", "-font", "WenQuanYi-Micro-Hei", "-pointsize", "56", "-gravity", "center",
                    "-annotate", "+0-60", "我的办公电脑", "-pointsize", "24", "-annotate", "+0+10",
                    "驱动和办公软件都已装好", path], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    window = subprocess.Popen(["display", "-geometry", "+0+0", "-borderwidth", "0", "-immutable", path], env=x.env(),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1)
    try:
        yield window
    finally:
        window.terminate()
        window.wait()


def demo_flow(build, screens, flow):
    import system_backup_flows as flows
    from boot_store import BootTools
    from ui_session import UiSession
    checks = Checks()
    os.makedirs(screens, exist_ok=True)
    steps = {"backup": [("gpt-uefi", False, flows.backup_flow), ("pe-win7-x64", True, flows.backup_in_environment),
                        ("gpt-uefi", False, flows.failed_download)],
             "restore": [("gpt-uefi", False, flows.restore_flow), ("pe-win7-x64", True, flows.restore_in_environment)]}
    with Xvfb(compositor=True) as x, WineBox("qnb-demo-" + flow, display=x.display) as box, \
            wallpaper(x, box.prefix) as _:
        box.hide_system_ntdll()
        session = UiSession(box, x, build)
        tools = BootTools(box, os.path.join(build, "testbed", "bcdedit.exe"), os.path.join(build, "testbed", "shutdown.exe"))
        for machine, pe, run in steps[flow]:
            print("\n== %s (%s) ==" % (run.__doc__.strip().splitlines()[0], machine))
            switches = None
            if run is flows.failed_download:
                switches = {"pe_url": "{base}/gen/1048576/TessalyPE.wim?fail=404"}
                print("  (服务不给 PE 包: 下载重试 10 次后失败)")
            with flows.Bed(box, session, tools, os.path.join(build, "testbed", "changeDesk.exe"), machine, pe=pe,
                           shots=screens, say=print, service_switches=switches) as bed:
                try:
                    run(checks, bed)
                except Exception as problem:  # noqa: BLE001 -- the demo says what went wrong and goes on
                    checks.problems.append(str(problem))
                    print("  !! %s" % problem)
    print("\n%s" % ("一切如预期。" if not checks.problems else "%d 处不符。" % len(checks.problems)))
    return not checks.problems


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", required=True, help="the win64 build folder")
    parser.add_argument("--screens", default=os.path.join(TOP, "docs", "screens"),
                        help="where the windows' pictures go")
    parser.add_argument("--flow", choices=["backup", "restore"], help="show this flow end to end instead")
    args = parser.parse_args()
    if args.flow:
        return 0 if demo_flow(os.path.abspath(args.build), os.path.abspath(args.screens), args.flow) else 1
    ok = True
    with Xvfb() as x, WineBox("qnb-demo", display=x.display) as box:
        box.hide_system_ntdll()
        ok &= demo_machine(box, args.build, "second-disk-first")
        ok &= demo_machine(box, args.build, "gpt-uefi")
        ok &= demo_machine(box, args.build, "pe-win7-x64", install_windows7(args.build))
        ok &= demo_machine(box, args.build, "exactly-10gib")
        ok &= demo_services(box, args.build)
    ok &= demo_reinstall.run(os.path.abspath(args.build), os.path.abspath(args.screens))
    print("\n== 窗口截图 ==")
    demo_screens.take(os.path.abspath(args.build), os.path.abspath(args.screens))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
