#!/usr/bin/env python3
"""The image choice for local ISO files under Wine: qnbdiag iso-choose opens
CXGetIsoInfoDlg with the payload's own isocmd.exe and imagex.exe, on ISO
files made here with xorriso and WIM files made with wimlib-imagex.

Wine's Virtual Disk API is a stub, so isocmd runs with its test backend
(QNB_ISOCMD_BACKEND=wine-folder): the drive letter shows the ISO's files,
extracted beside it into "ISO.files". Without it, isocmd asks Windows
itself, as it does on a user's machine: Wine's default Windows 7 cannot
attach ISO files, and the ISO is taken without an edition.

    iso_scenarios.py --build build/win64 [--screens docs/screens] [-k PART]
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TESTBED = os.path.join(HERE, "..", "testbed")
sys.path.insert(0, TESTBED)
from machine_drives import MachineDrives, machine_path  # noqa: E402
from scenarios import Runner  # noqa: E402
from ui_session import UiSession  # noqa: E402

WINDOW = "isoinfodlg"
EDITIONS = ["Windows 10 家庭版", "Windows 10 家庭中文版", "Windows 10 专业版", "Windows 10 教育版"]
UNREADABLE = "未能获取镜像信息，请重试"
TEST_BACKEND = {"QNB_ISOCMD_BACKEND": "wine-folder"}


def wimlib(*args):
    subprocess.run(["wimlib-imagex", *args], check=True, stdout=subprocess.DEVNULL)


def make_isos(folder):
    """{name: host path} of the ISO files, each with its files extracted beside it."""
    source = os.path.join(folder, "source")
    os.makedirs(os.path.join(source, "Windows"))
    with open(os.path.join(source, "Windows", "win.ini"), "w") as f:
        f.write("[windows]\n")
    wims = os.path.join(folder, "wims")
    os.makedirs(wims)

    def wim(name, editions):
        path = os.path.join(wims, name)
        for i, edition in enumerate(editions):
            wimlib("capture" if i == 0 else "append", source, path, edition.split()[-1],
                   "--image-property", "DISPLAYDESCRIPTION=" + edition)
        return path

    empty = wim("empty.wim", EDITIONS[:1])
    wimlib("delete", empty, "1")  # a WIM whose listing has no IMAGE element
    contents = {
        "one": wim("one.wim", EDITIONS[2:3]),
        "four": wim("four.wim", EDITIONS),
        "empty": empty,
        "nowim": None,
    }
    # A folder and names with blanks and Chinese, as users' downloads have.
    isos = os.path.join(folder, "本地 镜像")
    os.makedirs(isos)
    made = {}
    for name, install in contents.items():
        tree = os.path.join(folder, "tree-" + name)
        os.makedirs(os.path.join(tree, "sources"))
        with open(os.path.join(tree, "setup.txt"), "w") as f:
            f.write(name + "\n")
        if install:
            shutil.copy(install, os.path.join(tree, "sources", "install.wim"))
        iso = os.path.join(isos, "Win10 %s 镜像.iso" % name)
        subprocess.run(["xorriso", "-as", "mkisofs", "-quiet", "-R", "-J", "-V", "WIN10_" + name.upper(), "-o", iso,
                        tree], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        extracted = iso + ".files"
        os.makedirs(extracted)
        subprocess.run(["xorriso", "-osirrox", "on", "-indev", iso, "-extract", "/", extracted], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        made[name] = iso
    return made


def windows_path(host_path):
    """Wine's Z: is the host's root."""
    return "Z:" + host_path.replace("/", "\\")


class Choice:
    """qnbdiag iso-choose running in the box; its JSON answer and tool log once it has ended."""

    def __init__(self, s, isos, env=None, store=False):
        self.out = tempfile.TemporaryFile()
        self.err = tempfile.TemporaryFile()
        full = dict(s.box.env)
        full.update(env or {})
        args = [windows_path(s.shared["isos"][name]) for name in isos] + (["--store"] if store else [])
        self.process = subprocess.Popen(["wine", s.shared["session"].qnbdiag, "iso-choose", *args], env=full,
                                        stdout=self.out, stderr=self.err)

    def finish(self, timeout=120):
        code = self.process.wait(timeout=timeout)
        self.out.seek(0)
        self.err.seek(0)
        text = self.out.read().decode("utf-8", "replace")
        self.log = self.err.read().decode("utf-8", "replace")
        if code != 0:
            raise AssertionError("iso-choose ended with %d: %s %s" % (code, text, self.log))
        return json.loads(text)


def page(session):
    controls = session.controls(WINDOW)
    return controls["iso_info_tab"]["value"], controls["combo_image"]


def wait_page1(session):
    return session.poll(lambda: page(session)[0] == 1 and page(session)[1], seconds=60, what="page 1")


def one_image(s):
    """One image: the window closes by itself with result 1, ready, image 1."""
    choice = Choice(s, ["one"], TEST_BACKEND)
    answer = choice.finish()["choices"][0]
    s.expect((answer["result"], answer["ready"], answer["image"]) == (1, True, 1), "answer %s" % answer)
    s.check("-infile -mount Y: \"%s\"" % windows_path(s.shared["isos"]["one"]) in choice.log,
            "the ISO path goes quoted to isocmd: %s" % choice.log)
    s.check("-e Y:" in choice.log and "start" in choice.log.split("-e Y:")[0], "unmounted again")


def four_images(s):
    """Four images: page 1 with four items, the fourth selected; ok takes it."""
    session = s.shared["session"]
    choice = Choice(s, ["four"], TEST_BACKEND)
    session.wait(WINDOW, 60)
    tab, _ = page(session)
    s.check(tab == 0, "page 0 first, not %s" % tab)
    session.screenshot(WINDOW, os.path.join(s.shared["screens"], "iso-analysing.png"))
    combo = wait_page1(session)
    s.check(combo["items"] == EDITIONS, "the items %s" % combo["items"])
    s.check(combo["value"] == 3 and combo["text"] == EDITIONS[3], "the fourth is selected: %s" % combo["value"])
    time.sleep(0.3)  # the page switch painted
    session.screenshot(WINDOW, os.path.join(s.shared["screens"], "iso-choice.png"))
    session.click(WINDOW, "ok")
    answer = choice.finish()["choices"][0]
    s.expect((answer["result"], answer["ready"], answer["image"]) == (1, True, 4), "answer %s" % answer)


def four_images_first(s):
    """Choosing the first of four yields image 1."""
    session = s.shared["session"]
    choice = Choice(s, ["four"], TEST_BACKEND)
    session.wait(WINDOW, 60)
    wait_page1(session)
    session.ui("choose", WINDOW, "combo_image", 0)
    session.poll(lambda: page(session)[1]["value"] == 0, what="the first item selected")
    session.click(WINDOW, "ok")
    answer = choice.finish()["choices"][0]
    s.expect((answer["result"], answer["image"]) == (1, 1), "answer %s" % answer)


def no_install_wim(s):
    """An ISO without sources\\install.wim is taken without an image number."""
    answer = Choice(s, ["nowim"], TEST_BACKEND).finish()["choices"][0]
    s.expect((answer["result"], answer["ready"], answer["image"]) == (1, False, 0), "answer %s" % answer)


def no_image_element(s):
    """A listing without IMAGE elements: the message, then result 2."""
    session = s.shared["session"]
    choice = Choice(s, ["empty"], TEST_BACKEND)
    box = session.wait_message("错误", 60)
    s.check(box["text"] == UNREADABLE, "the message says %r" % box["text"])
    session.answer("错误", "ok")
    answer = choice.finish()["choices"][0]
    s.expect((answer["result"], answer["ready"], answer["image"]) == (2, True, 0), "answer %s" % answer)


def second_choice_and_store(s):
    """Two choices in one run deploy the tools once; the catalogue page's
    store puts the last choice into SETTING.JSON."""
    session = s.shared["session"]
    temp = s.shared["temp"]

    def tool_folders():
        return {f for f in os.listdir(temp) if os.path.isdir(os.path.join(temp, f, "isocmd"))}
    before = tool_folders()
    with MachineDrives(s.box, machine_path("second-disk-first")) as drives:
        env = dict(TEST_BACKEND, **drives.env())
        choice = Choice(s, ["four", "one"], env, store=True)
        session.wait(WINDOW, 60)
        wait_page1(session)
        session.ui("choose", WINDOW, "combo_image", 1)
        session.click(WINDOW, "ok")
        answer = choice.finish()
        first, second = answer["choices"]
        s.check((first["result"], first["image"], first["stored"]) == (1, 2, True), "first %s" % first)
        s.check((second["result"], second["image"], second["stored"]) == (1, 1, True), "second %s" % second)
        s.check((answer["isocmd_deployments"], answer["imagex_deployments"]) == (1, 1),
                "deployed once each: %s" % answer)
        s.check(choice.log.count("the payload has no") == 0, choice.log)
        with open(drives.host("E:\\Quenbrook\\Data\\SETTING.JSON"), "rb") as f:
            setting = json.loads(f.read().decode("gbk"))
        s.expect(setting["bLocalImage"] is True, "bLocalImage %s" % setting["bLocalImage"])
        s.expect(setting["strImagePath"] == windows_path(s.shared["isos"]["one"]), setting["strImagePath"])
        s.expect(setting["nWIMPart"] == 1, "nWIMPart %s" % setting["nWIMPart"])
    made = tool_folders() - before
    s.check(len(made) == 1, "one new tools folder in the temporary folder: %s" % sorted(made))


def windows7_cannot_mount(s):
    """isocmd on Wine's default Windows 7, as on a user's Windows 7: it
    cannot attach ISO files, so the ISO is taken without an edition and no
    letter is reserved."""
    choice = Choice(s, ["four"])
    answer = choice.finish()["choices"][0]
    s.check((answer["result"], answer["ready"], answer["image"]) == (1, False, 0), "answer %s" % answer)
    s.check("-i" in choice.log and "-c 1" not in choice.log, "asked -p and -i only: %s" % choice.log)


runner = Runner(__doc__, prefix="qnb-iso", gui=True)
runner.argument("--build", required=True, help="the win64 build folder")
runner.argument("--screens", help="copy the window's screenshots here")


@runner.shared
def shared(box, args, xvfb):
    box.hide_system_ntdll()
    work = tempfile.mkdtemp(prefix="qnb-isos.")
    shots = os.path.join(work, "screens")
    os.makedirs(shots)
    try:
        users = os.path.join(box.drive_c(), "users")
        user = next(u for u in os.listdir(users) if u != "Public")
        yield {"session": UiSession(box, xvfb, os.path.abspath(args.build)), "isos": make_isos(work),
               "screens": shots, "temp": os.path.join(users, user, "Temp")}
        if args.screens:
            for name in os.listdir(shots):
                shutil.copy(os.path.join(shots, name), os.path.join(args.screens, name))
    finally:
        shutil.rmtree(work, ignore_errors=True)


@runner.after_each
def end_programs(s):
    subprocess.run(["wineserver", "-k"], env=s.box.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


for scenario in [one_image, four_images, four_images_first, no_install_wim, no_image_element,
                 second_choice_and_store, windows7_cannot_mount]:
    runner.scenario(scenario)


if __name__ == "__main__":
    sys.exit(runner.main())
