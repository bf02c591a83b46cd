#!/usr/bin/env python3
"""Times Dustrel's sweep against the platform's own floor and prints a table.

Run through bench/run.sh, which builds dustrel.exe and the floor program into
the benchmark's build folder and starts a persistent Wine server in that
folder's own prefix (drive T: is the benchmark's scratch folder there).

Every timed run gets a fresh tree made from the same recipe. The contenders
take turns, one run each per round with the order rotating from round to round
(A B C D, B C D A, ...), and each figure is a median.
"""

import argparse
import datetime
import math
import multiprocessing
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import time

# One unit of the recipe is 100 entries: a top-level folder holding 57 files
# and 2 sub-folders, each of those holding 15 files and one more folder with
# 4 files. Names stay short, as temporary names do.
UNIT_ENTRIES = 100
TOP_FILES = 57
SUB_FOLDERS = 2
SUB_FILES = 15
DEEP_FILES = 4

# The kinds of tree. "whole": every unit qualifies. "half kept": every second
# top-level folder is "keep<n>", which does not qualify and stays. "names and
# depth": every unit qualifies, its file names are outside the ANSI code page
# (Cyrillic, CJK, an emoji: one after another), and its deep folder is a chain
# of CHAIN_FOLDERS folders of CHAIN_NAME characters, so that the entries at its
# end lie past 260 characters; the top-level folder holds fewer files, so that
# the unit keeps its 100 entries.
KINDS = ("whole", "half kept", "names and depth")
# Wine's cmd reaches no path past 260 characters: del+rd sits the others out
# (its figures show as nan), rather than pass for fast with entries left.
DEL_RD_KINDS = ("whole", "half kept")
CHAIN_FOLDERS = 12
CHAIN_NAME = 24
FAR_NAMES = ("\u0444\u0430\u0439\u043b%03d.tmp", "\u8868%03d.tmp", "\U0001f642%03d.tmp")


def make_unit(job):
    """Makes one top-level folder of the recipe (files made with mknod, the
    quickest way to an empty file)."""
    root, unit, kind = job
    keep = kind == "half kept" and unit % 2 == 0
    far = kind == "names and depth"
    chain = CHAIN_FOLDERS if far else 1
    top = os.path.join(root, ("keep%d" if keep else "~d%d") % unit)
    os.mkdir(top)
    for i in range(TOP_FILES - SUB_FOLDERS * (chain - 1)):
        os.mknod(os.path.join(top, (FAR_NAMES[i % 3] if far else "f%03d.tmp") % i), 0o644)
    for s in range(SUB_FOLDERS):
        sub = os.path.join(top, "sub%d" % s)
        os.mkdir(sub)
        for i in range(SUB_FILES):
            os.mknod(os.path.join(sub, (FAR_NAMES[i % 3] if far else "g%03d.dat") % i), 0o644)
        deep = sub
        for link in range(chain):
            name = "deep" + ("%02d" % link).rjust(CHAIN_NAME - 4, "d") if far else "deep"
            deep = os.path.join(deep, name)
            os.mkdir(deep)
        for i in range(DEEP_FILES):
            os.mknod(os.path.join(deep, (FAR_NAMES[i % 3] if far else "h%d.log") % i), 0o644)


tree_makers = None  # worker processes: making a file costs far more than deleting it


def make_tree(root, entries, kind):
    """Makes root afresh with `entries` entries below it, of one of the
    KINDS. Top-level folders are "~d1", "~d2", ...; in the half-kept kind
    every second one is "keep<n>" instead, a name that does not qualify.
    Returns the kept entry count."""
    global tree_makers
    if tree_makers is None:
        tree_makers = multiprocessing.get_context("fork").Pool(os.cpu_count())
    if os.path.lexists(root):
        shutil.rmtree(root)
    os.mkdir(root)
    jobs = [(root, unit, kind) for unit in range(1, entries // UNIT_ENTRIES + 1)]
    tree_makers.map(make_unit, jobs, chunksize=4)
    os.sync()  # the tree's own writeback does not land inside a timed run
    return sum(UNIT_ENTRIES for _, unit, _ in jobs if kind == "half kept" and unit % 2 == 0)


def count_entries(root):
    total = 0
    for _, folders, files in os.walk(root):
        total += len(folders) + len(files)
    return total


class Bench:
    def __init__(self, build, runs):
        self.build = os.path.abspath(build)
        self.scratch = os.path.join(self.build, "test-scratch")  # drive T:
        self.runs = runs
        self.env = dict(os.environ,
                        WINEPREFIX=os.path.join(self.build, "wineprefix"),
                        WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=")
        self.notes = []
        self.quiet_checks = []
        self.last_foreign = {}

    # --- running one contender -------------------------------------------

    def command(self, contender, tree, extra=()):
        """The argument list of contender on T:\\<tree>."""
        win = "T:\\" + tree
        if contender == "dustrel":
            return ["wine", "B:\\dustrel.exe", "/y", "/q", "/p:" + win] + list(extra)
        if contender == "dustrel-out":
            return ["wine", "B:\\dustrel.exe", "/y", "/p:" + win]
        if contender == "floor":
            return ["wine", "B:\\dustrel_floor.exe", win]
        if contender == "del+rd":
            return ["wine", "cmd.exe", "/c",
                    "for /d %%d in (%s\\~*) do (del /s /q /f %%d\\* >nul & rd /s /q %%d)" % win]
        if contender == "rm -rf":
            root = os.path.join(self.scratch, tree)
            return ["rm", "-rf"] + sorted(os.path.join(root, n) for n in os.listdir(root)
                                          if n.startswith("~"))
        raise ValueError(contender)

    def run(self, argv, stdout_path=None, trace_path=None):
        """Runs argv; returns (seconds, exit code, max RSS in KiB)."""
        if trace_path:
            argv = ["strace", "-f", "-y", "-qq", "-e", "trace=write,writev,pwrite64,pwritev",
                    "-o", trace_path] + argv
        # GNU time starts the program from its own small process: a child
        # forked from this one would count this interpreter's pages in its
        # max RSS.
        rss_path = os.path.join(self.build, "bench-rss.txt")
        argv = ["/usr/bin/time", "-f", "%M", "-o", rss_path] + argv
        out = open(stdout_path, "wb") if stdout_path else subprocess.DEVNULL
        try:
            start = time.perf_counter()
            code = subprocess.call(argv, env=self.env, stdin=subprocess.DEVNULL,
                                   stdout=out, stderr=subprocess.DEVNULL)
            seconds = time.perf_counter() - start
        finally:
            if stdout_path:
                out.close()
        with open(rss_path) as f:
            maxrss = int(f.read().split()[-1])
        return seconds, code, maxrss

    def timed(self, contender, entries, kind, extra=(), stdout_path=None):
        tree = "tree"
        root = os.path.join(self.scratch, tree)
        kept = make_tree(root, entries, kind)
        argv = self.command(contender, tree, extra)
        seconds, code, rss = self.run(argv, stdout_path)
        left = count_entries(root)
        if code != 0 or left != kept:
            sys.exit("%s on %d entries: exit code %d, %d entries left instead of %d"
                     % (contender, entries, code, left, kept))
        return seconds, rss

    def count_calls(self, contender, entries):
        """System calls of contender's whole process tree on a fresh tree:
        (all calls, write and writev calls). With /Q nothing goes to
        standard output, so the writes are the requests to the Wine server."""
        root = os.path.join(self.scratch, "tree")
        make_tree(root, entries, "whole")
        counts_path = os.path.join(self.build, "bench-calls.txt")
        argv = ["strace", "-f", "-qq", "-c", "-o", counts_path] + self.command(contender, "tree")
        code = subprocess.call(argv, env=self.env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if code != 0 or count_entries(root) != 0:
            sys.exit("%s under strace failed" % contender)
        calls = {}
        with open(counts_path) as f:
            for line in f:
                fields = line.split()
                if len(fields) >= 5 and fields[3].isdigit():
                    calls[fields[-1]] = int(fields[3])
        os.remove(counts_path)
        return calls["total"], calls.get("write", 0) + calls.get("writev", 0)

    # --- the machine -------------------------------------------------------

    def foreign_load(self):
        """Other people's builds, tests and Wine programs: {pid: (command, CPU seconds)}."""
        ours = ("WINEPREFIX=" + self.env["WINEPREFIX"]).encode()
        found = {}
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    cmd = f.read().replace(b"\0", b" ").decode(errors="replace").strip()
                if not re.search(r"ctest|wine|make|cc1plus", cmd) or int(pid) == os.getpid():
                    continue
                with open("/proc/%s/environ" % pid, "rb") as f:
                    if ours in f.read().split(b"\0"):
                        continue
                with open("/proc/%s/stat" % pid) as f:
                    fields = f.read().rsplit(")", 1)[1].split()
            except OSError:
                continue
            cpu = (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
            found[int(pid)] = (cmd[:70], cpu)
        return found

    def check_quiet(self, when):
        """Notes whether anyone else worked since the last check: a build or
        test running, or another Wine program that used CPU time (an idle
        persistent wineserver of another prefix does not count)."""
        load = os.getloadavg()[0]
        now = self.foreign_load()
        active = []
        for pid, (cmd, cpu) in now.items():
            before = self.last_foreign.get(pid, (cmd, 0.0 if self.last_foreign else cpu))[1]
            if not re.search(r"wine", cmd) or cpu - before > 0.2:
                active.append(cmd)
        self.last_foreign = now
        self.quiet_checks.append((when, load, active))
        state = "quiet" if not active else "busy: " + "; ".join(sorted(set(active)))[:200]
        print("  [%s] load %.2f, %s" % (when, load, state), flush=True)

    def wineserver_seconds(self):
        """CPU seconds used so far by this prefix's wineserver."""
        ours = ("WINEPREFIX=" + self.env["WINEPREFIX"]).encode()
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open("/proc/%s/comm" % pid) as f:
                    if not f.read().startswith("wineserver"):
                        continue
                with open("/proc/%s/environ" % pid, "rb") as f:
                    if ours not in f.read().split(b"\0"):
                        continue
                with open("/proc/%s/stat" % pid) as f:
                    fields = f.read().rsplit(")", 1)[1].split()
                return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
            except OSError:
                continue
        return float("nan")


def median(values):
    return statistics.median(values)


def fmt_s(seconds):
    return "%.3f" % seconds


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--sizes", default="1000,10000,50000")
    parser.add_argument("--kinds", default=",".join(KINDS), help="kinds of tree, of: " + ", ".join(KINDS))
    parser.add_argument("--results", help="write the results (Markdown) here")
    args = parser.parse_args()
    sizes = [int(s) for s in args.sizes.split(",")]
    kinds = [k for k in args.kinds.split(",") if k in KINDS]
    bench = Bench(args.build, args.runs)
    os.makedirs(bench.scratch, exist_ok=True)
    contenders = ["dustrel", "floor", "del+rd", "rm -rf"]
    wine_contenders = contenders[:3]

    bench.check_quiet("start")

    # Start-up: each Wine contender on an empty folder.
    print("Start-up (empty folder)", flush=True)
    startup = {c: [] for c in wine_contenders}
    for _ in range(bench.runs):
        for c in wine_contenders:
            startup[c].append(bench.timed(c, 0, "whole")[0])
    startup = {c: median(v) for c, v in startup.items()}
    for c in wine_contenders:
        print("  %-8s %s s" % (c, fmt_s(startup[c])), flush=True)

    # Calls: what each process asks of the system and of the Wine server,
    # on an empty folder and on the smallest tree.
    print("Calls", flush=True)
    calls = {}
    for c in ("dustrel", "floor"):
        for n in (0, sizes[0]):
            calls[(c, n)] = bench.count_calls(c, n)
        print("  %-8s start-up %d calls (%d server requests); %d entries: %d more (%d more requests)"
              % (c, calls[(c, 0)][0], calls[(c, 0)][1], sizes[0],
                 calls[(c, sizes[0])][0] - calls[(c, 0)][0], calls[(c, sizes[0])][1] - calls[(c, 0)][1]),
              flush=True)

    # The sweep: every size, every kind of tree.
    times = {}
    rss = {}
    server = {}
    for kind in kinds:
        for n in sizes:
            print("%d entries, %s" % (n, kind), flush=True)
            samples = {c: [] for c in contenders}
            rss_samples = {c: [] for c in contenders}
            server_samples = {c: [] for c in contenders}
            for r in range(bench.runs):
                for c in contenders[r % len(contenders):] + contenders[:r % len(contenders)]:
                    if c == "del+rd" and kind not in DEL_RD_KINDS:
                        for taken in (samples, rss_samples, server_samples):
                            taken[c].append(float("nan"))
                        continue
                    before = bench.wineserver_seconds()
                    seconds, maxrss = bench.timed(c, n, kind)
                    server_samples[c].append(bench.wineserver_seconds() - before)
                    samples[c].append(seconds)
                    rss_samples[c].append(maxrss)
                print("  run %d: %s" % (r + 1, "  ".join("%s %s" % (c, fmt_s(samples[c][-1]))
                                                         for c in contenders)), flush=True)
            for c in contenders:
                times[(kind, n, c)] = samples[c]
                rss[(kind, n, c)] = rss_samples[c]
                server[(kind, n, c)] = server_samples[c]
            bench.check_quiet("after %d, %s" % (n, kind))

    # Output cost: the same sweep with its lines on, stdout to a file.
    print("Output cost", flush=True)
    output = {}
    out_path = os.path.join(bench.build, "bench-output.txt")
    trace_path = os.path.join(bench.build, "bench-strace.txt")
    for n in sizes[1:] or sizes:
        quiet_times, loud_times = [], []
        for _ in range(bench.runs):
            quiet_times.append(bench.timed("dustrel", n, "whole")[0])
            loud_times.append(bench.timed("dustrel-out", n, "whole", stdout_path=out_path)[0])
        with open(out_path, "rb") as f:
            data = f.read()
        make_tree(os.path.join(bench.scratch, "tree"), n, "whole")
        bench.run(bench.command("dustrel-out", "tree"), stdout_path=out_path, trace_path=trace_path)
        with open(trace_path, errors="replace") as f:
            writes = sum(1 for line in f if "<%s>" % out_path in line
                         and re.match(r"\d+\s+(write|writev|pwrite64|pwritev)\(", line))
        untranslated = len(data) - data.count(b"\n")  # every LF went out as CR LF
        output[n] = dict(bytes=len(data), untranslated=untranslated, writes=writes,
                         expected=math.ceil(untranslated / 512),
                         quiet=median(quiet_times), loud=median(loud_times))
        print("  %d entries: %d bytes (%d before CR LF), %d write calls (ceil(%d/512) = %d), "
              "%s s with output, %s s with /q" % (n, len(data), untranslated, writes, untranslated,
                                                 output[n]["expected"], fmt_s(output[n]["loud"]),
                                                 fmt_s(output[n]["quiet"])), flush=True)
    for path in (out_path, trace_path):
        if os.path.exists(path):
            os.remove(path)
    shutil.rmtree(os.path.join(bench.scratch, "tree"), ignore_errors=True)
    bench.check_quiet("end")

    report = render(bench, sizes, kinds, contenders, startup, calls, times, rss, server, output)
    print()
    print(report)
    if args.results:
        with open(args.results, "w") as f:
            f.write(report)


def machine_lines(bench):
    cpu = "?"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True,
                          env=bench.env).stdout.strip()
    kernel = platform.release()
    fs = subprocess.run(["df", "-T", bench.scratch], capture_output=True, text=True).stdout
    fs_type = fs.splitlines()[-1].split()[1] if fs else "?"
    # Where the kernel runs no 32-bit programs, Wine's 32-bit side runs under qemu's emulator.
    emulator = "natively"
    if os.path.exists("/proc/sys/fs/binfmt_misc/qemu-i386"):
        version = subprocess.run(["qemu-i386-static", "--version"], capture_output=True, text=True).stdout
        emulator = "under %s (user mode)" % (version.splitlines()[0] if version else "qemu")
    return [
        "- Date: %s" % datetime.datetime.now().strftime("%Y-%m-%d %H:%M %Z").strip(),
        "- CPU: %s, %d cores" % (cpu, os.cpu_count()),
        "- Wine: %s; Linux %s; trees on %s; 32-bit programs run %s" % (wine, kernel, fs_type, emulator),
        "- Runs: %d of each contender per row, interleaved (one run each per round, the order rotating); figures are medians" % bench.runs,
    ]


def render(bench, sizes, kinds, contenders, startup, calls, times, rss, server, output):
    lines = ["# Sweep benchmark results", ""]
    lines += machine_lines(bench)
    busy = [(w, l, f) for w, l, f in bench.quiet_checks if f]
    if busy:
        lines.append("- Machine: NOT quiet during the run (other builds, tests or Wine programs at work: %s)"
                     % "; ".join("%s: %s" % (w, ", ".join(sorted(set(f)))[:160]) for w, _, f in busy))
    else:
        lines.append("- Machine: quiet (no other build, test or Wine program seen at %d checks; "
                     "load average %s)" % (len(bench.quiet_checks),
                                           ", ".join("%.2f" % l for _, l, _ in bench.quiet_checks)))
    lines += ["", "Produced by `bench/run.sh`. Trees: top-level folders `~d1`, `~d2`, ... of 100 entries "
              "each (57 files, 2 sub-folders of 15 files and a folder of 4 files), made afresh for every "
              "timed run; in the half-kept kind every second top-level folder is `keep<n>`, which "
              "does not qualify and stays; in the names-and-depth kind the file names are outside the "
              "ANSI code page and each folder of 4 files lies at the end of a chain of %d folders, past "
              "260 characters (the top-level folder holds %d files instead of 57), and del+rd sits it "
              "out: Wine's cmd reaches no path past 260 characters. Times are wall-clock seconds of the "
              "whole process, Wine start-up included, with a persistent wineserver." % (
                  CHAIN_FOLDERS, TOP_FILES - SUB_FOLDERS * (CHAIN_FOLDERS - 1)), ""]

    lines += ["## Start-up (empty folder)", "", "| contender | seconds | ratio to floor |", "|---|---:|---:|"]
    for c, s in startup.items():
        lines.append("| %s | %s | %.3f |" % (c, fmt_s(s), s / startup["floor"]))

    n = sizes[0]
    lines += ["", "## System calls (strace -f -c; tree figures net of the empty folder)", "",
              "| contender | start-up calls | of them Wine server requests | calls for %d entries | "
              "server requests for %d entries |" % (n, n), "|---|---:|---:|---:|---:|"]
    for c in ("dustrel", "floor"):
        lines.append("| %s | %d | %d | %d | %d |" % (
            c, calls[(c, 0)][0], calls[(c, 0)][1], calls[(c, n)][0] - calls[(c, 0)][0],
            calls[(c, n)][1] - calls[(c, 0)][1]))

    lines += ["", "## Sweep time", "",
              "| tree | entries | dustrel | floor | del+rd | rm -rf | dustrel/floor | "
              "dustrel/floor net of start-up | dustrel/(del+rd) | dustrel/rm |",
              "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|"]
    for kind in kinds:
        for n in sizes:
            m = {c: median(times[(kind, n, c)]) for c in contenders}
            net = (m["dustrel"] - startup["dustrel"]) / max(m["floor"] - startup["floor"], 1e-9)
            lines.append("| %s | %d | %s | %s | %s | %s | %.3f | %.3f | %.3f | %.2f |" % (
                kind, n, fmt_s(m["dustrel"]), fmt_s(m["floor"]),
                fmt_s(m["del+rd"]), fmt_s(m["rm -rf"]), m["dustrel"] / m["floor"], net,
                m["dustrel"] / m["del+rd"], m["dustrel"] / m["rm -rf"]))

    lines += ["", "Pair-by-pair (run i of dustrel against run i of the other; median of the ratios):", "",
              "| tree | entries | dustrel/floor min..max | median | dustrel/(del+rd) median | "
              "wineserver CPU s: dustrel / floor / del+rd |",
              "|---|---:|---|---:|---:|---|"]
    for kind in kinds:
        for n in sizes:
            d = times[(kind, n, "dustrel")]
            pf = [a / b for a, b in zip(d, times[(kind, n, "floor")])]
            pc = [a / b for a, b in zip(d, times[(kind, n, "del+rd")])]
            lines.append("| %s | %d | %.3f..%.3f | %.3f | %.3f | %.2f / %.2f / %.2f |" % (
                kind, n, min(pf), max(pf), median(pf), median(pc),
                median(server[(kind, n, "dustrel")]), median(server[(kind, n, "floor")]),
                median(server[(kind, n, "del+rd")])))

    lines += ["", "All runs (seconds, in the order run):", ""]
    for kind in kinds:
        for n in sizes:
            for c in contenders:
                lines.append("- %s %d %s: %s" % (kind, n, c,
                                                 " ".join(fmt_s(s) for s in times[(kind, n, c)])))

    lines += ["", "## Output cost (whole tree, without /Q, stdout to a file)", "",
              "| entries | bytes | bytes before CR LF | write calls | ceil(bytes before CR LF / 512) | "
              "seconds with output | seconds with /Q | ratio |",
              "|---:|---:|---:|---:|---:|---:|---:|---:|"]
    for n, o in output.items():
        lines.append("| %d | %d | %d | %d | %d | %s | %s | %.3f |" % (
            n, o["bytes"], o["untranslated"], o["writes"], o["expected"], fmt_s(o["loud"]),
            fmt_s(o["quiet"]), o["loud"] / o["quiet"]))
    lines += ["", "Write calls are counted with `strace -f` on the Wine process (calls on the output "
              "file only). The stream buffers 512 bytes before line-end translation, so each call "
              "carries 512 bytes of text plus one CR for each LF among them.", ""]

    lines += ["## Memory (max RSS of the Wine process, %s tree, KiB)" % kinds[0], "",
              "| contender | " + " | ".join("%d entries" % n for n in sizes) + " | largest/smallest |",
              "|---|" + "---:|" * (len(sizes) + 1)]
    for c in ("dustrel", "floor"):
        values = [median(rss[(kinds[0], n, c)]) for n in sizes]
        lines.append("| %s | %s | %.3f |" % (c, " | ".join("%d" % v for v in values),
                                            values[-1] / values[0]))

    lines += ["", "## Targets", "", "| target | figure | met |", "|---|---|---|"]
    r = startup["dustrel"] / startup["floor"]
    lines.append("| dustrel start-up within 1.10 x floor | %.3f | %s |" % (r, "yes" if r <= 1.10 else "NO"))
    for n in sizes:
        if n < 10000:
            continue
        for kind in kinds:
            r = median(times[(kind, n, "dustrel")]) / median(times[(kind, n, "floor")])
            lines.append("| dustrel within 1.10 x floor, %d, %s | %.3f | %s |" % (
                n, kind, r, "yes" if r <= 1.10 else "NO"))
    for n in sizes:
        for kind in (k for k in kinds if k in DEL_RD_KINDS):
            r = median(times[(kind, n, "dustrel")]) / median(times[(kind, n, "del+rd")])
            lines.append("| dustrel no slower than del+rd, %d, %s | %.3f | %s |" % (
                n, kind, r, "yes" if r <= 1.0 else "NO"))
    small, large = median(rss[(kinds[0], sizes[0], "dustrel")]), median(rss[(kinds[0], sizes[-1], "dustrel")])
    lines.append("| peak memory at %d within 5%% of %d | %.3f | %s |" % (
        sizes[-1], sizes[0], large / small, "yes" if large <= 1.05 * small else "NO"))
    for n, o in output.items():
        lines.append("| write calls = ceil(bytes / 512), %d | %d vs %d | %s |" % (
            n, o["writes"], o["expected"], "yes" if abs(o["writes"] - o["expected"]) <= 1 else "NO"))
    lines.append("")
    return "\n".join(lines)


if __name__ == "__main__":
    main()
