#!/usr/bin/env python3
"""Builds the extractor's benchmark archives in a folder (kept between runs):
  mixed.zip / mixed-stored.zip   about MB megabytes of text, headers, libraries and
                                 already-compressed files, deflated / stored
  small.zip / small-stored.zip   20,000 files of 1-20 KiB, deflated / stored
  shrunk.zip / imploded.zip      the shrunk and imploded members of the corpus' PKZIP 1.10
                                 archives, repeated under new names
Usage: make_archives.py <folder> <corpus folder> [megabytes]"""
import glob
import os
import random
import struct
import sys
import zipfile


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


def write_repeated(folder, name, corpus, source, method, copies):
    """An archive holding every member of source with this method, copies times over."""
    out, central = bytearray(), bytearray()
    count = 0
    for copy in range(copies):
        for index, (header, packed) in enumerate(raw_members(os.path.join(corpus, source), method)):
            member = ("C%03d/M%02d.BIN" % (copy, index)).encode()
            offset = len(out)
            out += header[:26] + struct.pack("<HH", len(member), 0) + member + packed
            flags, method_, stamp, crc, psize, usize = struct.unpack_from("<HHIIII", header, 6)
            central += struct.pack("<IHHHHIIIIHHHHHII", 0x02014B50, 20, 10, flags, method_, stamp, crc, psize,
                                   usize, len(member), 0, 0, 0, 0, 0, offset) + member
            count += 1
    start = len(out)
    out += central + struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count, len(central), start, 0)
    open(os.path.join(folder, name), "wb").write(out)


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
