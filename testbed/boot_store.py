"""The system tools the installer starts, as stand-ins in a WineBox.

bcdedit.exe (testbed/bcdedit/stand_in.cpp) keeps a model of the boot store
in bcdedit.json beside itself and writes every command line to bcdedit.log;
shutdown.exe (testbed/shutdown/stand_in.c) writes its arguments to
shutdown.log. Both go to C:\\windows\\system32, where the installer starts
them by full path; Wine's own shutdown.exe is told to give way
(WINEDLLOVERRIDES), so that nothing restarts.

    tools = BootTools(box, args.bcdedit, args.shutdown)
    tools.reset(gpt=True)
    ... run the installer with env=tools.env() ...
    tools.store()["objects"][ENTRY_ID], tools.bcdedit_log(), tools.shutdown_log()
"""

import json
import os
import shutil

ENTRY_ID = "{f608441b-6975-4520-acb1-cda95d61e991}"
# The running Windows' boot loader entry in the model ({current}).
CURRENT_ID = "{6b1a53b0-5fd2-11ee-9d3a-0002c9a0e1f4}"


def initial_store(gpt):
    """A store as Windows leaves it: the boot manager and the running system."""
    loader = "winload.efi" if gpt else "winload.exe"
    return {
        "current": CURRENT_ID,
        "objects": {
            "{bootmgr}": {"type": "bootmgr", "elements": {
                "description": "Windows Boot Manager",
                "displayorder": [CURRENT_ID],
                "default": CURRENT_ID,
                "timeout": "30"}},
            CURRENT_ID: {"type": "osloader", "elements": {
                "description": "Windows",
                "device": "partition=C:",
                "osdevice": "partition=C:",
                "path": "\\Windows\\system32\\" + loader,
                "systemroot": "\\Windows"}},
        },
    }


def bcdedit_rows(mode, letter, gpt, backup_exists):
    """The argument lists of the installer's bcdedit sequence, in order."""
    ramdisk = "ramdisk=[%s:]\\QNBPE\\boot\\boot.wim,{ramdiskoptions}" % letter
    rows = [
        "/delete %s /cleanup" % ENTRY_ID,
        "/create {ramdiskoptions}",
        "/set {ramdiskoptions} ramdisksdidevice boot",
        "/set {ramdiskoptions} ramdisksdidevice partition=%s:" % letter,
        "/set {ramdiskoptions} ramdisksdipath \\QNBPE\\boot\\boot.sdi ",
        "/create %s /d \"TessalyPE\" /application OSLOADER" % ENTRY_ID,
        "/set %s device %s" % (ENTRY_ID, ramdisk),
        "/set %s osdevice %s" % (ENTRY_ID, ramdisk),
        "/set %s path \\windows\\system32\\boot\\%s" % (ENTRY_ID, "winload.efi" if gpt else "winload.exe"),
        "/set %s systemroot \\windows" % ENTRY_ID,
        "/set %s detecthal yes" % ENTRY_ID,
        "/set %s winpe yes" % ENTRY_ID,
        "/displayorder %s /addfirst" % ENTRY_ID,
    ]
    if mode == "reinstall":
        rows.append("/timeout 3")
    if not backup_exists:
        rows.append("/export %s:\\QNBPE\\boot\\BCD_backup" % letter)
    rows += ["/timeout 3", "/default %s" % ENTRY_ID]
    if mode == "reinstall":
        rows.append("/set {bootmgr} displaybootmenu yes")
    return rows


class BootTools:
    def __init__(self, box, bcdedit, shutdown):
        self.box = box
        self.system32 = os.path.join(box.drive_c(), "windows", "system32")
        shutil.copy(bcdedit, os.path.join(self.system32, "bcdedit.exe"))
        shutil.copy(shutdown, os.path.join(self.system32, "shutdown.exe"))

    def path(self, name):
        return os.path.join(self.system32, name)

    def reset(self, gpt):
        """A fresh store, empty logs."""
        with open(self.path("bcdedit.json"), "w", encoding="utf-8") as f:
            json.dump(initial_store(gpt), f, indent=2)
        for log in ("bcdedit.log", "shutdown.log"):
            if os.path.exists(self.path(log)):
                os.remove(self.path(log))

    def store(self):
        with open(self.path("bcdedit.json"), encoding="utf-8") as f:
            return json.load(f)

    def _lines(self, name):
        if not os.path.exists(self.path(name)):
            return []
        with open(self.path(name), encoding="utf-8") as f:
            return f.read().split("\n")[:-1]

    def bcdedit_log(self):
        """The argument lists bcdedit.exe was started with, in order."""
        return self._lines("bcdedit.log")

    def shutdown_log(self):
        return self._lines("shutdown.log")

    def env(self, fail=None):
        """The environment for a program that starts the tools: Wine's own
        shutdown.exe gives way to the stand-in; FAIL makes the bcdedit
        commands that start with it fail."""
        env = {"WINEDLLOVERRIDES": self.box.env["WINEDLLOVERRIDES"] + ";shutdown.exe=n"}
        if fail:
            env["QNB_BCDEDIT_FAIL"] = fail
        return env
