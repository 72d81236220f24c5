#!/usr/bin/env python3
"""Builds the scan benchmark's tree from the engine benchmark's corpus (real files, some with a
planted signature): the corpus files, many small slices of this machine's headers, and a few
hundred ZIP archives (deflated, some nested) into which files of the tree are moved.

    make_tree.py CORPUS_DIR PLANTED_TXT OUT_DIR SMALL_FILES ARCHIVES SEED

Writes OUT_DIR/tree and OUT_DIR/infected.txt: the paths on disk that hold a planted signature
(an archive when the file went into one)."""
import os
import random
import shutil
import sys
import zipfile


def header_pool():
    pool = []
    for folder, _, names in os.walk("/usr/include"):
        for name in names:
            path = os.path.join(folder, name)
            if os.path.isfile(path) and not os.path.islink(path):
                pool.append(path)
    pool.sort()
    return pool


def main():
    corpus, planted_txt, out, small, archives, seed = sys.argv[1:7]
    rng = random.Random(int(seed))
    tree = os.path.join(out, "tree")
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(tree)

    planted = set()
    with open(planted_txt) as f:
        for line in f:
            planted.add(os.path.relpath(line.split("\t")[0], corpus))

    files = []  # (relative path, infected)
    for folder, _, names in os.walk(corpus):
        for name in sorted(names):
            rel = os.path.relpath(os.path.join(folder, name), corpus)
            target = os.path.join(tree, "bin", rel)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copyfile(os.path.join(corpus, rel), target)
            files.append((os.path.join("bin", rel), rel in planted))

    pool = header_pool()
    for i in range(int(small)):
        data = open(rng.choice(pool), "rb").read()
        size = min(len(data), int(rng.lognormvariate(7.5, 1.0)) + 64)
        start = rng.randrange(0, max(1, len(data) - size + 1))
        rel = os.path.join("src", "d%03d" % (i % 400), "f%05d.txt" % i)
        os.makedirs(os.path.dirname(os.path.join(tree, rel)), exist_ok=True)
        with open(os.path.join(tree, rel), "wb") as f:
            f.write(data[start:start + size])
        files.append((rel, False))

    # Each archive takes a handful of files of one run of the list; one in ten holds another
    # archive made the same way.
    rng.shuffle(files)
    infected = {rel for rel, bad in files if bad}
    taken = 0
    for n in range(int(archives)):
        group = files[taken:taken + rng.randint(3, 12)]
        taken += len(group)
        archive_rel = os.path.join("zips", "a%04d.zip" % n)
        archive = os.path.join(tree, archive_rel)
        os.makedirs(os.path.dirname(archive), exist_ok=True)
        bad = False
        with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
            nested = group[: len(group) // 2] if n % 10 == 0 else []
            for rel, _ in group:
                if (rel, rel in infected) in nested:
                    continue
                z.write(os.path.join(tree, rel), rel)
            if nested:
                inner = os.path.join(out, "inner.zip")
                with zipfile.ZipFile(inner, "w", zipfile.ZIP_DEFLATED) as zi:
                    for rel, _ in nested:
                        zi.write(os.path.join(tree, rel), rel)
                z.write(inner, "inner/inner%04d.zip" % n)
                os.remove(inner)
        for rel, _ in group:
            bad = bad or rel in infected
            infected.discard(rel)
            os.remove(os.path.join(tree, rel))
        if bad:
            infected.add(archive_rel)
    with open(os.path.join(out, "infected.txt"), "w") as f:
        for rel in sorted(infected):
            f.write(os.path.join(tree, rel) + "\n")


main()
