"""Starting, steering and stopping the local test service (service.py) from tests.

    from localservice import LocalService, generated_bytes

    with LocalService(files="/tmp/files", switches={"rate": "65536"}) as service:
        url = service.url("/gen/1048576/a.bin")
        service.set(fail="503", times="2")   # the API answers fail twice, then succeed
        ...
        service.wait_for_log(lambda e: e["group"] == "report")
        print(service.log())

The service runs as a child process on a free loopback port (or the given
one) and is ended by its own process id; nothing else is touched.
"""

import json
import os
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
SERVICE = os.path.join(HERE, "service.py")
sys.path.insert(0, HERE)
from service import generated_range, generated_sha256  # noqa: E402,F401  (re-exported for tests)

API_PATHS = {
    "syslist": "/soft/quenbrook-reinstall/v2/syslist/",
    "getpe": "/soft/quenbrook-reinstall/v2/getpe/",
    "update": "/soft/quenbrook-reinstall/v2/update/",
}
REPORT_PATH = "/api/soft/quenbrook_reinstall/v2/%s/"


def generated_bytes(size, seed=0):
    """The body that /gen/SIZE (with seed=SEED) serves."""
    return generated_range(seed, 0, size)


def free_port():
    """A loopback port that was free a moment ago (for a service started later on it)."""
    import socket
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class LocalService:
    def __init__(self, port=0, files=None, switches=None, log=None, catalogue=None):
        self.requested_port = port
        self.files = files
        self.switches = dict(switches or {})
        self.catalogue = catalogue
        self._own_log = log is None
        if log is None:
            fd, log = tempfile.mkstemp(prefix="qnb-service.", suffix=".log")
            os.close(fd)
        self.log_path = log
        self.process = None
        self.port = None

    # Life

    def start(self, timeout=10):
        command = [sys.executable, SERVICE, "--port", str(self.requested_port), "--log", self.log_path]
        if self.files:
            command += ["--files", self.files]
        if self.catalogue:
            command += ["--catalogue", self.catalogue]
        for name, value in self.switches.items():
            command += ["--set", "%s=%s" % (name, value)]
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, stdin=subprocess.DEVNULL)
        deadline = time.monotonic() + timeout
        line = self.process.stdout.readline().decode().strip()
        if not line.startswith("PORT ") or time.monotonic() > deadline:
            self.stop()
            raise RuntimeError("the test service did not start: %r" % line)
        self.port = int(line.split()[1])
        return self

    def stop(self):
        """Ends the service by its process id and waits for it."""
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        if self.process and self.process.stdout:
            self.process.stdout.close()
        self.process = None

    def close(self):
        self.stop()
        if self._own_log and os.path.exists(self.log_path):
            os.remove(self.log_path)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.close()

    @property
    def pid(self):
        return self.process.pid if self.process else None

    # Addresses

    @property
    def host(self):
        return "127.0.0.1"

    @property
    def base(self):
        return "http://127.0.0.1:%d" % self.port

    def url(self, path, **params):
        query = ("?" + urllib.parse.urlencode(params)) if params else ""
        return self.base + path + query

    # Switches

    def _control(self, what, params=None):
        url = self.url("/_control/" + what, **(params or {}))
        with urllib.request.urlopen(url, timeout=10) as answer:
            return json.loads(answer.read().decode())

    def set(self, **switches):
        """Sets switches (names with a group use "__" for the dot: syslist__fail="500")."""
        return self._control("set", {k.replace("__", "."): str(v) for k, v in switches.items()})

    def reset(self):
        return self._control("reset")

    def state(self):
        return self._control("state")

    # Log

    def log(self):
        """Every logged request so far (the control paths are not logged)."""
        entries = []
        with open(self.log_path, encoding="utf-8") as f:
            for line in f:
                if line.endswith("\n"):
                    entries.append(json.loads(line))
        return entries

    def requests(self, group):
        return [e for e in self.log() if e["group"] == group]

    def wait_for_log(self, predicate, timeout=30, count=1):
        """The log entries that match, once there are at least COUNT of them; None on time-out."""
        deadline = time.monotonic() + timeout
        while True:
            found = [e for e in self.log() if predicate(e)]
            if len(found) >= count:
                return found
            if time.monotonic() > deadline:
                return None
            time.sleep(0.1)
