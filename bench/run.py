#!/usr/bin/env python3
"""Quillon's benchmark: generated sites of 10,000 and 100,000 pages and a
1,000,000-page chain; for each, Quillon's wall time (median of 5 runs with a
warm page cache), pages and MB per second, peak RSS, and the floor measured
in the same run: a small reader that opens every page, reads it whole and
scans it for "<a " with memchr.

  python3 bench/run.py [--dir DIR] [--runs 5] [--only 10k,100k,chain]

Sites are generated once into DIR (default /tmp/quillon-bench) and reused.
It builds Quillon (Release) and the floor reader into DIR/build.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
SITES = {
    "10k": ["--pages", "10000"],
    "100k": ["--pages", "100000"],
    "chain": ["--chain", "1000000"],
}


def run(cmd, cwd=None):
    subprocess.run(cmd, cwd=cwd, check=True, stdout=subprocess.DEVNULL)


def timed(cmd):
    """Wall seconds and peak RSS (MiB) of one run of cmd."""
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.perf_counter() - start
    err = proc.stderr.read().decode(errors="replace")
    proc.stderr.close()
    if status != 0:
        raise SystemExit("%s failed: %s" % (" ".join(cmd), err))
    return wall, usage.ru_maxrss / 1024.0


def site_bytes(path):
    total = pages = 0
    for d, _, files in os.walk(path):
        for f in files:
            if f.endswith((".htm", ".html", ".php")):
                pages += 1
                total += os.path.getsize(os.path.join(d, f))
    return pages, total


def warm(path):
    for d, _, files in os.walk(path):
        for f in files:
            with open(os.path.join(d, f), "rb") as fh:
                while fh.read(1 << 20):
                    pass


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--dir", default="/tmp/quillon-bench")
    p.add_argument("--runs", type=int, default=5)
    p.add_argument("--only", default="10k,100k,chain")
    a = p.parse_args()
    os.makedirs(a.dir, exist_ok=True)
    build = os.path.join(a.dir, "build")
    run(["cmake", "-S", ROOT, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
         "-DQUILLON_TESTS=OFF"])
    run(["cmake", "--build", build, "-j", str(os.cpu_count() or 2)])
    quillon = os.path.join(build, "quillon")
    floor = os.path.join(build, "floor_scan")
    run(["c++", "-O2", "-std=c++20", "-o", floor, os.path.join(HERE, "floor_scan.cc")])

    rows = []
    for name in a.only.split(","):
        site = os.path.join(a.dir, "site-" + name)
        if not os.path.exists(os.path.join(site, ".complete")):
            shutil.rmtree(site, ignore_errors=True)
            print("generating %s ..." % site, file=sys.stderr)
            run([sys.executable, os.path.join(HERE, "make_site.py"), site] + SITES[name])
            open(os.path.join(site, ".complete"), "w").close()
        pages, total = site_bytes(site)
        warm(site)
        # One untimed run of each first (the first run after a build, or
        # on a site without outputs yet, is not typical); then the floor
        # and Quillon take turns, so that both see the same load.
        timed([floor, site])
        timed([quillon, site])
        floors, runs = [], []
        for _ in range(a.runs):
            floors.append(timed([floor, site])[0])
            runs.append(timed([quillon, site]))
        wall = statistics.median(r[0] for r in runs)
        rss = max(r[1] for r in runs)
        floor_wall = statistics.median(floors)
        rows.append((name, pages, total / 1e6, wall, pages / wall, total / 1e6 / wall,
                     rss, floor_wall, wall / floor_wall))

    head = ("site", "pages", "MB", "quillon s", "pages/s", "MB/s", "peak RSS MiB",
            "floor s", "quillon/floor")
    print("| " + " | ".join(head) + " |")
    print("|" + "---|" * len(head))
    for r in rows:
        print("| %s | %d | %.0f | %.3f | %.0f | %.0f | %.1f | %.3f | %.2f |" % r)
    if len(rows) >= 2 and rows[0][0] == "10k" and rows[1][0] == "100k":
        print("\n10k -> 100k: time x%.1f" % (rows[1][3] / rows[0][3]))


if __name__ == "__main__":
    main()
