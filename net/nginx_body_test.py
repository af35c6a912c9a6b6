#!/usr/bin/env python3
"""The HTTP client against a real nginx on loopback: a body of several MB
sent with a Content-Length arrives exactly, and a 404 is a failure.

nginx runs in the foreground as a single process with its own configuration
in a temporary folder, and is ended by its process id.
"""

import argparse
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

CONFIG = """daemon off;
master_process off;
pid {root}/nginx.pid;
error_log {root}/error.log;
events {{ worker_connections 64; }}
http {{
    access_log off;
    sendfile {sendfile};
    client_body_temp_path {root}/body;
    proxy_temp_path {root}/proxy;
    fastcgi_temp_path {root}/fastcgi;
    uwsgi_temp_path {root}/uwsgi;
    scgi_temp_path {root}/scgi;
    server {{
        listen 127.0.0.1:{port};
        root {root}/www;
    }}
}}
"""


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_listening(port, process, timeout=10):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if process.poll() is not None:
            return False
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return True
        except OSError:
            time.sleep(0.05)
    return False


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--qnbdiag", required=True)
    args = parser.parse_args()
    nginx = shutil.which("nginx", path="/usr/sbin:/usr/bin:" + os.environ.get("PATH", ""))
    if not nginx:
        print("nginx is not installed (./x deps installs it)")
        return 1
    problems = []
    body = os.urandom(7 * 1024 * 1024 + 1234)
    for sendfile in ("off", "on"):
        with tempfile.TemporaryDirectory(prefix="qnb-nginx.") as root:
            os.makedirs(os.path.join(root, "www"))
            with open(os.path.join(root, "www", "image.bin"), "wb") as f:
                f.write(body)
            port = free_port()
            config = os.path.join(root, "nginx.conf")
            with open(config, "w") as f:
                f.write(CONFIG.format(root=root, port=port, sendfile=sendfile))
            process = subprocess.Popen([nginx, "-p", root, "-c", config, "-e", os.path.join(root, "error.log")],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            try:
                if not wait_listening(port, process):
                    problems.append("nginx did not start: %s" % process.stderr.read().decode(errors="replace"))
                    continue
                got = subprocess.run([args.qnbdiag, "http-get", "http://127.0.0.1:%d/image.bin" % port],
                                     capture_output=True, timeout=120)
                if got.returncode != 0 or got.stdout != body:
                    problems.append("sendfile %s: exit %d, %d of %d bytes, same: %s, %s" % (
                        sendfile, got.returncode, len(got.stdout), len(body), got.stdout == body,
                        got.stderr.decode(errors="replace")))
                missing = subprocess.run([args.qnbdiag, "http-get", "http://127.0.0.1:%d/missing" % port],
                                         capture_output=True, timeout=60)
                if missing.returncode != 1 or b"error 0" not in missing.stderr or missing.stdout:
                    problems.append("a 404 from nginx: exit %d, %r" % (missing.returncode, missing.stderr))
            finally:
                process.terminate()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
    for p in problems:
        print(p)
    print("ok" if not problems else "FAILED")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
