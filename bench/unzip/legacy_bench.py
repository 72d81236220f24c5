#!/usr/bin/env python3
"""Unshrink and explode side by side with unzip and 7zz, on archives grown from the real
PKZIP members of the corpus (the extractor benchmark's own archive maker and runner, kept to
the legacy methods): each archive holds every member of one method of a PKZIP archive,
repeated. Prints MB/s of uncompressed output (CPU time, one core, best of the repetitions)
and ours / fastest peer per mode.
Usage: legacy_bench.py <qrxunzip> <archive folder> <corpus folder> [repetitions]"""
import os
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bench  # noqa: E402
import make_archives  # noqa: E402

# (archive, corpus archive, method, copies): about 16 to 65 MB of output each.
ARCHIVES = [
    ("shrunk.zip", "defacto2-PKZ110ES.ZIP", 1, 20),            # PKZIP 1.10, shrunk
    ("shrunk-hw.zip", "defacto2-HWSHRINK.ZIP", 1, 200),        # another shrinker, text
    ("imploded.zip", "defacto2-PKZ110EI.ZIP", 6, 20),          # 4 KiB dictionary, no literal tree
    ("imploded-8k-literal.zip", "commons-lorem-ipsum-implode.zip", 6, 120),  # flags 2 and 4
]
PEERS = ("unzip", "7zz")


def main():
    qrxunzip, folder, corpus = sys.argv[1:4]
    repetitions = int(sys.argv[4]) if len(sys.argv) > 4 else 3
    os.makedirs(folder, exist_ok=True)
    print("%-24s %-8s %-9s %9s %8s" % ("archive", "mode", "tool", "MB/s", "cpu s"))
    failures = 0
    for name, source, method, copies in ARCHIVES:
        archive = os.path.join(folder, name)
        if not os.path.exists(archive):
            make_archives.write_repeated(folder, name, corpus, source, method, copies)
        with zipfile.ZipFile(archive) as z:
            megabytes = sum(i.file_size for i in z.infolist()) / 1e6
        best = {}
        for mode, tool, command, env in bench.tools(qrxunzip, None, archive, False):
            if tool not in PEERS + ("qrxunzip",) or mode not in ("extract", "test"):
                continue
            runs = [bench.cpu_seconds(command, env=env) for _ in range(repetitions)]
            seconds = min(r[0] for r in runs)
            ok = all(r[1] == 0 for r in runs)
            failures += not ok
            best[(mode, tool)] = megabytes / seconds if seconds > 0 else float("inf")
            print("%-24s %-8s %-9s %9.1f %8.3f%s" % (name, mode, tool, best[(mode, tool)], seconds,
                                                   "" if ok else "  FAILED"))
        for mode in ("extract", "test"):
            fastest = max(best[(mode, peer)] for peer in PEERS)
            print("%-24s %-8s ours / fastest peer: %.2f  (%.1f MB of output)" %
                  (name, mode, best[(mode, "qrxunzip")] / fastest, megabytes))
        sys.stdout.flush()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
