"""Drive folders for a simulated machine inside a WineBox.

Every drive letter of a machine description gets a fresh host folder, mapped
as that drive of the Wine prefix, so that the files the program writes on the
simulated machine are real and can be inspected.
"""

import json
import os
import shutil
import tempfile

MACHINES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "machines")


def machine_path(name):
    return os.path.join(MACHINES, name + ".json")


def described_letters(description):
    letters = []
    for disk in description.get("disks", []):
        for partition in disk.get("partitions", []):
            letter = partition.get("volume", {}).get("letter", "")
            if letter:
                letters.append(letter)
    return letters


class MachineDrives:
    """Maps the letters of one description (plus EXTRA letters) to new folders."""

    def __init__(self, box, description_path, extra=()):
        self.box = box
        self.path = os.path.abspath(description_path)
        with open(self.path, encoding="utf-8") as f:
            self.description = json.load(f)
        self.root = tempfile.mkdtemp(prefix="qnb-drives.")
        self.folders = {}
        for letter in described_letters(self.description) + list(extra):
            if letter == "C":
                continue  # C: stays the prefix's own drive, where Wine lives
            folder = os.path.join(self.root, letter)
            os.makedirs(folder, exist_ok=True)
            box.map_drive(letter, folder)
            self.folders[letter] = folder

    def host(self, windows_path):
        """The host path of a path on one of the mapped drives ("D:\\a\\b")."""
        letter, rest = windows_path[0].upper(), windows_path[2:].strip("\\")
        return os.path.join(self.folders[letter], *[p for p in rest.split("\\") if p])

    def env(self):
        return {"QNB_SIM_MACHINE": self.path}

    def close(self):
        for letter in self.folders:
            self.box.unmap_drive(letter)
        shutil.rmtree(self.root, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
