#!/usr/bin/env python3
"""imagex against wimlib: for WIM files made by wimlib-imagex (one image;
four images with Chinese display descriptions; an image appended later; a
solid WIM), "imagex /xml /info WIM" prints XML whose IMAGE elements carry
the same INDEX, NAME and DISPLAYDESCRIPTION as "wiminfo --xml" gives for
the same file. A truncated or foreign file gets a clear message on
standard error, nothing on standard output and exit code 1.

    compare_with_wimlib.py --imagex build/native/tools/imagex/imagex
    compare_with_wimlib.py --imagex build/win32test/tools/imagex/imagex.exe --wine
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "testbed"))

EDITIONS = ["Windows 10 家庭版", "Windows 10 家庭中文版", "Windows 10 专业版", "Windows 10 教育版"]


def wimlib(*args):
    subprocess.run(["wimlib-imagex", *args], check=True, stdout=subprocess.DEVNULL)


def make_fixtures(folder):
    """{name: path} of the WIM files, and the files that are not WIMs."""
    source = os.path.join(folder, "source")
    os.makedirs(os.path.join(source, "Windows", "System32"))
    with open(os.path.join(source, "Windows", "System32", "说明.txt"), "w", encoding="utf-8") as f:
        f.write("x" * 5000)
    wims = {}

    def capture(name, edition, *extra):
        path = os.path.join(folder, name)
        wimlib("capture", source, path, edition.split()[-1], "描述 " + edition,
               "--image-property", "DISPLAYDESCRIPTION=" + edition, *extra)
        return path

    wims["one"] = capture("one.wim", EDITIONS[2])
    wims["four"] = capture("four.wim", EDITIONS[0])
    for edition in EDITIONS[1:]:
        wimlib("append", source, wims["four"], edition.split()[-1], "描述 " + edition,
               "--image-property", "DISPLAYDESCRIPTION=" + edition)
    wims["appended"] = os.path.join(folder, "appended.wim")
    shutil.copy(wims["one"], wims["appended"])
    wimlib("append", source, wims["appended"], "Later", "--compress=none",
           "--image-property", "DISPLAYDESCRIPTION=后来追加的映像")
    wims["solid"] = capture("solid.wim", EDITIONS[3], "--solid")

    broken = {}
    with open(wims["one"], "rb") as f:
        whole = f.read()
    broken["truncated header"] = whole[:100]
    broken["truncated description"] = whole[:len(whole) - 40]
    broken["foreign"] = b"PK\x03\x04" + b"\0" * 400
    paths = {}
    for name, data in broken.items():
        path = os.path.join(folder, name.replace(" ", "_") + ".wim")
        with open(path, "wb") as f:
            f.write(data)
        paths[name] = path
    return wims, paths


def images(xml_text):
    root = ElementTree.fromstring(xml_text)
    return [(image.get("INDEX"), image.findtext("NAME"), image.findtext("DISPLAYDESCRIPTION"))
            for image in root if image.tag.upper() == "IMAGE"]


class Native:
    def __init__(self, imagex):
        self.imagex = imagex

    def run(self, wim):
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run([self.imagex, "/xml", "/info", wim], stdout=out, stderr=err).returncode
            out.seek(0)
            err.seek(0)
            return code, out.read(), err.read()

    def close(self):
        pass


class UnderWine(Native):
    def __init__(self, imagex):
        from winebox import WineBox
        super().__init__(imagex)
        self.box = WineBox("qnb-imagex")

    def run(self, wim):
        # Wine's Z: is the host's root.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = self.box.run([self.imagex, "/xml", "/info", "Z:" + wim.replace("/", "\\")],
                                stdout=out, stderr=err).returncode
            out.seek(0)
            err.seek(0)
            return code, out.read(), err.read()

    def close(self):
        self.box.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--imagex", required=True)
    parser.add_argument("--wine", action="store_true", help="run imagex.exe under Wine")
    args = parser.parse_args()
    tool = UnderWine(args.imagex) if args.wine else Native(args.imagex)
    problems = []
    checked = 0
    try:
        with tempfile.TemporaryDirectory(prefix="qnb-imagex.") as folder:
            wims, broken = make_fixtures(folder)
            for name, wim in wims.items():
                expected = images(subprocess.run(["wiminfo", wim, "--xml"], check=True,
                                                 stdout=subprocess.PIPE).stdout.decode("utf-16"))
                code, out, err = tool.run(wim)
                checked += 1
                if code != 0:
                    problems.append("%s: exit %d: %s" % (name, code, err.decode("utf-8", "replace").strip()))
                    continue
                got = images(out.decode("utf-8"))
                if got != expected or not expected:
                    problems.append("%s: imagex lists %s, wiminfo %s" % (name, got, expected))
            for name, path in broken.items():
                code, out, err = tool.run(path)
                checked += 1
                message = err.decode("utf-8", "replace").strip()
                if code != 1 or out or "imagex: " not in message:
                    problems.append("%s: exit %d, output %r, message %r" % (name, code, out[:60], message))
    finally:
        tool.close()
    for problem in problems:
        print(problem)
    print("%d passed, %d failed" % (checked - len(problems), len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
