#!/usr/bin/env python3
"""Writes the seed archives of the archive-walk fuzz target into a folder (default: seeds/
beside this script). Small real archives of every shape the walk meets: nested ones, members
with data descriptors, ZIP64 records, members that hold the target's marker signatures
(never a real virus), and bombs just past the target's bounds (1 MiB unpacked, 200 members,
depth 4), among them a member declaring 0xE0000000 bytes, whose size reads as negative in
32 signed bits.

    make_seeds.py [OUT_DIR]"""
import io
import os
import struct
import sys
import zipfile
import zlib

MARKER = b"QRX-FUZZ-MARKER"
SPLIT = b"QRX-SPLIT" + b" between the pieces " + b"TILPS-XRQ"
TEXT = b"Plain text of a clean member, a few lines long.\n" * 20


def archive(members, method=zipfile.ZIP_DEFLATED, zip64=False):
    """members: (name, bytes) pairs."""
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", method) as z:
        for name, data in members:
            info = zipfile.ZipInfo(name)
            info.compress_type = method
            with z.open(info, "w", force_zip64=zip64) as member:
                member.write(data)
    return out.getvalue()


class Unseekable(io.RawIOBase):
    """Makes zipfile write each member's sizes in a data descriptor after its data."""

    def __init__(self):
        self.data = bytearray()

    def writable(self):
        return True

    def write(self, b):
        self.data += b
        return len(b)


def with_descriptors(members):
    out = Unseekable()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in members:
            info = zipfile.ZipInfo(name)  # dated 1980: the seeds come out the same every time
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data)
    return bytes(out.data)


def zip64_archive(members):
    """Deflated members with every size and offset in ZIP64 fields, and the ZIP64 end records."""
    local, central = bytearray(), bytearray()
    for name, data in members:
        packer = zlib.compressobj(9, zlib.DEFLATED, -15)
        packed = packer.compress(data) + packer.flush()
        name = name.encode()
        crc, offset = zlib.crc32(data), len(local)
        sizes = struct.pack("<HHQQ", 1, 16, len(data), len(packed))
        local += struct.pack("<IHHHHHIIIHH", 0x04034B50, 45, 0, 8, 0, 0, crc, 0xFFFFFFFF, 0xFFFFFFFF, len(name), 20)
        local += name + sizes + packed
        extra = struct.pack("<HHQQQ", 1, 24, len(data), len(packed), offset)
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 45, 45, 0, 8, 0, 0, crc, 0xFFFFFFFF, 0xFFFFFFFF,
                               len(name), len(extra), 0, 0, 0, 0, 0xFFFFFFFF)
        central += name + extra
    count, at = len(members), len(local)
    end64 = struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, count, count, len(central), at)
    locator = struct.pack("<IIQI", 0x07064B50, 0, at + len(central), 1)
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0)
    return bytes(local + central + end64 + locator + end)


def nested(levels, members):
    inner = archive(members)
    for level in range(1, levels):
        inner = archive([("level%d.zip" % level, inner)], zipfile.ZIP_STORED)
    return inner


def without_directory(data):
    """Only the local headers and data: the reader finds the members by scanning."""
    return data[: data.find(b"PK\x01\x02")]


def declare_unpacked_size(data, size):
    """The one member's unpacked size, in its local header and its directory entry."""
    data = bytearray(data)
    central = data.rfind(b"PK\x01\x02")
    struct.pack_into("<I", data, central + 24, size)
    local = struct.unpack_from("<I", data, central + 42)[0]
    struct.pack_into("<I", data, local + 22, size)
    return bytes(data)


def seeds():
    zeros = bytes(1 << 20)
    yield "stored-marker.zip", archive([("readme.txt", TEXT), ("marked.bin", TEXT + MARKER)], zipfile.ZIP_STORED)
    yield "deflated-split.zip", archive([("a/b/split.txt", TEXT + SPLIT + TEXT), ("clean.txt", TEXT)])
    yield "descriptors.zip", with_descriptors([("one.txt", TEXT), ("two.txt", MARKER + TEXT)])
    yield "zip64-local.zip", archive([("big.txt", TEXT), ("marked.txt", MARKER)], zip64=True)
    yield "zip64.zip", zip64_archive([("text.txt", TEXT), ("in/marked.txt", TEXT + MARKER)])
    yield "nested-2.zip", nested(2, [("inner.txt", TEXT + MARKER)])
    yield "nested-5.zip", nested(5, [("deep.txt", MARKER)])
    yield "nested-descriptors.zip", archive([("x.zip", with_descriptors([("in.txt", SPLIT)])), ("t.txt", TEXT)])
    # An archive that only its content shows: no .zip in its name.
    yield "nested-unnamed.zip", archive([("payload.dat", archive([("in.txt", MARKER)]))], zipfile.ZIP_STORED)
    yield "named-zip-not-archive.zip", archive([("fake.zip", TEXT + MARKER)])
    yield "many-members.zip", archive([("m%03d.txt" % i, b"%d\n" % i) for i in range(210)], zipfile.ZIP_STORED)
    halves = archive([("z1.bin", zeros[: 600 << 10]), ("z2.bin", zeros[: 600 << 10])])
    yield "bomb-nested-sum.zip", archive([("z.zip", halves)])
    yield "bomb-declared-e0000000.zip", declare_unpacked_size(archive([("zeros.bin", zeros * 2)]), 0xE0000000)
    yield "bomb-descriptor.zip", with_descriptors([("zeros.bin", zeros * 2)])
    yield "bomb-no-directory.zip", without_directory(with_descriptors([("a.bin", zeros), ("b.bin", zeros)]))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "seeds")
    os.makedirs(out, exist_ok=True)
    for name, data in seeds():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


main()
