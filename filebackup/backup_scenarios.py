#!/usr/bin/env python3
"""qnbdiag backup-files under Wine on a simulated machine (C: and D:).

Runs the real user-file backup thread of the Windows build with the
prefix's own shell folders and registry, and checks what it copied into
D:\\Quenbrook\\Data\\文件备份, what it told the wizard (one JSON line per
posted message), what it wrote into SETTING.JSON ("QQLogFolder",
"strImagePath") and into D:\\backup_error.txt.
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "testbed"))
from machine_drives import MachineDrives, machine_path  # noqa: E402
from scenarios import Runner  # noqa: E402

WORKSPACE = "D:\\Quenbrook\\Data\\"
BACKUP = WORKSPACE + "文件备份"
QQ_KEY = "HKLM\\SOFTWARE\\Tencent\\QQ2009"

runner = Runner(__doc__, prefix="qnb-backup")
runner.argument("--qnbdiag", required=True)


def user_folder(box):
    """The prefix's user profile folder (host path) and its Windows path."""
    users = os.path.join(box.drive_c(), "users")
    name = next(u for u in sorted(os.listdir(users)) if u != "Public")
    return os.path.join(users, name), "C:\\users\\" + name


def host_c(box, windows_path):
    return os.path.join(box.drive_c(), *[p for p in windows_path[3:].split("\\") if p])


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("utf-8"))


def read(path):
    with open(path, "rb") as f:
        return f.read()


def files_under(folder):
    """Every file under folder, as Windows-style relative paths."""
    found = set()
    for root, _, names in os.walk(folder):
        for name in names:
            found.add(os.path.relpath(os.path.join(root, name), folder).replace("/", "\\"))
    return found


def reg(box, *args):
    # The 64-bit view, which qnbdiag of the win64 build reads ("wine reg" is the 32-bit reg.exe).
    subprocess.run(["wine", "reg", *args, "/reg:64", "/f"], env=box.env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def temporary_folder(box):
    """The host path of the folder GetTempPath names in the prefix."""
    with tempfile.TemporaryFile() as out:
        subprocess.run(["wine", "cmd", "/c", "echo %TMP%"], env=box.env, stdout=out, stderr=subprocess.DEVNULL)
        out.seek(0)
        return host_c(box, out.read().decode("gbk").strip())


def backup(s, drives, *options):
    """Runs qnbdiag backup-files; returns its messages (parsed JSON lines)."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        run = s.box.run([s.args.qnbdiag, "backup-files", *options], env=drives.env(), stdout=out, stderr=err)
        out.seek(0)
        err.seek(0)
        lines = out.read().decode("utf-8").splitlines()
        s.expect(run.returncode == 0, "exit code %d: %s" % (run.returncode, err.read().decode("utf-8", "replace")))
    messages = [json.loads(line) for line in lines]
    s.expect(messages and messages[-1] == {"msg": "done"}, "the last message is done: %r" % messages[-1:])
    s.check(sum(m["msg"] == "done" for m in messages) == 1, "done comes once")
    return messages


def setting(drives):
    return json.loads(read(drives.host(WORKSPACE + "SETTING.JSON")).decode("gbk"))


@runner.before_each
def clean(s):
    """A profile without files of earlier scenarios, no QQ anywhere."""
    home, _ = user_folder(s.box)
    for folder in ("Desktop", "Documents"):
        shutil.rmtree(os.path.join(home, folder), ignore_errors=True)
        os.makedirs(os.path.join(home, folder))
    for leftover in ("users\\Public\\Documents\\Tencent", "Program Files\\Tencent", "images"):
        shutil.rmtree(host_c(s.box, "C:\\" + leftover), ignore_errors=True)
    reg(s.box, "delete", "HKLM\\SOFTWARE\\Tencent")


@runner.scenario
def desktop_whole_and_pictures(s):
    home, desktop = user_folder(s.box)
    desktop += "\\Desktop"
    write(os.path.join(home, "Desktop", "报告.docx"), "report")
    write(os.path.join(home, "Desktop", "照片", "Photo.JPG"), "photo on the desktop")
    write(os.path.join(home, "Desktop", ".hidden.jpg"), "hidden")
    write(os.path.join(home, "Pictures", "trip", "a.jpg"), "a picture")
    write(os.path.join(home, "Music", "a.jpg"), "a picture of the same name")
    write(os.path.join(home, "AppData", "Roaming", "face.png"), "application data")
    write(os.path.join(temporary_folder(s.box), "t.jpg"), "temporary")
    write(host_c(s.box, "C:\\ProgramData\\cache.jpg"), "program data")
    with MachineDrives(s.box, machine_path("one-disk-c-d")) as drives:
        messages = backup(s, drives, "--desktop", "--pictures")
        copied = files_under(drives.host(BACKUP))
        s.check(copied == {"desktop\\报告.docx", "desktop\\照片\\Photo.JPG", "照片\\a.jpg", "照片\\a(1).jpg",
                           "照片\\face.png"}, "copied: %r" % sorted(copied))
        s.check(read(drives.host(BACKUP + "\\desktop\\照片\\Photo.JPG")) == b"photo on the desktop",
                "the desktop's file whole")
        statuses = [m["text"] for m in messages if m["msg"] == "status"]
        s.check(statuses[:2] == [desktop + "\\报告.docx", desktop + "\\照片\\Photo.JPG"]
                or statuses[:2] == [desktop + "\\照片\\Photo.JPG", desktop + "\\报告.docx"],
                "the desktop first, each file by its full path: %r" % statuses[:2])
        s.check(sorted(statuses[2:]) == ["a.jpg", "a.jpg", "face.png"], "then the walk, by name: %r" % statuses[2:])
        s.check(not [m for m in messages if m["msg"] == "error"], "no errors: %r" % messages)
        s.check(setting(drives)["QQLogFolder"] == "", "QQLogFolder untouched")


# name, UserDataInfo.ini (or None), registry: None, "key" (no Install) or an Install folder,
# the files copied, QQLogFolder afterwards
QQ_CASES = [
    ("qq_type0_install", None, "C:\\Program Files\\Tencent\\QQ", {"users\\12345\\Msg3.0.db"}, "Users"),
    ("qq_type0_without_install", None, "key", set(), "Users"),
    ("qq_type1", "[UserDataSet]\r\nUserDataSavePathType=1\r\n", None, {"tencent files\\12345\\Msg3.0.db"},
     "Tencent Files"),
    ("qq_own_path", "[UserDataSet]\r\nUserDataSavePathType=0\r\nUserDataSavePath=C:\\QQ记录\\\r\n", None,
     {"qq记录\\12345\\Msg3.0.db"}, "QQ记录"),
    ("qq_in_workspace", "[UserDataSet]\r\nUserDataSavePath=D:\\Quenbrook\\Data\\QQ\r\n", "C:\\Program Files\\Tencent\\QQ",
     set(), ""),
]


def qq_case(name, ini, registry, copied, log_folder):
    def scenario(s):
        home, _ = user_folder(s.box)
        chat = "12345\\Msg3.0.db"
        write(host_c(s.box, "C:\\Program Files\\Tencent\\QQ\\Users\\" + chat), "chat")
        write(os.path.join(home, "Documents", "Tencent Files", "12345", "Msg3.0.db"), "chat")
        write(host_c(s.box, "C:\\QQ记录\\" + chat), "chat")
        if ini:
            write(host_c(s.box, "C:\\users\\Public\\Documents\\Tencent\\QQ\\UserDataInfo.ini"), ini.encode("gbk"))
        if registry == "key":
            reg(s.box, "add", QQ_KEY)
        elif registry:
            reg(s.box, "add", QQ_KEY, "/v", "Install", "/d", registry)
        try:
            with MachineDrives(s.box, machine_path("one-disk-c-d")) as drives:
                write(drives.host(WORKSPACE + "QQ\\" + chat), "chat in the workspace")
                backup(s, drives, "--qq")
                found = files_under(drives.host(BACKUP))
                s.check(found == copied, "copied %r, expected %r" % (sorted(found), sorted(copied)))
                s.check(setting(drives)["QQLogFolder"] == log_folder,
                        "QQLogFolder is %r, expected %r" % (setting(drives)["QQLogFolder"], log_folder))
        finally:
            shutil.rmtree(host_c(s.box, "C:\\QQ记录"), ignore_errors=True)
    return scenario


for case in QQ_CASES:
    runner.scenario(qq_case(*case), name=case[0])


@runner.scenario
def locked_file_and_the_error_list(s):
    home, desktop = user_folder(s.box)
    locked = desktop + "\\Desktop\\锁定.doc"
    write(os.path.join(home, "Desktop", "锁定.doc"), "open in another program")
    write(os.path.join(home, "Desktop", "free.txt"), "free")
    with MachineDrives(s.box, machine_path("one-disk-c-d")) as drives:
        earlier = "C:\\earlier\\run.txt    错误代码:5\r\n".encode("gbk")
        write(drives.host("D:\\backup_error.txt"), earlier)
        line = (locked + "    错误代码:32\r\n").encode("gbk")
        for run in (1, 2):
            messages = backup(s, drives, "--desktop", "--lock", locked)
            errors = [m for m in messages if m["msg"] == "error"]
            s.check(errors == [{"msg": "error", "text": locked, "code": 32}], "run %d: errors %r" % (run, errors))
            s.check(read(drives.host("D:\\backup_error.txt")) == earlier + line * run,
                    "run %d: the error list holds %r" % (run, read(drives.host("D:\\backup_error.txt"))))
        s.check(read(drives.host(BACKUP + "\\desktop\\free.txt")) == b"free", "the other file is copied")
        s.check(not os.path.exists(drives.host(BACKUP + "\\desktop\\锁定.doc")), "no part of the locked file")
        log = read(drives.host(WORKSPACE + "logs\\QNBReinstaller.log")).decode("utf-8")
        s.check("锁定.doc" in log and "error 32" in log, "the log has the failure with its code")


@runner.scenario
def names_and_lengths(s):
    home, desktop = user_folder(s.box)
    odd = "한국어 ☃ файл.txt"  # no character of it in code page 936 but the blanks
    deep = ["第一层" + "a" * 90, "b" * 100, "c" * 100]
    write(os.path.join(home, "Desktop", odd), "odd name")
    write(os.path.join(home, "Desktop", *deep, "深.txt"), "deep")
    windows_deep = desktop + "\\Desktop\\" + "\\".join(deep) + "\\深.txt"
    s.expect(len(windows_deep) > 300, "the source path is %d characters long" % len(windows_deep))
    with MachineDrives(s.box, machine_path("one-disk-c-d")) as drives:
        messages = backup(s, drives, "--desktop")
        s.check(not [m for m in messages if m["msg"] == "error"], "no errors: %r" % messages)
        s.check(read(drives.host(BACKUP + "\\desktop\\" + odd)) == b"odd name", "the name outside code page 936")
        s.check(read(drives.host(BACKUP + "\\desktop\\" + "\\".join(deep) + "\\深.txt")) == b"deep",
                "the file beyond 300 characters")
        s.check(any(m.get("text") == windows_deep for m in messages), "its full path is shown")


@runner.scenario
def a_junction_loop_is_copied_once(s):
    home, _ = user_folder(s.box)
    write(os.path.join(home, "Desktop", "sub", "f.txt"), "once")
    os.symlink(os.path.join(home, "Desktop"), os.path.join(home, "Desktop", "sub", "loop"))
    with MachineDrives(s.box, machine_path("one-disk-c-d")) as drives:
        backup(s, drives, "--desktop")
        found = files_under(drives.host(BACKUP))
        s.check(found == {"desktop\\sub\\f.txt"}, "copied: %r" % sorted(found))


@runner.scenario
def a_local_image_moves_into_the_workspace(s):
    write(host_c(s.box, "C:\\images\\win7 旗舰版.iso"), "image")
    with MachineDrives(s.box, machine_path("one-disk-c-d")) as drives:
        messages = backup(s, drives, "--local-image", "C:\\images\\win7 旗舰版.iso")
        s.check(messages[0] == {"msg": "status", "text": "正在转移镜像..."}, "first: %r" % messages[0])
        s.check(read(drives.host(WORKSPACE + "win7 旗舰版.iso")) == b"image", "the image in the workspace")
        values = setting(drives)
        s.check(values["strImagePath"] == "win7 旗舰版.iso" and values["bLocalImage"], "SETTING.JSON: %r" % values)


if __name__ == "__main__":
    sys.exit(runner.main())
