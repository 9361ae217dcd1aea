#!/usr/bin/env python3
"""Search speed beside grep, and Replace All time, on generated 50 MB pages.

    bench/search_vs_grep.py [BUILD_DIR]      (default: build)

1. Plants a rare 7-character word 100 times (in three letter cases) in a 50 MB UTF-8 page and
   finds it with tallo-search, case-sensitive and not, beside `grep -F -c` and `grep -F -i -c` on
   the same file. Times are processor time (user + system), best of five, so that other work on a
   busy machine does not count; tallo-search is shown both for its search alone (the page already
   in the editor) and as a whole process (reading, checking UTF-8 and splitting lines included),
   which is what grep's figure covers.
2. Runs tallo-bench-replace-all: Replace All of 100,000 matches in a 50 MB page, and of a quarter
   and a half of that in pages a quarter and a half the size.
"""
import os
import resource
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
RUNS = 5


def child_cpu_seconds(command):
    """Best processor time of RUNS runs of a command, and its output of the last run."""
    best = None
    output = ""
    for _ in range(RUNS):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        output = subprocess.run(command, check=False, capture_output=True, text=True).stdout
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        seconds = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        best = seconds if best is None else min(best, seconds)
    return best, output


def field(output, name):
    for line in output.splitlines():
        if line.startswith(name + " "):
            return line.split()[1]
    raise SystemExit(f"no {name} in output: {output!r}")


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    tool = os.path.join(build, "bench", "tallo-search")
    replace_all = os.path.join(build, "bench", "tallo-bench-replace-all")
    with tempfile.TemporaryDirectory() as work:
        page = os.path.join(work, "page.html")
        subprocess.run([sys.executable, os.path.join(HERE, "make_search_page.py"), page, "50", "Zebrafy", "100",
                        "--mixed-case"], check=True)
        megabytes = os.path.getsize(page) / 1e6
        print(f"page: {megabytes:.1f} MB, pattern Zebrafy (100 planted: 34 as typed, 33 upper case, 33 lower case)")
        print(f"{'run':44} {'count':>6} {'cpu ms':>8} {'MB/s':>7}")

        def row(name, count, seconds):
            print(f"{name:44} {count:>6} {seconds * 1e3:8.1f} {megabytes / seconds:7.0f}")

        for label, flags in (("case-sensitive", ["--match-case"]), ("case-insensitive", [])):
            _, quiet = child_cpu_seconds([tool, page, "Zebrafy", "--quiet", "--repeat", "5"] + flags)
            row(f"tallo-search {label}, search only", field(quiet, "COUNT"), float(field(quiet, "CPU_MS")) / 1e3)
            seconds, quiet = child_cpu_seconds([tool, page, "Zebrafy", "--quiet"] + flags)
            row(f"tallo-search {label}, whole process", field(quiet, "COUNT"), seconds)
            grep = ["grep", "-F", "-c"] + (["-i"] if not flags else []) + ["Zebrafy", page]
            seconds, out = child_cpu_seconds(grep)
            row(" ".join(grep[:-2]) + " (counts lines)", out.strip(), seconds)

        print()
        started = time.monotonic()
        subprocess.run([replace_all, "50", "100000"], check=True)
        print(f"(replace-all benchmark ran {time.monotonic() - started:.1f} s including page generation)")


if __name__ == "__main__":
    main()
