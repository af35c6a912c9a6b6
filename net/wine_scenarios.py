#!/usr/bin/env python3
"""The network services of the Windows build under Wine, against the local test service.

Runs qnbdiag.exe in one Wine prefix: the HTTP client over Winsock, one
request of each service API call, usage reports, the hardware address, and
the program's own start-up report and service threads on a simulated
machine: the catalogue is failed while the service is down and loads once
it is up, the package URL lands in SETTING.JSON, the update answer is kept,
and the workspace copy of the program and the desktop shortcut exist.
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(TOP, "testbed"))
sys.path.insert(0, os.path.join(TOP, "testbed", "service"))
from localservice import LocalService, free_port, generated_sha256  # noqa: E402
from machine_drives import MachineDrives, machine_path  # noqa: E402
from scenarios import Runner  # noqa: E402

CATALOGUE = "/soft/quenbrook-reinstall/v2/syslist/"


runner = Runner(__doc__, prefix="qnb-net")
runner.argument("--qnbdiag", required=True)


def diag(s, *args, env=None):
    return s.box.run([s.args.qnbdiag] + list(args), env=env, capture_output=True, timeout=300)


def diag_json(s, *args, env=None):
    result = diag(s, *args, env=env)
    try:
        return result.returncode, json.loads(result.stdout.decode("utf-8"))
    except ValueError:
        s.problems.append("%s printed no JSON: %r %r" % (args, result.stdout[:300], result.stderr[:300]))
        return result.returncode, {}


# The HTTP client over Winsock.

@runner.scenario
def http_client(s):
    with tempfile.TemporaryDirectory() as folder:
        body = os.urandom(3 * 1024 * 1024 + 17)
        small = os.urandom(700)
        with open(os.path.join(folder, "big.bin"), "wb") as f:
            f.write(body)
        with open(os.path.join(folder, "small.bin"), "wb") as f:
            f.write(small)
        with LocalService(files=folder) as service:
            for path, expected in [("/files/big.bin", body),
                                   ("/files/small.bin?chunked=9&split=1&gap_ms=1", small),
                                   ("/files/small.bin?chunked=100&cuts=20,37,38,39,40,41,42,43,44", small)]:
                result = diag(s, "http-get", service.url(path))
                s.check(result.returncode == 0 and result.stdout == expected,
                        "http-get %s: exit %d, %d bytes" % (path, result.returncode, len(result.stdout)))
            result = diag(s, "http-get", service.url("/files/missing.bin"))
            s.check(result.returncode == 1 and b"error 0" in result.stderr,
                    "http-get of a 404: exit %d, %r" % (result.returncode, result.stderr))
            entry = service.requests("files")[0]
            s.check(entry["user_agent"].startswith("Mozilla/5.0 (Windows NT 6.3; Win64; x64)"),
                    "User-Agent %r" % entry["user_agent"])


# One request of each API call, and the reports.

@runner.scenario
def service_calls(s):
    with MachineDrives(s.box, machine_path("one-disk-c-d")) as drives, \
            LocalService(switches={"update": "must"}) as service:
        env = dict(drives.env(), QNB_API_HOST="127.0.0.1", QNB_API_PORT=str(service.port),
                   QNB_REPORT_HOST="127.0.0.1", QNB_REPORT_PORT=str(service.port))
        code, catalogue = diag_json(s, "catalogue", env=env)
        entries = catalogue.get("entries", [])
        s.check(code == 0 and catalogue.get("count") == 6 and len(entries) == 6,
                "catalogue: exit %d, %r" % (code, catalogue.get("count")))
        if entries:
            s.check(entries[0]["name"] == "Windows 10 64位 专业版" and entries[0]["size"] == 12582912,
                    "first entry %r" % entries[0])
            s.check([e["selected"] for e in entries] == [True] + [False] * 5,
                    "on Windows 10 64-bit the recommended 64-bit image alone is selected")
            s.check([g["name"] for g in catalogue["groups"]] == ["Windows 10 系统", "Windows 7 系统", "其他系统"],
                    "groups %r" % catalogue["groups"])

        code, package = diag_json(s, "getpe", env=env)
        # The package's address, with its hash in the fragment.
        url = service.base + "/gen/3145728/TessalyPE.wim#sha256=" + generated_sha256(3145728)
        s.check(code == 0 and package.get("url") == url, "getpe %r" % package)
        setting = open(drives.host("D:\\Quenbrook\\Data\\SETTING.JSON"), "rb").read().decode("gbk")
        s.check(json.loads(setting)["LocalPeUrl"] == url, "LocalPeUrl in SETTING.JSON: %s" % setting)

        code, update = diag_json(s, "update", env=env)
        s.check(code == 0 and update.get("state") == 1 and update.get("must") is True
                and update.get("vername") == "2.1.0", "update %r" % update)
        s.check(service.requests("update")[0]["query"] == "ver=20190404", "update query")

        code, mac = diag_json(s, "mac")
        host_macs = set()
        for name in os.listdir("/sys/class/net"):
            with open(os.path.join("/sys/class/net", name, "address")) as f:
                host_macs.add(f.read().strip().replace(":", "-"))
        host_macs.discard("00-00-00-00-00-00")
        s.check(mac.get("mac") in host_macs or (not host_macs and mac.get("mac") == ""),
                "mac %r is not one of the host's %r" % (mac.get("mac"), host_macs))
        reported_mac = mac.get("mac", "").replace("-", "") or "NULL"

        for kind, path, query in [
                ("3", "backupclick", {"mac": reported_mac, "ver": "20190404", "utm_source": "2001"}),
                ("7", "reinstallclick", None),
                ("1", "sysinfo", None)]:
            code, _ = diag_json(s, "report", kind, env=env)
            found = service.wait_for_log(lambda e: e["path"].endswith("/v2/%s/" % path), timeout=20)
            if not s.check(code == 0 and found, "report %s: exit %d, logged %r" % (kind, code, found)):
                continue
            params = found[-1]["params"]
            if query:
                s.check(params == query, "report %s: %r" % (path, params))
            elif path == "sysinfo":
                s.check(set(params) == {"mav", "miv", "bn", "pt", "pa", "sp", "mac", "pi", "ver", "utm_source"}
                        and params["mac"] == reported_mac and int(params["mav"]) >= 5,
                        "start-up report %r" % params)
            else:
                s.check(params["old_sys"].count(".") == 2 and params["mac"] == reported_mac,
                        "reinstall wizard report %r" % params)


# The program's start-up threads.

def private_desktops(s):
    """Wine links the desktop folder to the host's home; gives the prefix its own."""
    users = os.path.join(s.box.drive_c(), "users")
    desktops = []
    for user in os.listdir(users):
        desktop = os.path.join(users, user, "Desktop")
        if os.path.islink(desktop):
            os.remove(desktop)
        os.makedirs(desktop, exist_ok=True)
        desktops.append(desktop)
    return desktops


def run_startup(s, drives, api_port, report_port, bring_up=None, seconds=120):
    """qnbdiag startup-services on the machine; bring_up() is called 4 s after the start."""
    env = dict(s.box.env, **drives.env())
    env.update(QNB_API_HOST="127.0.0.1", QNB_API_PORT=str(api_port),
               QNB_REPORT_HOST="127.0.0.1", QNB_REPORT_PORT=str(report_port),
               WINEDLLOVERRIDES=env.get("WINEDLLOVERRIDES", "") + ";winemenubuilder.exe=d")
    # Output into files, not pipes: a Wine helper process may hold a pipe open long after the program ended.
    with tempfile.TemporaryFile() as out_file, tempfile.TemporaryFile() as err_file:
        program = subprocess.Popen(["wine", s.args.qnbdiag, "startup-services", str(seconds)], env=env,
                                   stdout=out_file, stderr=err_file)
        try:
            if bring_up:
                time.sleep(4)
                bring_up()
            program.wait(timeout=240)
        finally:
            if program.poll() is None:
                program.kill()
                program.wait()
        out_file.seek(0)
        err_file.seek(0)
        out, err = out_file.read(), err_file.read()
    try:
        return json.loads(out.decode("utf-8"))
    except ValueError:
        s.problems.append("startup-services printed no JSON: %r %r" % (out[:300], err[:300]))
        return None


@runner.scenario
def startup_threads(s):
    """The service is down at start-up and comes up 4 s later."""
    desktops = private_desktops(s)
    api_port = free_port()
    with MachineDrives(s.box, machine_path("one-disk-c-d")) as drives, \
            LocalService() as reports, LocalService(port=api_port) as api:
        api.stop()
        state = run_startup(s, drives, api_port, reports.port, bring_up=api.start)
        if state is None:
            return
        s.check(state["ready"], "the context is not ready")
        s.check(state["saw_catalogue_failed"], "the catalogue was never marked failed while the service was down")
        s.check(state["catalogue"]["count"] == 6, "catalogue count %r" % state["catalogue"]["count"])
        log = api.requests("syslist")
        s.check(len(log) == 1 and log[0]["query"] == "utm_source=2001",
                "one first catalogue request once the service was up: %r" % log)
        url = api.base + "/gen/3145728/TessalyPE.wim#sha256=" + generated_sha256(3145728)
        s.check(state["package_url"] == url, "package URL %r" % state["package_url"])
        setting = json.loads(open(drives.host("D:\\Quenbrook\\Data\\SETTING.JSON"), "rb").read().decode("gbk"))
        s.check(setting["LocalPeUrl"] == url, "LocalPeUrl %r" % setting["LocalPeUrl"])
        s.check(state["update"]["state"] == 0, "an update answer without a service: %r" % state["update"])

        copy = drives.host("D:\\Quenbrook\\Data\\QNBReinstaller.exe")
        with open(s.args.qnbdiag, "rb") as f:
            running = f.read()
        s.check(os.path.exists(copy) and open(copy, "rb").read() == running,
                "the workspace copy of the program is missing or differs")
        shortcuts = [os.path.join(d, "Tessaly重装助手.lnk") for d in desktops]
        s.check(any(os.path.exists(p) for p in shortcuts), "no shortcut in %r" % desktops)

        startup = reports.requests("report")
        s.check(len(startup) == 1 and startup[0]["path"].endswith("/v2/sysinfo/"),
                "one start-up report: %r" % startup)


@runner.scenario
def update_answer(s):
    """The service is up at start-up: the update answer is kept for the main window."""
    private_desktops(s)
    with MachineDrives(s.box, machine_path("one-disk-c-d")) as drives, \
            LocalService(switches={"update": "newer"}) as api:
        state = run_startup(s, drives, api.port, api.port)
        if state is None:
            return
        update = state["update"]
        s.check(update["state"] == 1 and update["status"] and not update["must"] and update["vername"] == "2.0.1"
                and update["url"] == api.base + "/download/", "update answer %r" % update)
        s.check(not state["saw_catalogue_failed"] and state["catalogue"]["count"] == 6,
                "catalogue %r" % state["catalogue"]["count"])


@runner.scenario
def diagnostic_log(s):
    """A start with the service down and a download that fails: the log names each failure with its code."""
    private_desktops(s)
    api_port, report_port, files_port = free_port(), free_port(), free_port()
    with MachineDrives(s.box, machine_path("one-disk-c-d")) as drives:
        state = run_startup(s, drives, api_port, report_port, seconds=6)
        if state is None:
            return
        workspace = "D:\\Quenbrook\\Data\\"
        url = "http://127.0.0.1:%d/gen/1048576/win10.iso" % files_port
        result = diag(s, "download", url, workspace, "--workspace", workspace, "--timeout", "240")
        s.check(result.returncode == 1, "the download of a server that is not there: exit %d, %r"
                % (result.returncode, result.stderr[-300:]))
        path = drives.host(workspace + "logs\\QNBReinstaller.log")
        s.expect(os.path.exists(path), "no log at %s" % path)
        text = open(path, "rb").read().decode("utf-8")
        refused = "error 10061"  # WSAECONNREFUSED
        expected = [
            "[startup] program ",
            "ready yes",
            "[catalogue] attempt 1 failed: connect 127.0.0.1:%d: %s" % (api_port, refused),
            "[package] attempt 1 failed: connect 127.0.0.1:%d: %s" % (api_port, refused),
            "[update] failed: connect 127.0.0.1:%d: %s" % (api_port, refused),
            "[report] failed: connect 127.0.0.1:%d: %s" % (report_port, refused),
            "[download] added D:\\Quenbrook\\Data\\win10.iso",
            "[download] win10.iso: engine status 1, engine error 1, event 1",
            "[download] win10.iso: state 3 -> 1",
        ]
        for line in expected:
            s.check(line in text, "the log lacks %r" % line)
        s.check(text.count("[catalogue] attempt") < 5, "a failure that does not change is not written again")
        s.check(all(l.endswith("\r") for l in text.split("\n")[:-1]), "lines end with CR LF")


if __name__ == "__main__":
    sys.exit(runner.main())
