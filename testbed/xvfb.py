"""A private X server for runs that open windows (Wine tests, UI scenarios,
the demo's screenshots).

    with Xvfb() as x:            # x.display is ":N"
        WineBox(display=x.display)
        x.screenshot("shot.png", (left, top, right, bottom))

Xvfb picks a free display number itself (-displayfd); the server, and the
compositing manager when one is asked for (so that windows' drop shadows
blend as on a desktop), are stopped by their own process ids.
"""

import os
import select
import shutil
import subprocess
import time


class Xvfb:
    def __init__(self, width=1280, height=800, compositor=False, background="#5d7f9e"):
        if not shutil.which("Xvfb"):
            raise RuntimeError("Xvfb is missing (Debian package xvfb): ./x deps installs it")
        self.width, self.height = width, height
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
             "-nolisten", "tcp", "+extension", "Composite", "-ac"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                os.close(read_end)
                self.close()
                raise RuntimeError("Xvfb did not start")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        self.compositor = None
        if background:
            self._run(["xsetroot", "-solid", background], check=False)
        if compositor:
            if not shutil.which("xcompmgr"):
                raise RuntimeError("xcompmgr is missing (Debian package xcompmgr): ./x deps installs it")
            self.compositor = subprocess.Popen(["xcompmgr", "-n"], env=self.env(), stdout=subprocess.DEVNULL,
                                               stderr=subprocess.DEVNULL)

    def env(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        return env

    def _run(self, command, check=True):
        if shutil.which(command[0]):
            subprocess.run(command, env=self.env(), check=check, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def screenshot(self, path, rect=None):
        """Saves the screen (or rect = (left, top, right, bottom) of it) as a PNG."""
        command = ["import", "-display", self.display, "-window", "root"]
        if rect:
            left, top, right, bottom = (max(0, rect[0]), max(0, rect[1]), min(self.width, rect[2]),
                                        min(self.height, rect[3]))
            command += ["-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "+repage"]
        subprocess.run(command + [path], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def close(self):
        for process in (self.compositor, self.process):
            if process and process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
