#!/usr/bin/env python3
"""Builds the extractor's benchmark archives in a folder (kept between runs):
  mixed.zip / mixed-stored.zip   about MB megabytes of text, headers, libraries and
                                 already-compressed files, deflated / stored
  small.zip / small-stored.zip   20,000 files of 1-20 KiB, deflated / stored
  shrunk.zip / imploded.zip      the shrunk and imploded members of the corpus' PKZIP 1.10
                                 archives, repeated under new names
and, for methods_bench.py, write_methods: deflate64.zip, bzip2.zip, lzma.zip, xz.zip (7zz) and
zstd.zip (zstd -3, written here), about 80 MiB of the same content each.
Usage: make_archives.py <folder> <corpus folder> [megabytes]"""
import glob
import os
import random
import struct
import subprocess
import sys
import zipfile
import zlib


def gather(pattern, budget, rng):
    """Files matching pattern, in a fixed random order, up to budget bytes."""
    paths = sorted(p for p in glob.glob(pattern, recursive=True) if os.path.isfile(p) and not os.path.islink(p))
    rng.shuffle(paths)
    chosen, total = [], 0
    for path in paths:
        size = os.path.getsize(path)
        if size == 0 or size > 64 << 20:
            continue
        chosen.append(path)
        total += size
        if total >= budget:
            break
    return chosen


def text_block(rng, size):
    words = ["scan", "archive", "member", "folder", "signature", "window", "deflate", "report",
             "quorvex", "threat", "registry", "engine", "table", "entry", "value"]
    out, length = [], 0
    while length < size:
        line = " ".join(rng.choice(words) for _ in range(rng.randint(4, 14))) + "\n"
        out.append(line)
        length += len(line)
    return "".join(out)[:size].encode()


def write_mixed(folder, megabytes, rng):
    budget = megabytes << 20
    parts = [
        ("headers", gather("/usr/include/**/*.h", budget * 25 // 100, rng)),
        ("libraries", gather("/usr/lib/x86_64-linux-gnu/**/*.so*", budget * 35 // 100, rng)),
        ("compressed", gather("/usr/share/**/*.gz", budget * 15 // 100, rng)),
    ]
    texts = [text_block(rng, 4 << 20) for _ in range(budget * 25 // 100 // (4 << 20))]
    for name, method in (("mixed.zip", zipfile.ZIP_DEFLATED), ("mixed-stored.zip", zipfile.ZIP_STORED)):
        with zipfile.ZipFile(os.path.join(folder, name), "w", method, compresslevel=6) as archive:
            for kind, paths in parts:
                for i, path in enumerate(paths):
                    archive.write(path, "%s/%05d-%s" % (kind, i, os.path.basename(path)))
            for i, text in enumerate(texts):
                archive.writestr("text/%03d.txt" % i, text)


def write_small(folder, rng):
    sources = [open(p, "rb").read() for p in gather("/usr/include/**/*.h", 8 << 20, rng)]
    sources += [open(p, "rb").read() for p in gather("/usr/lib/x86_64-linux-gnu/*.so*", 8 << 20, rng)]
    pool = b"".join(sources)
    members = []
    for i in range(20000):
        size = rng.randint(1024, 20 * 1024)
        start = rng.randrange(0, len(pool) - size)
        members.append(("f%03d/%05d.dat" % (i // 500, i), pool[start:start + size]))
    for name, method in (("small.zip", zipfile.ZIP_DEFLATED), ("small-stored.zip", zipfile.ZIP_STORED)):
        with zipfile.ZipFile(os.path.join(folder, name), "w", method, compresslevel=6) as archive:
            for member, data in members:
                archive.writestr(member, data)


def raw_members(path, method):
    """(name, central entry fields, local record bytes) of the members with this method."""
    data = open(path, "rb").read()
    end = data.rfind(b"PK\x05\x06")
    at = struct.unpack_from("<I", data, end + 16)[0]
    found = []
    while data[at:at + 4] == b"PK\x01\x02":
        n, e, c = struct.unpack_from("<HHH", data, at + 28)
        packed, local = struct.unpack_from("<I", data, at + 20)[0], struct.unpack_from("<I", data, at + 42)[0]
        if struct.unpack_from("<H", data, at + 10)[0] == method:
            ln, le = struct.unpack_from("<HH", data, local + 26)
            found.append((data[local:local + 30], data[local + 30 + ln + le:local + 30 + ln + le + packed]))
        at += 46 + n + e + c
    return found


def write_zip(path, entries):
    """A ZIP of already packed members, each (name, version, flags, method, stamp, crc, packed,
    unpacked size), local records first, then the central directory."""
    out, central = bytearray(), bytearray()
    for name, version, flags, method, stamp, crc, packed, usize in entries:
        offset = len(out)
        out += struct.pack("<IHHHIIIIHH", 0x04034B50, version, flags, method, stamp, crc, len(packed), usize,
                           len(name), 0) + name + packed
        central += struct.pack("<IHHHHIIIIHHHHHII", 0x02014B50, 20, version, flags, method, stamp, crc,
                               len(packed), usize, len(name), 0, 0, 0, 0, 0, offset) + name
    start = len(out)
    out += central + struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(entries), len(entries), len(central), start, 0)
    open(path, "wb").write(out)


def write_repeated(folder, name, corpus, source, method, copies):
    """An archive holding every member of source with this method, copies times over."""
    entries = []
    for copy in range(copies):
        for index, (header, packed) in enumerate(raw_members(os.path.join(corpus, source), method)):
            version, flags, method_, stamp, crc, _, usize = struct.unpack_from("<HHHIIII", header, 4)
            entries.append((("C%03d/M%02d.BIN" % (copy, index)).encode(), version, flags, method_, stamp, crc,
                            packed, usize))
    write_zip(os.path.join(folder, name), entries)


# The content of the method archives: (member, MiB, what): text, executables and data that
# does not compress, a few large members as in a software download.
METHOD_CONTENT = [("words.txt", 20, "words"), ("headers.txt", 16, "/usr/include/**/*.h"),
                  ("libraries.bin", 32, "/usr/lib/x86_64-linux-gnu/*.so*"),
                  ("gzipped.bin", 4, "/usr/share/**/*.gz"), ("random.bin", 4, "random")]
# The archives of the methods 7zz writes into a ZIP, at its default level.
SEVEN_ZIP_METHODS = {"deflate64.zip": "Deflate64", "bzip2.zip": "BZip2", "lzma.zip": "LZMA", "xz.zip": "XZ"}
ZSTD_VERSION = 63  # version needed to extract for method 93


def write_method_content(folder, rng):
    """The members of the method archives, as files in folder; their names, in order."""
    os.makedirs(folder, exist_ok=True)
    for member, mebibytes, what in METHOD_CONTENT:
        size = mebibytes << 20
        if what == "words":
            data = text_block(rng, size)
        elif what == "random":
            data = rng.randbytes(size)
        else:
            data = b"".join(open(p, "rb").read() for p in gather(what, size, rng))[:size]
        open(os.path.join(folder, member), "wb").write(data)
    return [member for member, _, _ in METHOD_CONTENT]


def write_zstd(path, folder, members):
    """Method 93 has no writer among Debian's tools: each member packed by zstd -3, one frame."""
    entries = []
    for member in members:
        data = open(os.path.join(folder, member), "rb").read()
        packed = subprocess.run(["zstd", "-3", "-T1", "-q", "-c", os.path.join(folder, member)],
                                check=True, stdout=subprocess.PIPE).stdout
        entries.append((member.encode(), ZSTD_VERSION, 0, 93, 0x00210000, zlib.crc32(data), packed, len(data)))
    write_zip(path, entries)


def write_methods(folder):
    """deflate64.zip, bzip2.zip, lzma.zip, xz.zip and zstd.zip, of the same content (about 80 MiB)."""
    content = os.path.join(folder, "method-content")
    members = write_method_content(content, random.Random(20261211))
    for name, method in SEVEN_ZIP_METHODS.items():
        if os.path.exists(os.path.join(folder, name)):
            os.remove(os.path.join(folder, name))  # 7zz a would add to it
        subprocess.run(["7zz", "a", "-tzip", "-mm=" + method, "-mx=5", "-bso0", "-bsp0",
                        os.path.join(os.path.abspath(folder), name)] + members, cwd=content, check=True)
    write_zstd(os.path.join(folder, "zstd.zip"), content, members)


def main():
    folder, corpus = sys.argv[1], sys.argv[2]
    megabytes = int(sys.argv[3]) if len(sys.argv) > 3 else 300
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(20261210)
    if not os.path.exists(os.path.join(folder, "mixed-stored.zip")):
        write_mixed(folder, megabytes, rng)
    if not os.path.exists(os.path.join(folder, "small-stored.zip")):
        write_small(folder, rng)
    if not os.path.exists(os.path.join(folder, "imploded.zip")):
        write_repeated(folder, "shrunk.zip", corpus, "defacto2-PKZ110ES.ZIP", 1, 20)
        write_repeated(folder, "imploded.zip", corpus, "defacto2-PKZ110EI.ZIP", 6, 20)


if __name__ == "__main__":
    main()
