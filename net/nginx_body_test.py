#!/usr/bin/env python3
"""The HTTP client against a real nginx on loopback: a body of a few MB (just
below the 4 MiB an answer may bring) sent with a Content-Length arrives
exactly (with nginx's sendfile on and off, which cut the body differently),
and a 404 is a failure.
"""

import argparse
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "testbed"))
from nginx_server import NginxServer  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--qnbdiag", required=True)
    args = parser.parse_args()
    problems = []
    body = os.urandom(4 * 1024 * 1024 - 1234)
    with tempfile.TemporaryDirectory(prefix="qnb-nginx-www.") as www:
        with open(os.path.join(www, "image.bin"), "wb") as f:
            f.write(body)
        for sendfile in (False, True):
            with NginxServer(www, sendfile=sendfile) as server:
                got = subprocess.run([args.qnbdiag, "http-get", server.url("image.bin")], capture_output=True,
                                     timeout=120)
                if got.returncode != 0 or got.stdout != body:
                    problems.append("sendfile %s: exit %d, %d of %d bytes, same: %s, %s" % (
                        sendfile, got.returncode, len(got.stdout), len(body), got.stdout == body,
                        got.stderr.decode(errors="replace")))
                missing = subprocess.run([args.qnbdiag, "http-get", server.url("missing")], capture_output=True,
                                         timeout=60)
                if missing.returncode != 1 or b"error 0" not in missing.stderr or missing.stdout:
                    problems.append("a 404 from nginx: exit %d, %r" % (missing.returncode, missing.stderr))
    for p in problems:
        print(p)
    print("ok" if not problems else "FAILED")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
