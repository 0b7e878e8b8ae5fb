#!/usr/bin/env python3
"""Runs the host on a corpus of damaged model files and reports crashes, time and memory.

Usage (from the repository, after a build; under xvfb-run where there is no display):
    python3 scripts/model_corpus.py [BUILD_DIR] [FILES_PER_RUN]

The model-file test writes its corpus (thousands of damaged .vtp, .ply, .stl, .vtk and
.obj files made from sound ones) into a temporary folder; the release host opens them
FILES_PER_RUN (default 40) at a time on its command line with --hidden. Each run must end
normally; the time and peak memory of a run beyond those of a start-up without files are
reported for the worst run. Exit status 1 when a run crashed or did not end normally.
"""
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


def run(args):
    log = os.path.join(home, "console.log")
    if os.path.exists(log):
        os.remove(log)
    start = time.monotonic()
    process = subprocess.Popen([host, "--hidden", "--log", log] + args, env=env,
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
sys.exit(1 if failed else 0)
