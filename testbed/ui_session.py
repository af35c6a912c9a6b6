"""The program's windows under Wine on a private X server, driven through
the automation channel (qnbdiag ui).

    with Xvfb(compositor=True) as x, WineBox(display=x.display) as box:
        session = UiSession(box, x, build)
        program = session.start(env=drives.env())
        session.wait("PEInstallerDlg")
        session.click("PEInstallerDlg", "btn_install")
        session.screenshot("PEInstallerDlg", "main.png")
        session.stop(program)

Every qnbdiag call is a short Wine process; the programs it drives run in
the same prefix. Processes are ended by their own ids only.
"""

import json
import os
import subprocess
import tempfile
import time


class UiError(RuntimeError):
    pass


class UiSession:
    def __init__(self, box, xvfb, build):
        self.box = box
        self.xvfb = xvfb
        self.program = os.path.join(build, "program", "QNBReinstaller.exe")
        self.qnbdiag = os.path.join(build, "tools", "qnbdiag", "qnbdiag.exe")
        self.env = {}

    # -- programs ------------------------------------------------------------

    def start(self, args=(), env=None, cwd=None):
        """Starts QNBReinstaller.exe (in cwd, a host folder, when given); returns its Popen."""
        full = dict(self.box.env)
        full.update(self.env)
        full.update(env or {})
        return subprocess.Popen(["wine", self.program, *args], env=full, cwd=cwd, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def stop(self, process, timeout=20):
        """Waits for process to end (closing its main window first if it is up); its exit code."""
        if process.poll() is None:
            self.ui("close", "PEInstallerDlg", check=False)
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            raise UiError("the program did not end within %d s" % timeout)

    # -- the automation channel --------------------------------------------

    def ui(self, *args, check=True, timeout=60):
        """Runs qnbdiag ui ARGS; its output parsed as JSON when there is some."""
        full = dict(self.box.env)
        full.update(self.env)
        # Output goes to files, not pipes: Wine's own helper processes (the
        # desktop, services) started by a call inherit its handles and would
        # keep a pipe open long after qnbdiag has ended.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run(["wine", self.qnbdiag, "ui", *[str(a) for a in args]], env=full,
                                  stdout=out, stderr=err, timeout=timeout).returncode
            out.seek(0)
            err.seek(0)
            text, error = out.read().decode("utf-8", "replace").strip(), err.read().decode("utf-8", "replace")
        if check and code != 0:
            raise UiError("qnbdiag ui %s: %s" % (" ".join(map(str, args)), error.strip()))
        if not text:
            return code
        return json.loads(text)

    def windows(self):
        return self.ui("windows")

    def wait(self, cls, seconds=30):
        self.ui("wait", cls, seconds, timeout=seconds + 30)

    def wait_gone(self, cls, seconds=30):
        self.ui("wait-gone", cls, seconds, timeout=seconds + 30)

    def wait_message(self, title, seconds=30):
        self.ui("wait-message", title, seconds, timeout=seconds + 30)
        for message in self.windows()["messages"]:
            if message["title"] == title and message["visible"]:
                return message
        raise UiError("the message box %s went away" % title)

    def answer(self, title, button):
        self.ui("answer", title, button)

    def click(self, cls, control):
        """control: a name, or LIST[N]/NAME for a control inside the N-th row (from 0) of a list."""
        self.ui("click", cls, control)

    def pick(self, path):
        """Answers the open folder picker or file-open dialog of a program with path."""
        self.ui("pick", path)

    def pick_cancel(self):
        self.ui("pick-cancel")

    def key(self, cls, key):
        self.ui("key", cls, key)

    def tree(self, cls):
        return self.ui("tree", cls)["tree"]

    def controls(self, cls):
        """{name: control} of a window (the first control of each name)."""
        found = {}

        def walk(node):
            if node.get("name") and node["name"] not in found:
                found[node["name"]] = node
            for child in node.get("children", []):
                walk(child)
        walk(self.tree(cls))
        return found

    def window(self, cls):
        for w in self.windows()["windows"]:
            if w["class"] == cls:
                return w
        return None

    def poll(self, condition, seconds=20, what="the condition"):
        deadline = time.monotonic() + seconds
        while True:
            value = condition()
            if value:
                return value
            if time.monotonic() > deadline:
                raise UiError("%s did not come within %d s" % (what, seconds))
            time.sleep(0.2)

    # -- pictures --------------------------------------------------------------

    def screenshot(self, cls_or_title, path, margin=24, message=False):
        """The screen around a window (or a message box) and its shadow."""
        if message:
            box = next(m for m in self.windows()["messages"] if m["title"] == cls_or_title)
        else:
            box = self.window(cls_or_title)
        if not box:
            raise UiError("no window %s to take a picture of" % cls_or_title)
        left, top, right, bottom = box["rect"]
        self.xvfb.screenshot(path, (left - margin, top - margin, right + margin, bottom + margin))
