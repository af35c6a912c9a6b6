#!/usr/bin/env python3
"""qnbdiag download under Wine against the local test service.

The real program path: the payload's xldl.dll deployed into a protected
folder, CDownloadManager's worker driving it, WinHTTP on loopback. Checks
what lands on disk byte for byte, what the service was asked, and the
manager's rules: restore from Download.json, resume after a kill, restart of
a stalled download, the retry counts to failure on a broken server, the
check of a download against the hash its address names, and the program
itself starting on hostile Download.json files.
"""

import hashlib
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
sys.path.insert(0, os.path.join(TESTBED, "service"))
from localservice import LocalService, generated_bytes  # noqa: E402
from machine_drives import MachineDrives, machine_path  # noqa: E402
from nginx_server import NginxServer  # noqa: E402
from scenarios import Runner  # noqa: E402
from ui_session import UiSession  # noqa: E402


def sha(data):
    return hashlib.sha256(data).hexdigest()


class Shared:
    def __init__(self, service, drive):
        self.service = service
        self.drive = drive  # host folder shown as T:


runner = Runner(__doc__, prefix="qnb-download", gui=True)
runner.argument("--qnbdiag", required=True)
runner.argument("--build", required=True, help="the win64 build, for the program itself")


def host(s, *parts):
    return os.path.join(s.shared.drive, *parts)


def download(s, url, timeout=180, workspace="T:\\Data", extra=()):
    # The workspace is the folder the downloads go to, as in the program (its log goes to its logs\).
    return s.box.run([s.args.qnbdiag, "download", url, "T:\\Data", "--workspace", workspace,
                      "--timeout", str(timeout), *extra],
                     capture_output=True, text=True, timeout=timeout + 60)


def records(s):
    path = host(s, "Data", "Download.json")
    return json.loads(open(path, "rb").read()) if os.path.exists(path) else None


def gen_requests(service, name):
    return [e for e in service.log() if e["group"] == "gen" and e["path"].endswith("/" + name)]


@runner.scenario
def complete_and_restored(s):
    service = s.shared.service
    size = 24 << 20
    url = service.url("/gen/%d/win10.gho" % size)
    run = download(s, url)
    s.check(run.returncode == 0, "a download from the test service completes (exit %d: %s)"
            % (run.returncode, run.stderr.strip()[-300:]))
    path = host(s, "Data", "win10.gho")
    data = open(path, "rb").read() if os.path.exists(path) else b""
    s.check(sha(data) == sha(generated_bytes(size)), "the file is byte-identical to the source")
    leftovers = [n for n in os.listdir(host(s, "Data")) if n not in ("win10.gho", "Download.json", "logs")]
    s.check(leftovers == [], "no partial or control file is left (%s)" % leftovers)
    ranges = [e["range"] for e in gen_requests(service, "win10.gho")]
    s.check(len(ranges) >= 4 and all(r and r.startswith("bytes=") for r in ranges),
            "several connections fetch ranges (%d requests)" % len(ranges))
    s.check(records(s) == {"count": 1, "list": [{"url": url, "file": "T:\\Data\\win10.gho", "size": size}]},
            "Download.json records the completed download with its size (%s)" % records(s))

    before = len(service.log())
    run = download(s, url)
    s.check(run.returncode == 0 and "state 4 percent 100" in run.stdout,
            "a later start restores the completed record from Download.json")
    s.check(len(service.log()) == before, "and does not fetch it again")


@runner.scenario
def resume_after_kill(s):
    service = s.shared.service
    size = 32 << 20
    # Eight connections of 1 MiB/s: about four seconds, looked at once a second.
    url = service.url("/gen/%d/resume.gho" % size, rate=str(1 << 20))
    control = host(s, "Data", "resume.gho.qnbdl.ctl")
    process = subprocess.Popen(["wine", s.args.qnbdiag, "download", url, "T:\\Data", "--timeout", "120"],
                               env=s.box.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    halfway = False
    deadline = time.time() + 60
    for line in process.stdout:
        parts = line.split()
        if len(parts) > 5 and parts[0] == "state" and int(parts[5]) >= 0.4 * size:
            halfway = True
            break
        if time.time() > deadline:
            break
    process.kill()
    process.wait()
    time.sleep(1)
    s.check(halfway and os.path.exists(control), "killed at about half way with its control file on disk")
    first_run = len(gen_requests(service, "resume.gho"))
    run = download(s, url)
    s.check(run.returncode == 0, "the next start completes the download")
    data = open(host(s, "Data", "resume.gho"), "rb").read()
    s.check(sha(data) == sha(generated_bytes(size)), "the resumed file is byte-identical to the source")
    later = gen_requests(service, "resume.gho")[first_run:]
    starts = [int(e["range"].split("=")[1].split("-")[0]) for e in later if e["range"]]
    s.check(starts and min(starts) > 0, "the next start asks only for what was missing (from %s)"
            % (min(starts) if starts else None))


@runner.scenario
def stalled(s):
    service = s.shared.service
    size = 6 << 20
    # The first answer sends a little and then nothing: the download stops, fails over and starts again.
    url = service.url("/gen/%d/stall.gho" % size, stall_after="65536", times="1")
    started = time.time()
    run = download(s, url, timeout=150)
    s.check(run.returncode == 0, "a stalled download is restarted and completes (%.0f s)" % (time.time() - started))
    data = open(host(s, "Data", "stall.gho"), "rb").read()
    s.check(sha(data) == sha(generated_bytes(size)), "the restarted file is byte-identical to the source")


@runner.scenario
def redirected(s):
    service = s.shared.service
    # A redirect is followed by WinHTTP; the ranges then go to where it led.
    size = 12 << 20
    www = tempfile.mkdtemp(prefix="qnb-www-")
    try:
        with open(os.path.join(www, "moved.gho"), "wb") as f:
            f.write(generated_bytes(size, seed=5))
        with NginxServer(www) as nginx:
            run = download(s, nginx.url("redirect/moved.gho"))
            requests = nginx.requests()
    finally:
        shutil.rmtree(www, ignore_errors=True)
    s.check(run.returncode == 0, "a redirected download completes")
    data = open(host(s, "Data", "moved.gho"), "rb").read()
    s.check(sha(data) == sha(generated_bytes(size, seed=5)), "the redirected file is byte-identical to the source")
    statuses = [r[0] for r in requests]
    s.check(statuses[:1] == [302] and len(statuses) > 2 and set(statuses[1:]) == {206},
            "the redirect is followed once and the ranges go to its target (%s)" % statuses)


@runner.scenario
def chunked_through_winhttp(s):
    service = s.shared.service
    # Chunked answers are WinHTTP's to read: the whole download goes through it.
    size = 6 << 20
    url = service.url("/gen/%d/chunked.gho" % size, chunked="65536")
    run = download(s, url)
    s.check(run.returncode == 0, "a download of chunked answers completes through WinHTTP")
    data = open(host(s, "Data", "chunked.gho"), "rb").read()
    s.check(sha(data) == sha(generated_bytes(size)), "the file read through WinHTTP is byte-identical")
    ranges = [e["range"] for e in gen_requests(service, "chunked.gho")]
    s.check(len(ranges) >= 2 and all(ranges), "WinHTTP asks for ranges too (%d requests)" % len(ranges))


@runner.scenario
def broken_server(s):
    service = s.shared.service
    url = service.url("/gen/1048576/broken.gho", fail="500")
    run = download(s, url, timeout=120)
    s.check(run.returncode == 1 and "state 1" in run.stdout, "a server that always fails ends in state 1")
    retries = [int(l.split()[-1]) for l in run.stdout.splitlines() if l.startswith("state")]
    s.check(retries and retries[-1] == 10, "the failure is reported with 10 retries")
    count = len(gen_requests(service, "broken.gho"))
    # One start, four restarts of the same task, then six new tasks: eleven tries in all.
    s.check(count == 11, "the engine was asked 11 times (%d)" % count)
    s.check(not os.path.exists(host(s, "Data", "broken.gho")), "nothing is left under the final name")


@runner.scenario
def verified_by_hash(s):
    service = s.shared.service
    size = 20 << 20
    digest = sha(generated_bytes(size))
    url = service.url("/gen/%d/hashed.gho" % size) + "#sha256=" + digest
    run = download(s, url, extra=["--handover"])
    s.check(run.returncode == 0 and "handed over T:\\Data\\hashed.gho" in run.stdout,
            "a download whose bytes have the hash its address names completes and is handed over (exit %d: %s)"
            % (run.returncode, run.stderr.strip()[-300:]))
    s.check(records(s) == {"count": 1, "list": [{"url": url, "file": "T:\\Data\\hashed.gho", "sha256": digest,
                                                  "size": size}]},
            "Download.json keeps the hash (%s)" % records(s))
    asked = gen_requests(service, "hashed.gho")
    s.check(asked and not any("sha256" in e["path"] + e["query"] or "#" in e["path"] for e in asked),
            "the hash never goes on the wire")


@runner.scenario
def corrupted(s):
    service = s.shared.service
    size = 20 << 20
    digest = sha(generated_bytes(size))
    # One byte in the middle of the file arrives changed.
    url = service.url("/gen/%d/bad.gho" % size, corrupt=str(size // 2 + 12345)) + "#sha256=" + digest
    run = download(s, url)
    states = [l.split()[1] for l in run.stdout.splitlines() if l.startswith("state")]
    s.check(run.returncode == 1 and states[-1:] == ["1"],
            "a download whose bytes are not the named ones fails as a failed download does (exit %d, states %s)"
            % (run.returncode, states))
    left = [n for n in os.listdir(host(s, "Data")) if n != "logs"] if os.path.isdir(host(s, "Data")) else []
    s.check(left == [], "no file is left, neither the image nor its partial or control file (%s)" % left)
    s.check(records(s) is None, "nothing is recorded as complete")


@runner.scenario
def changed_on_disk(s):
    service = s.shared.service
    size = 8 << 20
    digest = sha(generated_bytes(size))
    url = service.url("/gen/%d/changed.gho" % size) + "#sha256=" + digest
    s.expect(download(s, url).returncode == 0, "the first download completes")
    path = host(s, "Data", "changed.gho")
    with open(path, "r+b") as f:  # the same size, one byte other
        f.seek(size // 3)
        byte = f.read(1)
        f.seek(size // 3)
        f.write(bytes([byte[0] ^ 1]))
    before = len(gen_requests(service, "changed.gho"))
    run = download(s, url, extra=["--handover"])
    s.check(run.returncode == 1 and "not handed over" in run.stderr and "handed over" not in run.stdout,
            "a complete record whose file changed on disk is not handed to the installer (exit %d: %s)"
            % (run.returncode, (run.stdout + run.stderr).strip()[-300:]))
    s.check(len(gen_requests(service, "changed.gho")) == before, "it was taken from Download.json, not fetched")
    # A file of another size is not even restored at start: it is fetched again.
    with open(path, "ab") as f:
        f.write(b"x")
    run = download(s, url, extra=["--handover"])
    s.check(run.returncode == 0 and "handed over" in run.stdout,
            "a file of another size is fetched anew and then handed over (exit %d)" % run.returncode)
    s.check(len(gen_requests(service, "changed.gho")) > before, "it was fetched again")
    s.check(sha(open(path, "rb").read()) == digest, "and is the named file again")


def hostile_records(drive_folder):
    """Download.json files no run of the program wrote, with the files they name."""
    data = os.path.join(drive_folder, "Quenbrook", "Data")
    os.makedirs(os.path.join(data, "logs"), exist_ok=True)
    with open(os.path.join(data, "b.gho"), "wb") as f:
        f.write(b"12345")
    entry = {"url": "http://img.example/b.gho", "file": "E:\\Quenbrook\\Data\\b.gho"}
    large = {"count": 1, "list": [entry], "pad": "x" * (10 << 20)}
    hostile = {"count": 99999999999, "list": [
        {"url": 5, "file": entry["file"]},
        {"url": "http://img.example/a", "file": [entry["file"]]},
        {"url": "http://img.example/logs", "file": "E:\\Quenbrook\\Data\\logs"},
        {"url": "http://img.example/s", "file": entry["file"], "size": -5},
        {"url": "http://img.example/h", "file": entry["file"], "sha256": "zz"},
        {"url": "http://img.example/n", "file": entry["file"], "size": 6},
        7, None, [entry]]}
    return {
        "nested 5,000 deep": ("[" * 5000 + "]" * 5000).encode(),
        "10 MB": json.dumps(large).encode(),
        "hostile entries": json.dumps(hostile).encode(),
    }


@runner.scenario
def program_starts_on_hostile_records(s):
    session = UiSession(s.box, s.xvfb, s.args.build)
    with MachineDrives(s.box, machine_path("second-disk-first")) as drives:
        for what, data in hostile_records(drives.folders["E"]).items():
            with open(drives.host("E:\\Quenbrook\\Data\\Download.json"), "wb") as f:
                f.write(data)
            log = drives.host("E:\\Quenbrook\\Data\\logs\\QNBReinstaller.log")
            if os.path.exists(log):
                os.remove(log)
            program = session.start(env=drives.env())
            try:
                session.wait("PEInstallerDlg")
                # The deployment job reads Download.json; its end is in the log.
                deadline = time.time() + 60
                text = ""
                while time.time() < deadline and "[engine] " not in text:
                    time.sleep(0.2)
                    text = open(log, encoding="utf-8", errors="replace").read() if os.path.exists(log) else ""
                restored = [l for l in text.splitlines() if "Download.json:" in l]
                s.check(restored and ": 0 complete downloads restored of " in restored[-1],
                        "%s: nothing is restored (%s)" % (what, restored))
                s.check(program.poll() is None and session.window("PEInstallerDlg"),
                        "%s: the program runs on with its main window" % what)
            finally:
                code = session.stop(program)
            s.check(code == 0, "%s: the program ends normally (exit %s)" % (what, code))


@runner.shared
def service_and_drive(box, args, xvfb):
    drive = tempfile.mkdtemp(prefix="qnb-downloads-")
    try:
        with LocalService() as service:
            box.map_drive("T", drive)
            yield Shared(service, drive)
    finally:
        shutil.rmtree(drive, ignore_errors=True)


@runner.before_each
def empty_drive(s):
    """Each scenario starts on an empty drive."""
    for entry in os.listdir(s.shared.drive):
        path = os.path.join(s.shared.drive, entry)
        shutil.rmtree(path) if os.path.isdir(path) else os.remove(path)


if __name__ == "__main__":
    sys.exit(runner.main())
