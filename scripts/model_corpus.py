#!/usr/bin/env python3
"""Runs the host on a corpus of damaged model files and reports crashes, time and memory.

Usage (from the repository, after a build; under xvfb-run where there is no display):
    python3 scripts/model_corpus.py [BUILD_DIR] [FILES_PER_RUN]

The model-file test writes its corpus (thousands of damaged .vtp, .ply, .stl, .vtk and
.obj files made from sound ones) into a temporary folder; the release host opens them
FILES_PER_RUN (default 40) at a time on its command line with --hidden. Each run must end
normally; the time and peak memory of a run beyond those of a start-up without files are
reported for the worst run. Then it opens grids of triangles whose coordinates are whole
numbers, halves, powers of two and arbitrary ones (100,000 and 1,000,000 triangles), and
draws a grid with one stray triangle far away (10,000 to 80,000 triangles, .vtk), and
reports each one's cost per triangle beside that of arbitrary coordinates: a cost that
depends on the coordinates or grows with the size shows there. Exit status 1 when a run
crashed or did not end normally.
"""
import math
import struct
import glob
import os
import subprocess
import sys
import tempfile
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
per_run = int(sys.argv[2]) if len(sys.argv) > 2 else 40
host = os.path.join(build, "bin", "pelmora")
home = tempfile.mkdtemp(prefix="pelmora-corpus-")
os.chmod(home, 0o700)
corpus = os.path.join(home, "corpus")
os.mkdir(corpus)
env = dict(os.environ, XDG_CONFIG_HOME=home, HOME=home, XDG_RUNTIME_DIR=home)

subprocess.run([os.path.join(build, "bin", "test_platform_mrml"),
                "--gtest_filter=HostileModelFiles.Damaged*", "--gtest_brief=1"],
               env=dict(env, PELMORA_MODEL_CORPUS=corpus, QT_QPA_PLATFORM="offscreen"),
               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
files = sorted(glob.glob(os.path.join(corpus, "*")))


def run(args, hidden=True):
    log = os.path.join(home, "console.log")
    if os.path.exists(log):
        os.remove(log)
    start = time.monotonic()
    process = subprocess.Popen([host] + (["--hidden"] if hidden else []) + ["--log", log] + args, env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    seconds = time.monotonic() - start
    text = open(log, errors="replace").read() if os.path.exists(log) else ""
    # Status 1 says that a file named was refused; a crash or a signal is no status at all.
    ended = os.waitstatus_to_exitcode(status) in (0, 1) and "Finish: Event loop left" in text
    return ended, seconds, usage.ru_maxrss, text.count("[Err] Cannot open model file")


ended, base_seconds, base_kib, _ = run([])
if not ended:
    sys.exit("the host does not start and end normally without files")
failed, worst_seconds, worst_kib, refused = [], 0.0, 0, 0
for first in range(0, len(files), per_run):
    part = files[first:first + per_run]
    ended, seconds, kib, errors = run(part)
    refused += errors
    worst_seconds = max(worst_seconds, seconds - base_seconds)
    worst_kib = max(worst_kib, kib - base_kib)
    if not ended:
        failed.append(part)
        print("run did not end normally:", " ".join(os.path.basename(f) for f in part), flush=True)
print(f"{len(files)} files in {(len(files) + per_run - 1) // per_run} runs of {per_run}: "
      f"{len(failed)} runs failed, {refused} files refused; worst run beyond start-up "
      f"{worst_seconds:.2f} s and {worst_kib / 1024:.1f} MiB")


def corner(shape, i, j):
    height = (i * 7 + j * 3) % 11
    if shape == "integer":
        return (float(i), float(j), float(height))
    if shape == "half-integer":
        return (0.5 * i, 0.5 * j, 0.5 * height)
    if shape == "power-of-two":
        def p(k):
            return (-1.0 if k & 1 else 1.0) * math.ldexp(1.0, k // 2 - 60)
        return (p(i % 240), p(j % 240), p(i // 240 * 17 + j // 240))
    h = (i * 2654435761 + j * 40503) & 0xFFFFFFFF
    return (i + ((h & 0xFF) / 255.0 - 0.5) * 0.8, j + (((h >> 8) & 0xFF) / 255.0 - 0.5) * 0.8, (h >> 16) / 6553.5)


def grid_triangles(shape, count, stray=False):
    columns = max(1, math.ceil(math.sqrt(count / 2)))
    for t in range(count):
        if stray and t == count - 1:
            yield ((1e7, 1e7, 1e7), (1e7 + 1, 1e7, 1e7), (1e7, 1e7 + 1, 1e7))
            return
        quad = t // 2
        i, j = quad % columns, quad // columns
        c = (corner(shape, i, j), corner(shape, i + 1, j), corner(shape, i + 1, j + 1), corner(shape, i, j + 1))
        yield (c[0], c[1], c[2]) if t % 2 == 0 else (c[0], c[2], c[3])


def write_stl(path, shape, count):
    with open(path, "wb") as f:
        f.write(b"grid".ljust(80, b" ") + struct.pack("<I", count))
        f.write(b"".join(struct.pack("<12fH", 0, 0, 0, *a, *b, *c, 0) for a, b, c in grid_triangles(shape, count)))


def write_vtk(path, count):
    index, points, cells = {}, [], []
    for triangle in grid_triangles("integer", count, stray=True):
        ids = []
        for p in triangle:
            if p not in index:
                index[p] = len(points)
                points.append(p)
            ids.append(index[p])
        cells.append(ids)
    with open(path, "w") as f:
        f.write(f"# vtk DataFile Version 3.0\ngrid and a stray triangle\nASCII\nDATASET POLYDATA\nPOINTS {len(points)} float\n")
        f.writelines("%.9g %.9g %.9g\n" % p for p in points)
        f.write(f"POLYGONS {len(cells)} {4 * len(cells)}\n")
        f.writelines("3 %d %d %d\n" % tuple(c) for c in cells)


def per_triangle(args, count):
    ended, seconds, _, errors = run(args, hidden="--screenshot" not in args)
    if not ended or errors:
        failed.append(args)
        print("run did not end normally:", " ".join(os.path.basename(a) for a in args), flush=True)
    return max(0.0, seconds - base_seconds) / count * 1e6


shape_file = os.path.join(home, "grid.stl")
for count in (100000, 1000000):
    costs = {}
    for shape in ("random", "integer", "half-integer", "power-of-two"):
        write_stl(shape_file, shape, count)
        costs[shape] = per_triangle([shape_file], count)
        os.remove(shape_file)
        print(f"open {count} triangles, {shape} coordinates: {costs[shape]:.3f} us a triangle "
              f"({costs[shape] / max(costs['random'], 1e-9):.2f}x arbitrary ones)", flush=True)
shot = os.path.join(home, "shot.png")
for count in (10000, 20000, 40000, 80000):
    stray_file = os.path.join(home, f"stray point {count}.vtk")
    write_vtk(stray_file, count)
    cost = per_triangle(["--screenshot", shot, stray_file], count)
    print(f"draw {count} triangles with a stray point: {cost:.3f} us a triangle", flush=True)
    for leftover in (stray_file, shot):
        if os.path.exists(leftover):
            os.remove(leftover)
sys.exit(1 if failed else 0)
