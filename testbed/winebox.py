#!/usr/bin/env python3
"""Throw-away Wine prefixes for the Windows tests and the demo.

A WineBox is a fresh 64-bit prefix with a Chinese ANSI code page (936, as
on the users' machines), drive letters mapped to host folders on request, and
nothing left behind: only the processes of its own prefix are ended.

    python3 testbed/winebox.py run [--gui] [--drive D=/tmp/d ...] -- program.exe args...

runs one program in a new prefix and exits with its exit code; with --gui
on a private X server (testbed/xvfb.py), for programs that open windows.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile


class WineBox:
    def __init__(self, name="qnb-wine", display=None):
        self.prefix = tempfile.mkdtemp(prefix=name + ".")
        self.env = dict(os.environ)
        if display:
            self.env["DISPLAY"] = display
        self.env.update({
            "WINEPREFIX": self.prefix,
            # A 64-bit prefix: 32-bit programs (the shipped one) run in it
            # under WOW64, as on the users' 64-bit Windows.
            "WINEARCH": "win64",
            "WINEDEBUG": "-all",
            # No Mono/Gecko set-up, and no menu entries or file links on the host.
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            # The ANSI code page follows the locale: GBK, as on a Chinese Windows.
            "LC_ALL": "zh_CN.UTF-8",
            "LANG": "zh_CN.UTF-8",
        })
        subprocess.run(["wineboot", "-i"], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if display:
            # No window manager runs on the private X server: Wine must not
            # hand windows to one (hiding a handed-over window waits 2 s for it).
            subprocess.run(["wine", "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed",
                            "/d", "N", "/f"], env=self.env, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self._wait()
        users = os.path.join(self.drive_c(), "users")
        for user in os.listdir(users):
            # Wine links the desktop, documents and the like to the host's
            # home: programs in the box get folders of their own instead.
            for entry in os.listdir(os.path.join(users, user)):
                path = os.path.join(users, user, entry)
                if os.path.islink(path):
                    os.remove(path)
                    os.makedirs(path)
            # A new prefix names a temporary folder that it has not made yet.
            if user != "Public":
                for temp in (("Temp",), ("AppData", "Local", "Temp")):
                    os.makedirs(os.path.join(users, user, *temp), exist_ok=True)

    def _wait(self):
        subprocess.run(["wineserver", "-w"], env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def dosdevice(self, letter):
        return os.path.join(self.prefix, "dosdevices", letter.lower() + ":")

    def map_drive(self, letter, host_folder):
        """Makes drive LETTER: show HOST_FOLDER (replacing what it showed)."""
        self.unmap_drive(letter)
        os.symlink(os.path.abspath(host_folder), self.dosdevice(letter))

    def unmap_drive(self, letter):
        link = self.dosdevice(letter)
        if os.path.islink(link) or os.path.exists(link):
            os.remove(link)

    def drive_c(self):
        return os.path.join(self.prefix, "drive_c")

    def hide_system_ntdll(self):
        """Removes the prefix's C:\\windows\\system32\\ntdll.dll placeholder (Wine
        runs without it), so that C: does not look like an installed Windows."""
        path = os.path.join(self.drive_c(), "windows", "system32", "ntdll.dll")
        if os.path.exists(path):
            os.remove(path)

    def run(self, args, env=None, timeout=600, **kwargs):
        full_env = dict(self.env)
        full_env.update(env or {})
        return subprocess.run(["wine"] + [str(a) for a in args], env=full_env, timeout=timeout, **kwargs)

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(self.prefix, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)
    run = sub.add_parser("run", help="run one Windows program in a new prefix")
    run.add_argument("--drive", action="append", default=[], metavar="L=FOLDER")
    run.add_argument("--gui", action="store_true", help="give the program a private X server")
    run.add_argument("program", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    program = args.program[1:] if args.program[:1] == ["--"] else args.program
    if not program:
        parser.error("no program given")
    if args.gui:
        from xvfb import Xvfb
        with Xvfb() as x, WineBox(display=x.display) as box:
            return run_program(box, args.drive, program)
    with WineBox() as box:
        return run_program(box, args.drive, program)


def run_program(box, drives, program):
    for mapping in drives:
        letter, _, folder = mapping.partition("=")
        box.map_drive(letter, folder)
    return box.run(program).returncode


if __name__ == "__main__":
    sys.exit(main())
