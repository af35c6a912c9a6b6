#!/usr/bin/env python3
"""The shipped QNBReinstaller.exe under Wine.

The win32 build's program (i686, stripped, no simulator, no automation
channel) starts on the real machine adapters of a fresh 64-bit prefix, as a
32-bit process under WOW64. Its main window is found from outside by its
title and is photographed once painted. Wine answers no raw disk queries,
so the program finds no disk it could work on and says so over its window,
as it would on such a PC; the message is answered, and a click on the
window's own close button ends the program with exit code 0, without a
crash. Its service host names are placeholders: its service queries fail,
as they should here.

Copied into a folder of its own beside libraries named IPHLPAPI.DLL and
gdiplus.dll that leave a mark when they are loaded, with Wine told to
prefer such native libraries (as Windows treats libraries that are not
known system DLLs), it starts without loading either.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from scenarios import Runner  # noqa: E402

TITLE = "Tessaly重装助手"       # the main window's title (ui/main_dlg.cpp)
NOT_READY_TITLE = "错误"        # the caption of its start-up message
HEADER = (0x0F, 0x68, 0xAF)     # the header's colour (skin/MainDlg.xml)
# btn_close is the header's last control: 40x40, 10 px from the right
# edge, in the middle of the 60 px header.
CLOSE_FROM_RIGHT, CLOSE_FROM_TOP = 30, 30
CRASH_SIGNS = re.compile(r"unhandled exception|unhandled page fault|backtrace:|wine: (?:call|unimplemented)",
                         re.IGNORECASE)
CRASH_DIALOGS = ("Program Error", "程序错误")  # winedbg's window, in English and Chinese

runner = Runner(__doc__, prefix="qnb-shipped", gui=True)
runner.argument("--program", required=True, help="build/win32/program/QNBReinstaller.exe")
runner.argument("--planted", required=True, help="the marking library (testbed/planted)")
runner.argument("--screenshot", required=True, help="where the screen is saved")
runner.argument("--copy-to", help="a second place for the picture (docs/screens/shipped.png)")


def x(s, *command):
    """Runs an X tool on the private server; its output."""
    result = subprocess.run(command, env=s.xvfb.env(), capture_output=True, text=True, timeout=30)
    return result.stdout if result.returncode == 0 else ""


def wait_for(s, condition, seconds, what, program=None):
    """What condition() gives once it is true; the scenario fails when the
    program ends first or the time is up."""
    deadline = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if program is not None and program.poll() is not None:
            s.fail("the program ended (exit %d) before %s" % (program.returncode, what))
        if time.monotonic() > deadline:
            s.fail("%s did not come within %d s" % (what, seconds))
        time.sleep(0.2)


def named_windows(s):
    """Every named X window: the tree as xwininfo prints it."""
    return x(s, "xwininfo", "-root", "-tree")


def find(s, title):
    """The visible window of that title, or None."""
    ids = x(s, "xdotool", "search", "--onlyvisible", "--name", "^%s$" % title).split()
    return ids[0] if ids else None


def geometry(s, window):
    fields = dict(line.split("=", 1) for line in x(s, "xdotool", "getwindowgeometry", "--shell", window).split())
    return int(fields["X"]), int(fields["Y"]), int(fields["WIDTH"]), int(fields["HEIGHT"])


def pixel(s, left, top):
    """The screen's colour at one point, as (r, g, b)."""
    out = subprocess.run(["import", "-display", s.xvfb.display, "-window", "root", "-crop",
                          "1x1+%d+%d" % (left, top), "-depth", "8", "txt:-"],
                         capture_output=True, text=True, timeout=30).stdout
    found = re.search(r"#([0-9A-Fa-f]{6})", out)
    return tuple(bytes.fromhex(found.group(1))) if found else None


@runner.shared
def prefix(box, args, xvfb):
    if not os.path.isfile(args.program):
        raise SystemExit("%s is missing: ./x build win32 makes it" % args.program)
    # Z: shows the host's root folder: never a place for the program's workspace.
    box.unmap_drive("Z")
    yield


def click(s, window, left, top):
    """A real click (XTEST) at a point of a window."""
    x(s, "xdotool", "mousemove", "--window", window, str(left), str(top), "click", "1")


@runner.scenario
def main_window_opens_and_closes(s):
    env = dict(s.box.env)
    env.pop("QNB_SIM_MACHINE", None)
    with tempfile.TemporaryFile() as out:
        # Output goes to a file: Wine's helper processes would hold a pipe open.
        program = subprocess.Popen(["wine", s.args.program], env=env, stdout=out, stderr=out)
        try:
            window = wait_for(s, lambda: find(s, TITLE), 90, "the window titled %s" % TITLE, program)
            left, top, width, height = geometry(s, window)
            s.expect((width, height) == (920, 600), "the main window is %dx%d, not 920x600" % (width, height))
            # Painted once its header shows the layout's colour.
            wait_for(s, lambda: pixel(s, left + width // 2, top + 5) == HEADER, 30, "the painted header", program)
            message = wait_for(s, lambda: find(s, NOT_READY_TITLE), 30, "the message %s" % NOT_READY_TITLE, program)
            shot(s)
            windows = named_windows(s)
            s.check(not any(d in windows for d in CRASH_DIALOGS), "a crash dialog is open:\n" + windows)

            # Enter on the message (its caption clicked first, for the focus).
            click(s, message, 30, 8)
            x(s, "xdotool", "key", "Return")
            wait_for(s, lambda: not find(s, NOT_READY_TITLE), 30, "the message to go", program)
            s.expect(find(s, TITLE) == window, "the main window stays after the message")

            click(s, window, width - CLOSE_FROM_RIGHT, CLOSE_FROM_TOP)
            try:
                code = program.wait(timeout=30)
            except subprocess.TimeoutExpired:
                s.fail("the program did not end within 30 s of a click on its close button; windows:\n"
                       + named_windows(s))
            s.check(code == 0, "the program ended with exit code %d" % code)
        finally:
            if program.poll() is None:
                program.kill()
                program.wait()
            out.seek(0)
            output = out.read().decode("utf-8", "replace")
        crash = CRASH_SIGNS.search(output)
        s.check(not crash, "the program's output tells of a crash:\n" + output[-3000:])


# The libraries a program running elevated must never take from its own
# folder; Wine is told to prefer native ones of these names, as Windows does
# for a library that is no known system DLL.
PLANTED = ("IPHLPAPI.DLL", "gdiplus.dll")


@runner.scenario
def planted_libraries_are_not_loaded(s):
    folder = tempfile.mkdtemp(prefix="qnb-planted-")
    try:
        program = os.path.join(folder, "QNBReinstaller.exe")
        shutil.copyfile(s.args.program, program)
        for name in PLANTED:
            shutil.copyfile(s.args.planted, os.path.join(folder, name))
        env = dict(s.box.env)
        env.pop("QNB_SIM_MACHINE", None)
        overrides = ",".join(os.path.splitext(n)[0].lower() for n in PLANTED)
        env["WINEDLLOVERRIDES"] = env.get("WINEDLLOVERRIDES", "") + ";" + overrides + "=n,b"
        env["WINEDEBUG"] = "+loaddll"
        log = os.path.join(folder, "wine.log")
        with open(log, "w") as out:
            running = subprocess.Popen(["wine", program], env=env, stdout=out, stderr=out, cwd=folder)
            try:
                wait_for(s, lambda: find(s, TITLE), 90, "the window titled %s" % TITLE, running)
                # The start-up work (deployment, adapters, pictures) is done by the time its message shows.
                wait_for(s, lambda: find(s, NOT_READY_TITLE), 30, "the message %s" % NOT_READY_TITLE, running)
            finally:
                running.kill()
                running.wait()
        marks = sorted(f for f in os.listdir(folder) if f.endswith(".loaded"))
        s.check(not marks, "libraries planted beside the program were loaded: %s" % marks)
        text = open(log, encoding="utf-8", errors="replace").read()
        taken = sorted({line.split('"')[1] for line in text.splitlines()
                        if "Loaded L" in line and os.path.basename(folder).lower() in line.lower()})
        s.check(all(t.lower().endswith("qnbreinstaller.exe") for t in taken),
                "libraries were taken from the program's folder: %s" % taken)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def shot(s):
    """The whole screen, without the time stamps that would change the file on every run."""
    path = s.args.screenshot
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    subprocess.run(["import", "-display", s.xvfb.display, "-window", "root", "-define",
                    "png:exclude-chunks=date,time", path], check=True, timeout=60,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if s.args.copy_to:
        shutil.copyfile(path, s.args.copy_to)


if __name__ == "__main__":
    sys.exit(runner.main())
