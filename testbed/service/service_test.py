#!/usr/bin/env python3
"""The local test service answers as the tests that lean on it expect."""

import os
import socket
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import hashlib  # noqa: E402
import json  # noqa: E402

from localservice import API_PATHS, LocalService, generated_bytes, generated_sha256  # noqa: E402


def fetch(port, path, headers=()):
    """The raw answer (header and body) to a GET, read until the service closes."""
    with socket.create_connection(("127.0.0.1", port), timeout=20) as s:
        request = "GET %s HTTP/1.1\r\nHost: t\r\nConnection: Close\r\n%s\r\n" % (
            path, "".join("%s: %s\r\n" % h for h in headers))
        s.sendall(request.encode())
        data = b""
        while True:
            piece = s.recv(65536)
            if not piece:
                return data
            data += piece


def split_answer(raw):
    head, _, body = raw.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    fields = dict(line.split(": ", 1) for line in lines[1:])
    return int(lines[0].split()[1]), fields, body


def unchunk(body):
    out, rest = b"", body
    while True:
        size_line, _, rest = rest.partition(b"\r\n")
        size = int(size_line, 16)
        if size == 0:
            return out
        out, rest = out + rest[:size], rest[size + 2:]


class ServiceTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.data = os.urandom(200000)
        with open(os.path.join(cls.folder.name, "image.wim"), "wb") as f:
            f.write(cls.data)
        cls.service = LocalService(files=cls.folder.name).start()

    @classmethod
    def tearDownClass(cls):
        cls.service.close()
        cls.folder.cleanup()

    def setUp(self):
        self.service.reset()

    def get(self, path, headers=()):
        return split_answer(fetch(self.service.port, path, headers))

    def test_catalogue_points_at_this_service(self):
        status, fields, body = self.get(API_PATHS["syslist"])
        self.assertEqual(status, 200)
        self.assertEqual(int(fields["Content-Length"]), len(body))
        text = body.decode("utf-8")
        self.assertIn("专业版", text)
        self.assertIn(self.service.base + "/gen/", text)
        self.assertNotIn("{base}", text)

    def test_hashes_name_the_files_served(self):
        _, _, body = self.get(API_PATHS["syslist"])
        entries = json.loads(body.decode("utf-8"))["list"]
        for entry in entries:
            size = int(entry["url"].split("/gen/")[1].split("/")[0])
            self.assertEqual(entry["sha256"], hashlib.sha256(generated_bytes(size)).hexdigest(), entry["url"])
        _, _, body = self.get(API_PATHS["getpe"])
        url, _, fragment = body.decode().partition("#")
        self.assertEqual(url, self.service.base + "/gen/3145728/TessalyPE.wim")
        self.assertEqual(fragment, "sha256=" + generated_sha256(3145728))

    def test_corrupt_changes_one_byte_in_whichever_answer_holds_it(self):
        whole = generated_bytes(200000)
        _, _, body = self.get("/gen/200000?corrupt=150000")
        self.assertEqual([i for i in range(len(body)) if body[i] != whole[i]], [150000])
        _, _, body = self.get("/gen/200000?corrupt=150000", [("Range", "bytes=149990-150009")])
        self.assertEqual(body, whole[149990:150000] + bytes([whole[150000] ^ 0xFF]) + whole[150001:150010])
        _, _, body = self.get("/gen/200000?corrupt=150000", [("Range", "bytes=0-99")])
        self.assertEqual(body, whole[:100])

    def test_ranges(self):
        cases = [  # Range header, status, first byte, end
            ("bytes=100-199", 206, 100, 200),
            ("bytes=199990-", 206, 199990, 200000),
            ("bytes=-10", 206, 199990, 200000),
            ("bytes=150000-999999", 206, 150000, 200000),
            ("", 200, 0, 200000),
            ("bytes=1-2,5-6", 200, 0, 200000),
        ]
        for header, status, start, end in cases:
            with self.subTest(header):
                got, fields, body = self.get("/files/image.wim", [("Range", header)] if header else [])
                self.assertEqual(got, status)
                self.assertEqual(body, self.data[start:end])
                if status == 206:
                    self.assertEqual(fields["Content-Range"], "bytes %d-%d/200000" % (start, end - 1))
        status, fields, body = self.get("/files/image.wim", [("Range", "bytes=200000-")])
        self.assertEqual((status, fields["Content-Range"], body), (416, "bytes */200000", b""))
        self.assertEqual(self.get("/files/image.wim?no_range=1", [("Range", "bytes=5-")])[2], self.data)

    def test_files_outside_the_folder_are_not_served(self):
        for path in ("/files/..%2Fetc%2Fpasswd", "/files/missing.wim", "/files/.hidden"):
            self.assertEqual(self.get(path)[0], 404, path)

    def test_generated_bytes_and_chunked(self):
        status, _, body = self.get("/gen/70000/x.bin?seed=3&chunked=4096")
        self.assertEqual(status, 200)
        self.assertEqual(unchunk(body), generated_bytes(70000, seed=3))
        self.assertNotEqual(generated_bytes(70000, seed=3), generated_bytes(70000))

    def test_cut_answers_hold_the_same_bytes(self):
        whole = fetch(self.service.port, "/gen/5000?chunked=100")
        cut = fetch(self.service.port, "/gen/5000?chunked=100&cuts=1,17,18,300,301&gap_ms=5")
        split = fetch(self.service.port, "/gen/5000?chunked=100&split=7&gap_ms=0")
        self.assertEqual(whole, cut)
        self.assertEqual(whole, split)

    def test_close_and_stall_cut_the_body(self):
        _, _, body = self.get("/gen/100000?close_after=1000")
        self.assertEqual(body, generated_bytes(1000))
        started = time.monotonic()
        _, _, body = self.get("/gen/100000?stall_after=2000&stall_seconds=1")
        self.assertEqual(body, generated_bytes(2000))
        self.assertGreaterEqual(time.monotonic() - started, 0.9)

    def test_rate_limits_each_connection(self):
        started = time.monotonic()
        _, _, body = self.get("/gen/65536?rate=32768")
        self.assertEqual(len(body), 65536)
        self.assertGreaterEqual(time.monotonic() - started, 1.5)

    def test_switches_with_times_act_on_the_first_requests_only(self):
        self.service.set(syslist__fail="503", times="2")
        statuses = [self.get(API_PATHS["syslist"])[0] for _ in range(3)]
        self.assertEqual(statuses, [503, 503, 200])
        self.assertEqual(self.get(API_PATHS["getpe"])[0], 200, "a group switch leaves the other paths alone")

    def test_drop_closes_without_an_answer(self):
        self.service.set(drop="1")
        self.assertEqual(fetch(self.service.port, API_PATHS["update"]), b"")

    def test_broken_answers(self):
        for kind, check in [
            ("json", lambda raw: split_answer(raw)[2].startswith(b'{"list"')),
            ("length", lambda raw: int(split_answer(raw)[1]["Content-Length"]) > len(split_answer(raw)[2])),
            ("chunk_size", lambda raw: b"\r\n\r\nzz\r\n" in raw),
            ("status", lambda raw: raw.startswith(b"garbage")),
            ("long_header", lambda raw: raw.index(b"\r\n\r\n") > 16384),
        ]:
            with self.subTest(kind):
                self.service.set(broken=kind)
                self.assertTrue(check(fetch(self.service.port, API_PATHS["syslist"])))

    def test_update_answers_and_report_log(self):
        self.service.set(update="must")
        _, _, body = self.get(API_PATHS["update"] + "?ver=20190404")
        self.assertIn('"must": true', body.decode("utf-8"))
        self.assertEqual(self.get("/api/soft/quenbrook_reinstall/v2/backupclick/?mac=NULL&ver=20190404")[0], 200)
        entry = self.service.wait_for_log(lambda e: e["group"] == "report", timeout=5)[-1]
        self.assertEqual(entry["params"], {"mac": "NULL", "ver": "20190404"})
        self.assertEqual(entry["host"], "t")


if __name__ == "__main__":
    unittest.main()
