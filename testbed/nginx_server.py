#!/usr/bin/env python3
"""Debian's nginx on a free loopback port, serving one folder, for the
download tests and benchmarks: Range requests, keep-alive, large files, and
an optional rate limit per connection, with or without sendfile. It runs from its own configuration
in a temporary folder, logs every request with the bytes it sent, and is
stopped by its own pid.

    with NginxServer(folder, limit_rate="8m") as server:
        server.url("win10.gho"); server.bytes_sent()
"""

import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time

CONFIG = """
daemon off;
master_process off;
worker_processes 1;
pid {work}/nginx.pid;
error_log {work}/error.log warn;
events {{ worker_connections 256; }}
http {{
    log_format sent '$status $body_bytes_sent "$request" "$http_range"';
    access_log {work}/access.log sent;
    client_body_temp_path {work}/body;
    proxy_temp_path {work}/proxy;
    fastcgi_temp_path {work}/fastcgi;
    uwsgi_temp_path {work}/uwsgi;
    scgi_temp_path {work}/scgi;
    types {{ }}
    default_type application/octet-stream;
    sendfile {sendfile};
    tcp_nopush on;
    keepalive_requests 10000;
    server {{
        listen 127.0.0.1:{port};
        root {root};
        {limit}
        location /redirect/ {{ rewrite ^/redirect/(.*)$ /$1 redirect; }}
    }}
}}
"""


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class NginxServer:
    def __init__(self, root, limit_rate=None, ranges=True, sendfile=True):
        self.root = os.path.abspath(root)
        self.sendfile = sendfile
        self.limit_rate = limit_rate
        self.ranges = ranges
        self.work = None
        self.process = None
        self.port = None

    def start(self):
        nginx = shutil.which("nginx", path=os.environ.get("PATH", "") + ":/usr/sbin:/sbin")
        if not nginx:
            raise RuntimeError("nginx is missing (Debian package nginx): ./x deps installs it")
        self.work = tempfile.mkdtemp(prefix="qnb-nginx-")
        self.port = free_port()
        limit = f"limit_rate {self.limit_rate};" if self.limit_rate else ""
        if not self.ranges:
            limit += " max_ranges 0;"
        config = os.path.join(self.work, "nginx.conf")
        with open(config, "w") as f:
            f.write(CONFIG.format(work=self.work, port=self.port, root=self.root, limit=limit,
                                  sendfile="on" if self.sendfile else "off"))
        self.process = subprocess.Popen([nginx, "-p", self.work, "-c", config, "-e", os.path.join(self.work, "error.log")],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 10
        while time.time() < deadline:
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.2).close()
                return self
            except OSError:
                if self.process.poll() is not None:
                    break
                time.sleep(0.05)
        self.stop()
        raise RuntimeError("nginx did not start")

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process = None
        if self.work:
            shutil.rmtree(self.work, ignore_errors=True)
            self.work = None

    def url(self, name):
        return f"http://127.0.0.1:{self.port}/{name}"

    def requests(self):
        """(status, bytes sent, request line, range) for every request so far."""
        path = os.path.join(self.work, "access.log")
        if not os.path.exists(path):
            return []
        rows = []
        with open(path) as f:
            for line in f:
                status, sent, rest = line.split(" ", 2)
                request, _, rng = rest.strip().partition('" "')
                rows.append((int(status), int(sent), request.strip('"'), rng.strip('"')))
        return rows

    def bytes_sent(self):
        return sum(r[1] for r in self.requests())

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
