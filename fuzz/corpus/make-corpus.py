#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets: small valid messages and files, and a few that
are just wrong, each a starting point for the fuzzer. Run from anywhere; needs ImageMagick's
convert for the JPEG seed. The files are kept in the repository; rerun after changing this."""
import os
import shutil
import struct
import subprocess
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def qstring(text):
    if text is None:
        return b"\xff\xff\xff\xff"
    data = text.encode("utf-16-be")
    return struct.pack(">I", len(data)) + data


def qbytes(data):
    return struct.pack(">I", len(data)) + data


def frame(payload):
    return struct.pack(">q", 12 + len(payload)) + qbytes(payload)


def png(width, height):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    rows = b"".join(b"\x00" + b"\xff\x00\x00" * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def gif(frames, width, height, delay=5):
    data = b"GIF89a" + struct.pack("<HH", width, height) + b"\x80\x00\x00\xff\x00\x00\x00\x00\xff"
    data += b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"
    for i in range(frames):
        data += b"\x21\xf9\x04\x00" + struct.pack("<H", delay) + b"\x00\x00"
        data += b"\x2c" + struct.pack("<HHHH", 0, 0, width, height) + b"\x00"
        data += b"\x02\x02" + bytes([0x44 | (i % 2) << 3]) + b"\x01\x00"
    return data + b"\x3b"


def bmp(width, height):
    row = (b"\x00\x00\xff" * width).ljust((3 * width + 3) // 4 * 4, b"\x00")
    pixels = row * height
    return (b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54)
            + struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 0, 0, 0, 0) + pixels)


def jpeg():
    return subprocess.run(["convert", "-size", "4x3", "xc:red", "jpeg:-"], check=True,
                          stdout=subprocess.PIPE).stdout


def write(target, name, data):
    folder = os.path.join(HERE, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def entries(items):
    return b"".join(qstring(name) + qstring(link) + qbytes(content) for name, link, content in items)


def gg_files(items, count=None):
    return qstring("GGFiles") + qstring(str(len(items) if count is None else count)) + qbytes(entries(items))


def main():
    for target in ("framecodec", "adlinks", "adimage", "serverconfig", "adset", "message"):
        shutil.rmtree(os.path.join(HERE, target), ignore_errors=True)

    links = ["www.example.com"] * 9
    mixed = ["https://example.com/a?b=1#c", "http://example.org:8080/", "example.net/x", "",
             None, "file:///etc/passwd", "http://user@example.com/", "C:\\x.exe", "ftp://h/"]
    write("adlinks", "defaults", b"".join(qstring(l) for l in links))
    write("adlinks", "mixed", b"".join(qstring(l) for l in mixed))
    write("adlinks", "cut", b"".join(qstring(l) for l in mixed)[:40])

    small = [("GG1.png", "https://example.com/one", png(2, 2)),
             ("GG9.gif", "example.com/banner", gif(2, 3, 1))]
    request = qstring("requestGG") + qstring("Zanora") + qstring("3.1")
    write("adset", "two-entries", gg_files(small))
    write("adset", "count-too-high", gg_files(small, 5))
    write("adset", "odd-names", gg_files([("../GG2.gif", "", b"x"), ("a/b\\GG3.jpg", "", b"y"),
                                          ("GG4", "", b""), (".gif", "", b"z")]))
    write("adset", "other-keyword", qstring("Hello") + qstring("1"))

    answer = frame(gg_files(small))
    write("framecodec", "one-chunk", b"\x00" + answer)
    write("framecodec", "chunks-of-3-and-7", b"\x02\x02\x06" + answer + frame(request))
    write("framecodec", "byte-by-byte", b"\x01\x00" + frame(request))
    write("framecodec", "lengths-disagree", b"\x00" + struct.pack(">qI", 20, 9) + b"12345678")

    write("adimage", "png", png(3, 2))
    write("adimage", "gif", gif(3, 2, 2))
    write("adimage", "bmp", bmp(3, 2))
    write("adimage", "jpeg", jpeg())

    write("serverconfig", "valid", b'{\n    "HostIP": "127.0.0.1",\n    "HostPORT": 8888\n}\n')
    write("serverconfig", "port-as-text", b'{"HostIP": "h", "HostPORT": "8888", "x": [1, {}]}')
    write("serverconfig", "fraction", b'{"HostPORT": 8888.5}')
    write("serverconfig", "array", b'[1, "HostIP"]')

    chat = "老师好，我选了 12、34，56-60 还有 IMG_0078 和 0099~0101\n精修：1234-40 56到60\n"
    write("message", "chat-utf8", b"\x00" + chat.encode("utf-8"))
    write("message", "chat-gbk", b"\x00" + chat.encode("gbk"))
    write("message", "pasted-utf16", b"\x01" + chat.encode("utf-16-le"))
    write("message", "refused", b"\x00" + "56- 5--6 1-999999999 60-56 ..: a/b：12".encode("utf-8"))


if __name__ == "__main__":
    main()
