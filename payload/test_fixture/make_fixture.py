#!/usr/bin/env python3
"""Writes the data files of the payload test archive into a folder.

    make_fixture.py FOLDER

Each file has a fixed size and content made by a simple rule, so that tests
can tell a correct unpacking from a wrong one; the executables and libraries
of the archive are compiled separately.
"""
import pathlib
import sys


def lcg_bytes(count, seed):
    """Bytes that compress poorly: the high byte of a 32-bit LCG."""
    out = bytearray(count)
    state = seed
    for i in range(count):
        state = (state * 1103515245 + 12345) & 0xFFFFFFFF
        out[i] = state >> 24
    return bytes(out)


def grub_mbr():
    # The rule the Windows-side test checks again: byte i = (i * 31 + i / 256) mod 256.
    return bytes((i * 31 + (i >> 8)) & 0xFF for i in range(8192))


def disk_image(size):
    """Mostly zeros with a record every 4 KiB and one noisy stretch, like a
    small disk image: several LZMA2 chunks, some of them stored."""
    image = bytearray(size)
    for offset in range(0, size, 4096):
        record = b"QNB sector %08x\n" % offset
        image[offset:offset + len(record)] = record
    noise = lcg_bytes(160 * 1024, 7)
    image[200 * 1024:200 * 1024 + len(noise)] = noise
    return bytes(image)


def main():
    folder = pathlib.Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    files = {
        "id.dat": b"0123456789abcdef0123456789abcdef01234567",
        "grub.mbr": grub_mbr(),
        "bcd": lcg_bytes(28672, 1),
        "boot.sdi": disk_image(640 * 1024),
        "notes.txt": "说明：测试用的数据文件。\r\n".encode("utf-8") * 40,
        "empty.dat": b"",
    }
    for name, data in files.items():
        (folder / name).write_bytes(data)


if __name__ == "__main__":
    main()
