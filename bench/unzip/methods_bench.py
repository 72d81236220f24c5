#!/usr/bin/env python3
"""The methods decoded by a reference library or by the wide-window inflate, side by side with
7zz on the same archives: Deflate64, bzip2, LZMA and XZ as 7zz writes them into a ZIP, and
Zstandard as zstd -3 packs it (make_archives.write_methods). Each tool runs pinned to one core
(7zz with -mmt1), `test` (decode and CRC, nothing written) and `extract` (to tmpfs); times are
CPU times (user + system) of the process, the median of the repetitions (the tools taking
turns in each), and speeds are MB of unpacked output per CPU-second.
The library's own command-line decoder runs on the raw packed data of the same members, one
process per member, so that the library's speed stands apart from what our bridge adds, and
so does codec_blocks (codec_blocks.cpp: the vendored library fed as the bridge feeds it) at the
bridge's block sizes and at larger ones, to show what the sizes cost.
Prints one line per run, then Markdown tables.
Usage: methods_bench.py <qrxunzip> <codec_blocks> <archive folder> [repetitions, default 5]"""
import os
import shutil
import statistics
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bench  # noqa: E402
import make_archives  # noqa: E402

RAW = "/dev/shm/qrx-bench-raw"
LZMA_UNKNOWN_SIZE = b"\xff" * 8  # the members end with an end marker, as 7zz writes them

# (archive, method, name, the library's decoder over one raw member file, codec_blocks' name of
# it, the raw member's bytes as that decoder reads them); Deflate64 is our own decoder.
ARCHIVES = [
    ("deflate64.zip", 9, "Deflate64", None, None, None),
    ("bzip2.zip", 12, "bzip2", ["bzip2", "-dc"], "bzip2", lambda packed: packed),
    # ZIP's LZMA header (version, properties size) gives way to the .lzma file's header.
    ("lzma.zip", 14, "LZMA", ["xz", "--format=lzma", "-dc"], "lzma",
     lambda packed: packed[4:9] + LZMA_UNKNOWN_SIZE + packed[9:]),
    ("xz.zip", 95, "XZ", ["xz", "-T1", "-dc"], "xz", lambda packed: packed),
    ("zstd.zip", 93, "Zstandard", ["zstd", "-q", "-dc"], "zstd", lambda packed: packed),
]
# (input block, output window) for codec_blocks: the bridge's own sizes first.
BLOCKS = [(4096, 32768), (65536, 32768), (4096, 262144), (65536, 262144), (1 << 20, 1 << 20)]


def interleaved_medians(runs, repetitions):
    """Per run (commands run one after the other, env), the median over the repetitions of
    its CPU seconds, and whether all succeeded. The runs take turns in each repetition, so
    that a change of the machine's load falls on all of them."""
    totals, ok = [[] for _ in runs], [True] * len(runs)
    for _ in range(repetitions):
        for index, (commands, env) in enumerate(runs):
            total = 0.0
            for command in commands:
                seconds, code = bench.cpu_seconds(command, env=env)
                total += seconds
                ok[index] = ok[index] and code == 0
            totals[index].append(total)
    return [(statistics.median(t), good) for t, good in zip(totals, ok)]


def raw_member_files(archive, method, convert):
    """The packed data of the archive's members of this method, one file each under RAW."""
    shutil.rmtree(RAW, ignore_errors=True)
    os.makedirs(RAW)
    paths = []
    for index, (_, packed) in enumerate(make_archives.raw_members(archive, method)):
        paths.append(os.path.join(RAW, "%02d" % index))
        open(paths[-1], "wb").write(convert(packed))
    return paths


def block_seconds(codec_blocks, kind, files, rounds, expected):
    """codec_blocks' median CPU seconds of decoding the files, by "block/window" sizes; fails
    unless every size gave the expected bytes."""
    sizes = ",".join("%d/%d" % pair for pair in BLOCKS)
    lines = subprocess.run(bench.CORE + [codec_blocks, kind, str(rounds), sizes] + files, check=True,
                           stdout=subprocess.PIPE, text=True).stdout.split()
    if any(int(lines[i + 2]) != expected for i in range(0, len(lines), 3)):
        raise SystemExit("codec_blocks %s gave other content than the archive's" % kind)
    return {lines[i]: float(lines[i + 1]) for i in range(0, len(lines), 3)}


def measure(qrxunzip, codec_blocks, folder, entry, repetitions, report):
    archive_name, method, _, decoder, kind, convert = entry
    archive = os.path.join(folder, archive_name)
    with zipfile.ZipFile(archive) as z:
        infos = z.infolist()
    megabytes = sum(i.file_size for i in infos) / 1e6
    coded_bytes = sum(i.file_size for i in infos if i.compress_type == method)
    coded = coded_bytes / 1e6
    tools = [(mode, tool, [command], env) for mode, tool, command, env in bench.tools(qrxunzip, None, archive, False)
             if tool in ("qrxunzip", "7zz") and mode in ("test", "extract")]
    if decoder:
        files = raw_member_files(archive, method, convert)
        tools.append(("decode", decoder[0], [decoder + [path] for path in files], None))
    speeds, failures = {}, 0
    results = interleaved_medians([(commands, env) for _, _, commands, env in tools], repetitions)
    for (mode, tool, _, _), (seconds, ok) in zip(tools, results):
        failures += not ok
        # The library's decoder gives only the members of this method.
        output = coded if mode == "decode" else megabytes
        speeds[(mode, tool)] = (output / seconds, seconds)
        print("%-14s %-8s %-9s %8.1f MB/s %7.3f s%s" % (archive_name, mode, tool, output / seconds, seconds,
                                                      "" if ok else "  FAILED"))
        sys.stdout.flush()
    if decoder:
        for sizes, seconds in block_seconds(codec_blocks, kind, files, repetitions, coded_bytes).items():
            speeds[("blocks", sizes)] = (coded / seconds, seconds)
            print("%-14s %-8s %-13s %8.1f MB/s %7.3f s" % (archive_name, "blocks", sizes, coded / seconds, seconds))
    shutil.rmtree(RAW, ignore_errors=True)
    kinds = sorted({i.compress_type for i in infos})
    report.append((archive_name, os.path.getsize(archive) / 1e6, megabytes, coded, kinds, speeds))
    return failures


def print_table(report):
    print("\n| method | archive | unpacked | test: ours | `7zz t` | ratio | extract: ours | `7zz x` | ratio "
          "| library CLI, raw members | library alone | ours, test |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|")
    names = {a[0]: a[2] for a in ARCHIVES}
    for archive, size, megabytes, coded, kinds, speeds in report:
        cells = [names[archive], "%.1f MB" % size, "%.1f MB" % megabytes]
        for mode in ("test", "extract"):
            ours, peer = speeds[(mode, "qrxunzip")][0], speeds[(mode, "7zz")][0]
            cells += ["%.0f" % ours, "%.0f" % peer, "%.2f" % (ours / peer)]
        library = [(tool, v) for (mode, tool), v in speeds.items() if mode == "decode"]
        if library:
            tool, (speed, seconds) = library[0]
            cells.append("`%s` %.3f s (%.0f MB/s of %.1f MB)" % (tool, seconds, speed, coded))
            cells.append("%.3f s" % speeds[("blocks", "%d/%d" % BLOCKS[0])][1])
        else:
            cells += ["-", "-"]
        cells.append("%.3f s" % speeds[("test", "qrxunzip")][1])
        print("| " + " | ".join(cells) + " |")
    print("\ncodec_blocks, CPU seconds of the decoding alone by input block / output window (the bridge's first):")
    print("| method | " + " | ".join("%d / %d" % sizes for sizes in BLOCKS) + " |")
    print("|---|" + "---|" * len(BLOCKS))
    for archive, _, _, _, _, speeds in report:
        if ("blocks", "%d/%d" % BLOCKS[0]) in speeds:
            print("| %s | " % names[archive] +
                  " | ".join("%.3f s" % speeds[("blocks", "%d/%d" % sizes)][1] for sizes in BLOCKS) + " |")
    print("\nmethods per archive:", ", ".join("%s %s" % (a, k) for a, _, _, _, k, _ in report))


def main():
    qrxunzip, codec_blocks, folder = sys.argv[1:4]
    repetitions = int(sys.argv[4]) if len(sys.argv) > 4 else 5
    if not all(os.path.exists(os.path.join(folder, a[0])) for a in ARCHIVES):
        make_archives.write_methods(folder)
    report, failures = [], 0
    for archive in ARCHIVES:
        failures += measure(qrxunzip, codec_blocks, folder, archive, repetitions, report)
    print_table(report)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
