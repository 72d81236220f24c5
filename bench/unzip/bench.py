#!/usr/bin/env python3
"""Runs the extractor and its peers side by side on the benchmark archives, one core each,
and prints MB/s of uncompressed output per tool and the ratio of ours to the fastest peer.
Times are CPU times (user + system) of the child, the best of the repetitions; output goes
to a tmpfs folder so that the disk does not decide.
Usage: bench.py <qrxunzip> <inflate_reference> <archive folder> [repetitions]"""
import os
import resource
import shutil
import subprocess
import sys
import zipfile

OUT = "/dev/shm/qrx-bench-out"
CORE = ["taskset", "-c", "0"]


def cpu_seconds(command, stdout=subprocess.DEVNULL, env=None):
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(OUT)
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    result = subprocess.run(CORE + command, stdout=stdout, stderr=subprocess.DEVNULL, env=env)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    shutil.rmtree(OUT, ignore_errors=True)
    seconds = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return seconds, result.returncode


def python_command(archive, mode):
    action = "z.extractall(%r)" % OUT if mode == "extract" else "assert z.testzip() is None"
    return ["python3", "-c", "import zipfile; z = zipfile.ZipFile(%r); %s" % (archive, action)]


def tools(qrxunzip, reference, archive, deflated):
    tmp_env = dict(os.environ, TMPDIR="/dev/shm")
    rows = [
        ("extract", "qrxunzip", [qrxunzip, "-q", "extract", archive, OUT], None),
        ("extract", "unzip", ["unzip", "-qq", "-o", archive, "-d", OUT], None),
        ("extract", "7zz", ["7zz", "x", "-y", "-mmt1", "-bso0", "-bsp0", "-o" + OUT, archive], None),
        ("extract", "python", python_command(archive, "extract"), None),
        ("test", "qrxunzip", [qrxunzip, "-q", "test", archive], tmp_env),
        ("test", "unzip", ["unzip", "-tqq", archive], None),
        ("test", "7zz", ["7zz", "t", "-mmt1", "-bso0", "-bsp0", archive], None),
        ("test", "python", python_command(archive, "test"), None),
        ("pipe", "unzip -p", ["unzip", "-p", archive], None),
    ]
    if deflated:
        rows += [("decode", "zlib", [reference, "zlib", archive], None),
                 ("decode", "libdeflate", [reference, "libdeflate", archive], None)]
    return rows


def main():
    qrxunzip, reference, folder = sys.argv[1:4]
    repetitions = int(sys.argv[4]) if len(sys.argv) > 4 else 2
    names = ["mixed.zip", "mixed-stored.zip", "small.zip", "small-stored.zip", "shrunk.zip", "imploded.zip"]
    print("%-18s %-8s %-11s %9s %8s" % ("archive", "mode", "tool", "MB/s", "cpu s"))
    failures = 0
    for name in names:
        archive = os.path.join(folder, name)
        with zipfile.ZipFile(archive) as z:
            infos = z.infolist()
        megabytes = sum(i.file_size for i in infos) / 1e6
        deflated = all(i.compress_type == zipfile.ZIP_DEFLATED for i in infos)
        best, failed = {}, set()
        for mode, tool, command, env in tools(qrxunzip, reference, archive, deflated):
            runs = [cpu_seconds(command, env=env) for _ in range(repetitions)]
            seconds = min(r[0] for r in runs)
            ok = all(r[1] == 0 for r in runs)
            if not ok:
                failed.add((mode, tool))
                failures += tool == "qrxunzip"
            best[(mode, tool)] = megabytes / seconds if seconds > 0 else float("inf")
            print("%-18s %-8s %-11s %9.1f %8.3f%s" % (name, mode, tool, best[(mode, tool)], seconds,
                                                    "" if ok else "  FAILED"))
        for mode in ("extract", "test"):
            # A peer that cannot read the archive does not count.
            peers = [v for (m, t), v in best.items() if m == mode and t != "qrxunzip" and (m, t) not in failed]
            print("%-18s %-8s ours / fastest peer: %.2f" % (name, mode, best[(mode, "qrxunzip")] / max(peers)))
        sys.stdout.flush()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
