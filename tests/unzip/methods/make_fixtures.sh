#!/bin/bash
# Regenerates the archives of this folder and MANIFEST.tsv from generated content, with the
# standard tools (7zz, Info-ZIP zip and unzip, python3's zipfile, xz, zstd), and checks every
# member against the tool that made it and every other decoder at hand. Any disagreement, a
# maker's decoder that fails, an archive over 80 KB or the anti-virus test string standing
# in clear in any file here stops the script with a message.
# Usage: tests/unzip/methods/make_fixtures.sh   (needs 7zip, zip, unzip, xz-utils, zstd and
# clamav-testfiles installed)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=UTC LC_ALL=C.UTF-8
exec python3 - "$here" "$work" <<'PYTHON'
import hashlib, os, struct, subprocess, sys, zipfile, zlib

HERE, WORK = sys.argv[1], sys.argv[2]
CLAM = "/usr/share/clamav-testfiles"
PASSWORD = "fixture-password"
MTIME = (2025, 4, 12, 12, 0, 0)
SIZE_LIMIT = 80 * 1024


def fail(message):
    sys.exit("make_fixtures: " + message)


# ---- Content ----

def prng(seed):
    """xorshift32: the same bytes on every machine and every Python."""
    state = seed
    while True:
        state ^= (state << 13) & 0xFFFFFFFF
        state ^= state >> 17
        state ^= (state << 5) & 0xFFFFFFFF
        yield state


def random_bytes(size, seed):
    numbers = prng(seed)
    return bytes(next(numbers) & 0xFF for _ in range(size))


WORDS = ("archive member method header stream block window match literal length distance "
         "code table tree symbol range coder frame check index filter dictionary buffer "
         "input output packed content record folder scanner signature engine report "
         "the a of to and in is it that for on with as by at from").split()


def text_bytes(size, seed):
    numbers, lines = prng(seed), []
    while sum(len(line) + 1 for line in lines) < size:
        words = [WORDS[next(numbers) % len(WORDS)] for _ in range(6 + next(numbers) % 8)]
        lines.append("%05d %s." % (len(lines) + 1, " ".join(words).capitalize()))
    return ("\n".join(lines) + "\n").encode()[:size]


def x86_calls(count, seed):
    """Code-like bytes: near calls (E8 rel32) to a few routines between short runs of other
    opcodes, so that the x86 branch filter has something to convert."""
    numbers, out = prng(seed), bytearray()
    routines = [0x1000 + 0x180 * i for i in range(8)]
    for _ in range(count):
        out += bytes([0x55, 0x8B, 0xEC, 0x90][next(numbers) % 4] for _ in range(next(numbers) % 4))
        target = routines[next(numbers) % len(routines)]
        out += b"\xE8" + struct.pack("<i", target - (len(out) + 5))
    return bytes(out)


def test_string():
    """The anti-virus test file's text, put together here so that it never stands in clear in
    any file of the project, padded with spaces to 128 bytes as its definition allows (a file
    of 68 incompressible bytes would be stored, and so stand in clear in the archive)."""
    head = "X5O!P%@AP[4\\PZX54(P^)7CC)7}$"
    tail = "EICAR-STANDARD-" + "ANTIVIRUS-TEST-FILE!$H+H*"
    return (head + tail).encode(), (head + tail + " " * 60).encode()


TEST_STRING, EICAR = test_string()
BLOCK = random_bytes(40000, 0x2545F491)
CONTENT = {
    "text.txt": text_bytes(100000, 7),
    "twice.bin": BLOCK + BLOCK,        # the repeat lies 40,000 bytes back: beyond 32 KiB
    "run.bin": b"\x00" * 72000,        # long matches only
    "empty.txt": b"",
    "eicar.com": EICAR,
}
ALL = list(CONTENT)
NO_EICAR = [name for name in ALL if name != "eicar.com"]
CALLS = x86_calls(3000, 11)
# zstd keeps short literals as they are; amid text it codes them, the test string with them.
EICAR_IN_TEXT = text_bytes(6000, 21) + TEST_STRING + text_bytes(6000, 22)
EXTRA = {"calls.bin": CALLS, "eicar-text.com": EICAR_IN_TEXT}

STAGE = os.path.join(WORK, "stage")
os.makedirs(STAGE)
STAMP = 1744459200  # 2025-04-12 12:00:00 UTC
for name, data in list(CONTENT.items()) + list(EXTRA.items()):
    path = os.path.join(STAGE, name)
    with open(path, "wb") as f:
        f.write(data)
    os.utime(path, (STAMP, STAMP))


def sha(data):
    return hashlib.sha256(data).hexdigest()


def run(*command, cwd=None, data=None):
    result = subprocess.run(command, cwd=cwd, input=data, capture_output=True)
    return result.returncode, result.stdout, result.stderr


def must(*command, cwd=None, data=None):
    code, out, err = run(*command, cwd=cwd, data=data)
    if code != 0:
        fail("%s failed (%d): %s" % (" ".join(command), code, err.decode(errors="replace")))
    return out


# ---- Writers ----

def target(archive):
    path = os.path.join(HERE, archive)
    if os.path.exists(path):
        os.remove(path)
    return path


def with_7zz(archive, method, names, *options):
    must("7zz", "a", "-tzip", "-mm=" + method, "-mmt=1", "-bd", *options, target(archive), *names, cwd=STAGE)


def with_zip(archive, names, *options):
    must("zip", "-X", "-q", *options, target(archive), *names, cwd=STAGE)


def with_python(archive, method, names):
    with zipfile.ZipFile(target(archive), "w") as out:
        for name in names:
            info = zipfile.ZipInfo(name, MTIME)
            info.compress_type = method
            info.external_attr = 0o644 << 16
            out.writestr(info, CONTENT[name])


def dos_time():
    year, month, day, hour, minute, second = MTIME
    return (hour << 11 | minute << 5 | second // 2), ((year - 1980) << 9 | month << 5 | day)


def with_raw_writer(archive, method, members):
    """A ZIP of members whose packed data come from a command line tool: (name, content,
    command) each, the command reading the content on its standard input."""
    time, date = dos_time()
    body, directory = bytearray(), bytearray()
    for name, content, command in members:
        packed = must(*command, data=content)
        fixed = struct.pack("<HHHHHIII", 63, 0, method, time, date, zlib.crc32(content), len(packed), len(content))
        encoded = name.encode()
        directory += struct.pack("<IH", 0x02014B50, 63) + fixed + struct.pack(
            "<HHHHHII", len(encoded), 0, 0, 0, 0, 0, len(body)) + encoded
        body += struct.pack("<I", 0x04034B50) + fixed + struct.pack("<HH", len(encoded), 0) + encoded + packed
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(members), len(members), len(directory), len(body), 0)
    with open(target(archive), "wb") as f:
        f.write(body + directory + end)


XZ = ["xz", "-c", "-6"]
ZSTD = ["zstd", "-c", "-q", "-19"]

# archive: (how it is made, what made it, the decoders that must agree)
ARCHIVES = {
    "deflate64-7zz.zip": (lambda a: with_7zz(a, "Deflate64", ALL), "7zz -mm=Deflate64", ["7zz"]),
    "bzip2-zip.zip": (lambda a: with_zip(a, ALL, "-Z", "bzip2"), "zip -Z bzip2", ["unzip", "python"]),
    "bzip2-7zz.zip": (lambda a: with_7zz(a, "BZip2", ALL), "7zz -mm=BZip2", ["7zz"]),
    "bzip2-python.zip": (lambda a: with_python(a, zipfile.ZIP_BZIP2, ALL), "python zipfile ZIP_BZIP2", ["python"]),
    # 7zz writes LZMA with the end marker (flag bit 1) unless told eos=off.
    "lzma-7zz.zip": (lambda a: with_7zz(a, "LZMA", ALL), "7zz -mm=LZMA", ["7zz"]),
    "lzma-7zz-noeos.zip": (lambda a: with_7zz(a, "LZMA:eos=off", ALL), "7zz -mm=LZMA:eos=off", ["7zz"]),
    "lzma-python.zip": (lambda a: with_python(a, zipfile.ZIP_LZMA, ALL), "python zipfile ZIP_LZMA", ["python"]),
    # 7zz stores what XZ would not shrink: the test file stays out.
    "xz-7zz.zip": (lambda a: with_7zz(a, "XZ", NO_EICAR), "7zz -mm=XZ", ["7zz"]),
    "xz-raw.zip": (lambda a: with_raw_writer(a, 95, [(n, CONTENT[n], XZ) for n in ALL] +
                                             [("calls.bin", CALLS, ["xz", "-c", "--x86", "--lzma2"])]),
                   "xz CLI + raw writer", ["raw"]),
    # zstd keeps short literals as they are: the test file would stand in clear, the test
    # string amid text does not.
    "zstd-raw.zip": (lambda a: with_raw_writer(a, 93, [(n, CONTENT[n], ZSTD) for n in NO_EICAR] +
                                                      [("eicar-text.com", EICAR_IN_TEXT, ZSTD)]),
                     "zstd CLI + raw writer", ["raw"]),
    "zipcrypto-zip.zip": (lambda a: with_zip(a, ["text.txt", "eicar.com"], "-P", PASSWORD), "zip -P",
                          ["unzip", "python"]),
    "aes-7zz.zip": (lambda a: with_7zz(a, "Deflate", ["text.txt", "eicar.com"], "-mem=AES256", "-p" + PASSWORD),
                    "7zz -mem=AES256", ["7zz"]),
}
CLAM_ARCHIVES = ["clam.zip", "clam.impl.zip", "clam.bz2.zip", "clam.d64.zip"]

# ---- Decoders: each gives {member: sha256} for the members it decoded ----


def members_of(path):
    with zipfile.ZipFile(path) as archive:
        return archive.infolist()


def by_7zz(path):
    found = {}
    for info in members_of(path):
        code, out, _ = run("7zz", "e", "-so", "-bd", "-p" + PASSWORD, path, info.filename)
        if code == 0:
            found[info.filename] = sha(out)
    return found


def by_python(path):
    found = {}
    with zipfile.ZipFile(path) as archive:
        for info in archive.infolist():
            try:
                found[info.filename] = sha(archive.read(info, pwd=PASSWORD.encode()))
            except NotImplementedError:
                pass
    return found


def by_unzip(path):
    found = {}
    for info in members_of(path):
        code, out, _ = run("unzip", "-p", "-qq", "-P", PASSWORD, path, info.filename)
        if code == 0:
            found[info.filename] = sha(out)
    return found


def packed_data(path, info):
    with open(path, "rb") as f:
        f.seek(info.header_offset)
        header = f.read(30)
        name_length, extra_length = struct.unpack("<HH", header[26:30])
        f.seek(info.header_offset + 30 + name_length + extra_length)
        return f.read(info.compress_size)


def by_raw(path):
    """xz -d and zstd -d on each member's packed data as it stands in the archive."""
    tools = {95: ["xz", "-dc"], 93: ["zstd", "-dc"]}
    found = {}
    for info in members_of(path):
        if info.compress_type in tools:
            code, out, _ = run(*tools[info.compress_type], data=packed_data(path, info))
            if code == 0:
                found[info.filename] = sha(out)
    return found


DECODERS = {"7zz": by_7zz, "python": by_python, "unzip": by_unzip, "raw": by_raw}
RAW_NAMES = {95: "xz", 93: "zstd"}

# ---- Checks and the manifest ----


def check(archive, made_by, required, expected):
    path = os.path.join(HERE, archive)
    if os.path.getsize(path) > SIZE_LIMIT:
        fail("%s is over %d bytes" % (archive, SIZE_LIMIT))
    results = {name: decoder(path) for name, decoder in DECODERS.items()}
    rows = []
    for info in members_of(path):
        if info.filename == "eicar.com" and info.compress_type == 0:
            fail("%s stores the test file" % archive)
        want = expected[info.filename]
        agreed = []
        for name, found in results.items():
            if info.filename not in found:
                if name in required:
                    fail("%s could not decode %s : %s" % (name, archive, info.filename))
                continue
            if found[info.filename] != want:
                fail("%s decodes %s : %s to other bytes" % (name, archive, info.filename))
            agreed.append(RAW_NAMES.get(info.compress_type, name) if name == "raw" else name)
        if not agreed:
            fail("no decoder checked %s : %s" % (archive, info.filename))
        rows.append([archive, info.filename, str(info.compress_type), "%04x" % info.flag_bits, str(info.file_size),
                     "%08x" % info.CRC, want, made_by, "+".join(agreed)])
    return rows


def main():
    rows = []
    wanted = {name: sha(data) for name, data in CONTENT.items()}
    wanted.update({name: sha(data) for name, data in EXTRA.items()})
    for archive, (make, made_by, required) in ARCHIVES.items():
        make(archive)
        rows += check(archive, made_by, required, wanted)
    with open(os.path.join(CLAM, "clam.exe"), "rb") as f:
        clam = {"clam.exe": sha(f.read())}
    clam["CLAM.EXE"] = clam["clam.exe"]
    for archive in CLAM_ARCHIVES:
        must("cp", os.path.join(CLAM, archive), target(archive))
        rows += check(archive, "clamav-testfiles", ["7zz"], clam)
    with open(os.path.join(HERE, "MANIFEST.tsv"), "w") as f:
        f.write("archive\tmember\tmethod\tflags\tsize\tcrc32\tsha256\tmade_by\tchecked_by\n")
        for row in rows:
            f.write("\t".join(row) + "\n")
    for name in os.listdir(HERE):
        with open(os.path.join(HERE, name), "rb") as f:
            if TEST_STRING in f.read():
                fail("%s holds the anti-virus test string in clear" % name)
    print("make_fixtures: %d archives, %d members checked" % (len(ARCHIVES) + len(CLAM_ARCHIVES), len(rows)))


main()
PYTHON
