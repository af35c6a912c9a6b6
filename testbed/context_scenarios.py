#!/usr/bin/env python3
"""qnbdiag context on simulated machines under Wine.

Runs the real AppContext initialisation of the Windows build on the machine
descriptions of testbed/machines and checks what it found and what it wrote:
the workspace choice, SETTING.JSON and the note file, byte for byte.
"""

import json
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from machine_drives import MachineDrives, machine_path  # noqa: E402
from scenarios import Runner  # noqa: E402

NOTE_NAME = "请勿删除！关于本文件夹的说明.txt"
NOTE = ("用户参考：\r\n"
        "\r\n"
        "Q1：这个文件夹是什么？\r\n"
        "本目录由Tessaly重装助手生成,用于存储缓存文件和备份文件。\r\n"
        "\r\n"
        "Q2：为什么在这里，可以修改么？\r\n"
        "默认情况下，Tessaly重装助手会根据磁盘剩余空间，自动选择最大的本地磁盘生成本目录。建议不要移动或修改本目录！\r\n"
        "\r\n"
        "Q3：本文件夹可以删除吗？\r\n"
        "如非特殊情况请勿删除本文件夹。删除后Tessaly重装助手备份的文件和系统镜像将丢失！\r\n").encode("gbk")


def fresh_setting(sel_disk, sel_par, same_disk):
    return ("{\r\n"
            "   \"LocalPeUrl\" : \"\",\r\n"
            "   \"Option\" : -1,\r\n"
            "   \"QQLogFolder\" : \"\",\r\n"
            "   \"SoftCount\" : 0,\r\n"
            "   \"bLocalImage\" : false,\r\n"
            "   \"bRepart\" : false,\r\n"
            "   \"bSameDisk\" : %s,\r\n"
            "   \"bShowedNote\" : false,\r\n"
            "   \"nSelDisk\" : %d,\r\n"
            "   \"nSelPar\" : %d,\r\n"
            "   \"nWIMPart\" : 0,\r\n"
            "   \"strImagePath\" : \"\"\r\n"
            "}\r\n" % ("true" if same_disk else "false", sel_disk, sel_par)).encode("ascii")


def install_windows7(drives, ntdll64, ntdll32):
    """An installed 64-bit Windows 7 on D:, and the environment's own system on X:."""
    for folder, dll in (("System32", ntdll64), ("SysWOW64", ntdll32)):
        target = drives.host("D:\\Windows\\" + folder)
        os.makedirs(target, exist_ok=True)
        shutil.copy(dll, os.path.join(target, "ntdll.dll"))
    x = drives.host("X:\\Windows\\System32")
    os.makedirs(x, exist_ok=True)
    shutil.copy(ntdll64, os.path.join(x, "ntdll.dll"))


def earlier_folders(drives, *letters):
    for letter in letters:
        os.makedirs(drives.host(letter + ":\\Quenbrook\\Data"), exist_ok=True)


# machine, expected fields, SETTING.JSON (nSelDisk, nSelPar, bSameDisk) when a
# new folder is made, and what to lay out before the run.
CASES = [
    ("one-disk-c-d", {"ready": True, "workspace": "D:\\Quenbrook\\Data\\", "same_disk": True, "choose_result": 0,
                      "system_letter": "C", "system_disk": 0, "system_partition": 1, "pe_mode": False,
                      "os_name": "Windows 10", "os_type": 64, "edition": "专业版"}, (0, 1, True), None),
    ("second-disk-first", {"workspace": "E:\\Quenbrook\\Data\\", "same_disk": False, "choose_result": 0},
     (0, 1, False), None),
    ("second-disk-after", {"workspace": "E:\\Quenbrook\\Data\\", "same_disk": False, "choose_result": 0,
                           "system_disk": 1}, (1, 1, False), None),
    ("usb-disk", {"workspace": "D:\\Quenbrook\\Data\\", "same_disk": True, "choose_result": 0}, (0, 1, True), None),
    ("fat32-second-disk", {"workspace": "D:\\Quenbrook\\Data\\", "same_disk": True, "choose_result": 0},
     (0, 1, True), None),
    ("gpt-uefi", {"workspace": "D:\\Quenbrook\\Data\\", "system_disk_gpt": True, "system_partition": 3},
     (0, 3, True), None),
    ("exactly-10gib", {"ready": False, "workspace": "", "choose_result": -1}, None, None),
    ("vhd-only-room", {"ready": False, "workspace": "", "choose_result": -1}, None, None),
    ("two-data-drives", {"ready": True, "workspace": "E:\\Quenbrook\\Data\\", "choose_result": 1, "same_disk": True},
     None, lambda drives, args: earlier_folders(drives, "D", "E")),
    ("pe-win7-x64", {"ready": True, "pe_mode": True, "system_letter": "D", "system_disk": 0, "system_partition": 2,
                     "major": 6, "minor": 1, "is64": True, "os_name": "Windows 7", "os_type": 4, "product_type": 0,
                     "workspace": "E:\\Quenbrook\\Data\\", "same_disk": True},
     (0, 2, True), lambda drives, args: install_windows7(drives, args.ntdll64, args.ntdll32)),
]


def run_case(s, name, expected, setting, prepare):
    with MachineDrives(s.box, machine_path(name), extra=["X"] if name.startswith("pe-") else []) as drives:
        if prepare:
            prepare(drives, s.args)
        result = s.box.run([s.args.qnbdiag, "context"], env=drives.env(), capture_output=True)
        s.expect(result.returncode == 0,
                 "exit code %d: %s" % (result.returncode, result.stderr.decode("utf-8", "replace")))
        context = json.loads(result.stdout.decode("utf-8"))
        for key, value in expected.items():
            s.check(context.get(key) == value, "%s is %r, expected %r" % (key, context.get(key), value))
        workspace = context["workspace"]
        if setting:
            path = drives.host(workspace + "SETTING.JSON")
            with open(path, "rb") as f:
                written = f.read()
            s.check(written == fresh_setting(*setting), "SETTING.JSON differs:\n%r" % written)
        note = drives.host(workspace[:3] + "Quenbrook\\" + NOTE_NAME) if workspace else None
        if context["choose_result"] == 0:
            with open(note, "rb") as f:
                s.check(f.read() == NOTE, "the note file differs")
        else:
            s.check(not (note and os.path.exists(note)), "a note was written for a folder that was found, not made")


runner = Runner(__doc__, prefix="qnb-context")
runner.argument("--qnbdiag", required=True)
runner.argument("--ntdll64", required=True)
runner.argument("--ntdll32", required=True)


@runner.shared
def prefix(box, args, xvfb):
    # C: of the prefix must not look like an installed Windows in PE mode.
    box.hide_system_ntdll()
    yield


def case_scenario(case):
    return lambda s: run_case(s, *case)


for case in CASES:
    runner.scenario(case_scenario(case), name=case[0])


if __name__ == "__main__":
    sys.exit(runner.main())
