#!/usr/bin/env python3
"""Runs Quarvel's jobs and those of the tools users would pick instead on the same generated files, and
prints one table: job, tool, median wall time, throughput, peak memory, and how many times faster
Quarvel is than each of them, paired run by run. Then the goals, each met or not.

Started through bench/compare, which sees to python3; see --help."""

import argparse
import filecmp
import os
import re
import shlex
import shutil
import statistics
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LINE_BYTES = 130  # the generator writes 128 bytes and CR LF a line
LOCALE = "en_US.UTF-8"
PEER_PACKAGES = ["gawk", "csvkit", "python3-pandas", "locales"]


def columns():
    """The generated file's fields, as bench/fixed_columns.h has them: (name, start, length)."""
    with open(os.path.join(ROOT, "bench", "fixed_columns.h"), encoding="utf-8") as header:
        found = re.findall(r'\{"([^"]*)",\s*(\d+)\}', header.read())
    out, start = [], 1
    for name, width in found:
        out.append((name, start, int(width)))
        start += int(width)
    return out


def run(command, **kwargs):
    print("+ " + (command if isinstance(command, str) else " ".join(command)), file=sys.stderr)
    subprocess.run(command, check=True, **kwargs)


def install_peers():
    sudo = [] if os.geteuid() == 0 else ["sudo"]
    run(sudo + ["apt-get", "update", "-qq"])
    run(sudo + ["apt-get", "install", "-y", "-qq", "--no-install-recommends"] + PEER_PACKAGES,
        env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
    if not have_locale():
        # sort compares in the user's locale only when that locale is generated.
        run(sudo + ["localedef", "-i", "en_US", "-f", "UTF-8", LOCALE])


def have_locale():
    listed = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.lower()
    return "en_us.utf8" in listed.split()


def build(build_dir):
    run(["cmake", "-S", ROOT, "-B", build_dir, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
         "-DQVR_BUILD_TESTS=OFF"], stdout=subprocess.DEVNULL)
    targets = ["quarvel-batch", "qvr_bench_gen", "measure_run", "window_bench", "gen_nacha"]
    run(["cmake", "--build", build_dir, "-j", str(os.cpu_count() or 2), "--target"] + targets)


def generate(generator, folder, lines):
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, "fixed_%d.txt" % lines)
    if not (os.path.exists(path) and os.path.getsize(path) == lines * LINE_BYTES):
        run([generator, path, str(lines)])
    return path


def generate_nacha(generator, folder, lines):
    """A bank payment file of about `lines` lines (an entry is 1.25 lines with its share of addenda)."""
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, "nacha_%d.ach" % lines)
    if not os.path.exists(path):
        run([generator, path, str(lines * 797 // 1000)])
    return path


class Tool:
    """One way to do a job: a shell command, the file it writes (or None) and whether it is Quarvel's."""

    versus_batch = False  # the window program, timed against quarvel-batch instead of the other way

    def __init__(self, name, command, output=None, quarvel=False, same_as=None, env=None):
        self.name, self.command, self.output, self.quarvel = name, command, output, quarvel
        self.same_as = same_as  # the Quarvel tool whose output must be the same bytes
        self.env = env
        self.times, self.peaks, self.ratios = [], [], []
        self.same = None
        self.failed = None

    def run_once(self, measure, log):
        # Each tool replaces what it wrote the run before, as a user who runs a job again does.
        env = dict(os.environ, **(self.env or {}))
        result = os.path.join(os.path.dirname(log.name), "measure.txt")
        subprocess.run([measure, result, self.command], stdout=subprocess.DEVNULL, stderr=log, env=env,
                       check=True)
        with open(result) as f:
            seconds, peak_kib, status = f.read().split()
        if int(status) != 0:
            self.failed = "exit status %s" % status
        self.times.append(float(seconds))
        self.peaks.append(int(peak_kib) / 1024.0)


class WindowTool(Tool):
    """The window program's File > Go on the same job, offscreen, result view filled and shown."""

    versus_batch = True

    def __init__(self, window_bench, data, sorted_=False):
        super().__init__("window: File > Go + result view" + (", sorted" if sorted_ else ""), None)
        self.window_bench, self.data, self.sorted = window_bench, data, sorted_

    def run_once(self, measure, log):
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LC_ALL=LOCALE)
        done = subprocess.run([self.window_bench, self.data, "1", "--standard-only"] +
                              (["--sorted"] if self.sorted else []), capture_output=True, text=True, env=env)
        log.write(done.stdout + done.stderr)
        found = re.search(r"window Go ([\d.]+) s \(\+(\d+) MiB\)", done.stdout)
        if done.returncode != 0 or not found:
            self.failed = "no figures"
            self.times.append(float("nan"))
            self.peaks.append(0.0)
            return
        self.times.append(float(found.group(1)))
        self.peaks.append(float(found.group(2)))


class Job:
    def __init__(self, name, tools, data=None):
        self.name = name
        self.tools = [t for t in tools if t is not None]
        self.data = data  # its own input, when not the generated fixed-column file

    def quarvel(self):
        return next(t for t in self.tools if t.quarvel)


def have(program):
    return shutil.which(program) is not None


def python_with(module):
    """A Python that has `module`: this one, or Debian's, where python3-pandas installs."""
    for python in dict.fromkeys([sys.executable, "/usr/bin/python3"]):
        if os.path.exists(python) and subprocess.run([python, "-c", "import " + module],
                                                     capture_output=True).returncode == 0:
            return python
    return None


def cut_ranges(fields, with_line_end):
    ranges = ["%d-%d" % (s, s + n - 1) for _, s, n in fields]
    if with_line_end:
        # One byte more on the last field takes the CR of the input, so cut writes CR LF as Quarvel does.
        _, s, n = fields[-1]
        ranges[-1] = "%d-%d" % (s, s + n)
    return ",".join(ranges)


def awk_program(fields):
    parts = ' ";" '.join("substr($0,%d,%d)" % (s, n) for _, s, n in fields)
    return 'BEGIN { ORS = "\\r\\n" } { print %s }' % parts


PANDAS_EXTRACT = """
import sys, pandas as pd
ranges = [(s - 1, s - 1 + n) for s, n in zip(*[iter(map(int, sys.argv[3:]))] * 2)]
frame = pd.read_fwf(sys.argv[1], colspecs=ranges, header=None, dtype=str, encoding="latin-1",
                    keep_default_na=False)
frame.to_csv(sys.argv[2], sep=";", index=False, header=False, lineterminator="\\r\\n", encoding="latin-1")
"""

PANDAS_UNIQUE = """
import sys, pandas as pd
ranges = [(s - 1, s - 1 + n) for s, n in zip(*[iter(map(int, sys.argv[3:]))] * 2)]
frame = pd.read_fwf(sys.argv[1], colspecs=ranges, header=None, dtype=str, encoding="latin-1",
                    keep_default_na=False)
lines = frame.iloc[:, 0].str.cat(frame.iloc[:, 1:].astype(str), sep=";")
lines = lines.sort_values(key=lambda s: s.str.lower(), kind="stable")
lines = lines[~lines.str.lower().duplicated()]
with open(sys.argv[2], "w", encoding="latin-1", newline="") as out:
    out.write("\\r\\n".join(lines) + "\\r\\n")
"""


def record_types_job(batch, nacha, out):
    """One pass over a payment file with a table per record type (six) and the batch number carried down,
    against one extract of the same file with one table for every line."""
    q = shlex.quote
    layouts = os.path.join(ROOT, "examples", "nacha")
    tables = sorted(f for f in os.listdir(layouts) if f.endswith(".tab"))
    typed = " ".join("--layout %s" % q("%s=%s" % (f[0], os.path.join(layouts, f))) for f in tables)
    entry = os.path.join(layouts, next(f for f in tables if f.startswith("6")))
    return Job("record types", [
        Tool("quarvel-batch --records, 6 tables, a carry",
             "%s extract --input %s --records 1:1 %s --carry 5:BatchNum --overwrite --output %s" %
             (q(batch), q(nacha), typed, q(os.path.join(out, "type-{type}.txt"))), quarvel=True),
        Tool("quarvel-batch, one table for every line",
             "%s extract --input %s --layout %s --overwrite --output %s" %
             (q(batch), q(nacha), q(entry), q(os.path.join(out, "one-table.txt"))))], data=nacha)


def make_jobs(batch, data, out, fields, window_bench):
    q = shlex.quote
    layout = " ".join("--field %s" % q("%s:%d:%d" % f) for f in fields)
    extract = "%s extract --input %s %s --overwrite" % (q(batch), q(data), layout)
    cut_args = "-c %s --output-delimiter=';' %s" % (cut_ranges(fields, True), q(data))
    sort_args = "-c %s --output-delimiter=';' %s" % (cut_ranges(fields, False), q(data))
    awk = q(awk_program(fields))
    column_args = " ".join("%d %d" % (s, n) for _, s, n in fields)
    pandas = python_with("pandas")
    schema = os.path.join(out, "schema.csv")
    with open(schema, "w", encoding="utf-8") as f:
        f.write("column,start,length\n" + "".join("%s,%d,%d\n" % (n.replace(" ", "_"), s - 1, w)
                                                    for n, s, w in fields))

    def o(name):
        return os.path.join(out, name)

    def peer(name, command, output=None, same_as=None, needs=None, env=None):
        if needs and not needs():
            return None
        return Tool(name, command, output, same_as=same_as, env=env)

    locale_env = {"LC_ALL": LOCALE}
    fast_null = Tool("quarvel-batch --fast --output -", extract + " --fast --output - > /dev/null", quarvel=True)
    fast_file = Tool("quarvel-batch --fast", extract + " --fast --output %s" % q(o("fast.txt")), o("fast.txt"),
                     quarvel=True)
    standard = Tool("quarvel-batch", extract + " --no-header --output %s" % q(o("standard.txt")),
                    o("standard.txt"), quarvel=True)
    sorted_ = Tool("quarvel-batch --sorted", extract + " --no-header --sorted --output %s" % q(o("sorted.txt")),
                   o("sorted.txt"), quarvel=True, env=locale_env)
    unique = Tool("quarvel-batch --unique", extract + " --no-header --unique --output %s" % q(o("unique.txt")),
                  o("unique.txt"), quarvel=True, env=locale_env)
    # Five typed fields: the numbers and the date of the record, and its Id again as an overpunched number;
    # the same ten fields as the untyped run, and one more.
    types = {"Id": "int", "Post code": "dec(2)", "Date": "date(YYYY-MM-DD)", "Amount": "num"}
    typed_layout = " ".join("--field %s" % q("%s:%d:%d%s" % (n, s, w, ":" + types[n] if n in types else ""))
                            for n, s, w in fields) + " --field %s" % q("Id zoned:%d:%d:zoned(2)" % fields[0][1:])
    typed_fast = Tool("quarvel-batch --fast, five typed fields",
                      "%s extract --input %s %s --overwrite --fast --output %s" %
                      (q(batch), q(data), typed_layout, q(o("typed.txt"))), o("typed.txt"), quarvel=True)
    untyped_fast = Tool("quarvel-batch --fast, untyped", extract + " --fast --output %s" % q(o("untyped.txt")),
                        o("untyped.txt"))
    dbf = Tool("quarvel-batch dbf", "%s dbf --input %s %s --overwrite --output %s" %
               (q(batch), q(data), layout, q(o("table.dbf"))), o("table.dbf"), quarvel=True)
    analyse = Tool("quarvel-batch analyse", "%s analyse --input %s" % (q(batch), q(data)), quarvel=True)
    sort_env = locale_env if have_locale() else None
    sort_name = "cut | LC_ALL=%s sort -f" % LOCALE if sort_env else "cut | sort -f (C locale: %s missing)" % LOCALE

    dask_python = python_with("distributed")
    helper = os.path.join(ROOT, "contrib", "dask", "quarvel_dask.py")

    def dask(workers):
        # Cluster start-up included, as a user who runs the helper once pays it; 16 MiB make seven blocks of
        # the default file, enough for two workers.
        output = o("dask%d.txt" % workers)
        return peer("Dask helper, %d worker process%s" % (workers, "es" if workers > 1 else ""),
                    "%s %s --workers %d --blocksize 16MiB --encoding cp1252 --overwrite --program %s "
                    "--output %s %s -- %s" % (q(dask_python or ""), q(helper), workers, q(batch), q(output),
                                              q(data), layout),
                    output, fast_file, needs=lambda: dask_python is not None)

    def awks(name, output, same_as):
        return [peer("mawk substr", "mawk %s %s > %s" % (awk, q(data), q(o(output + "_mawk.txt"))),
                     o(output + "_mawk.txt"), same_as, needs=lambda: have("mawk")),
                peer("gawk substr", "gawk %s %s > %s" % (awk, q(data), q(o(output + "_gawk.txt"))),
                     o(output + "_gawk.txt"), same_as, needs=lambda: have("gawk"))]

    return [
        Job("read and scan", [analyse, peer("wc -l", "wc -l %s" % q(data))]),
        Job("extract to /dev/null", [fast_null, peer("GNU cut", "cut %s > /dev/null" % cut_args),
                                     peer("mawk substr", "mawk %s %s > /dev/null" % (awk, q(data)),
                                          needs=lambda: have("mawk")),
                                     peer("gawk substr", "gawk %s %s > /dev/null" % (awk, q(data)),
                                          needs=lambda: have("gawk"))]),
        Job("extract to a file, fast", [fast_file, peer("GNU cut", "cut %s > %s" % (cut_args, q(o("cut_f.txt"))),
                                                        o("cut_f.txt"), fast_file)] + awks("x", "fx", fast_file) +
                                       [dask(1), dask(2)]),
        Job("extract to a file, standard",
            [standard, peer("GNU cut", "cut %s > %s" % (cut_args, q(o("cut_s.txt"))), o("cut_s.txt"), standard)] +
            awks("x", "sx", standard) +
            [peer("in2csv -f fixed", "in2csv -f fixed -e latin1 -s %s %s > %s" % (q(schema), q(data), q(o("x.csv"))),
                  needs=lambda: have("in2csv")),
             WindowTool(window_bench, data) if window_bench else None,
             peer("pandas read_fwf + to_csv", "%s -c %s %s %s %s" % (q(pandas or ""), q(PANDAS_EXTRACT), q(data),
                                                                     q(o("pandas.txt")), column_args),
                  needs=lambda: pandas is not None)]),
        Job("sorted, case ignored, locale",
            [sorted_, peer(sort_name, "cut %s | sort -f > %s" % (sort_args, q(o("sort.txt"))), env=sort_env),
             peer(sort_name + " -S 4G", "cut %s | sort -f -S 4G > %s" % (sort_args, q(o("sort4g.txt"))),
                  env=sort_env),
             WindowTool(window_bench, data, sorted_=True) if window_bench else None]),
        Job("sorted + unique",
            [unique, peer(sort_name + " -u", "cut %s | sort -f -u > %s" % (sort_args, q(o("sort_u.txt"))),
                          env=sort_env),
             peer("pandas sort_values + drop_duplicates",
                  "%s -c %s %s %s %s" % (q(pandas or ""), q(PANDAS_UNIQUE), q(data), q(o("pandas_u.txt")), column_args),
                  needs=lambda: pandas is not None)]),
        Job("typed fields, fast", [typed_fast, untyped_fast]),
        Job("dBase export", [dbf, peer("GNU cut to a file", "cut %s > %s" % (cut_args, q(o("cut_d.txt"))))]),
        # The same table loaded by sqlite3's own .import of the run's separated text (with its names line),
        # each run into a new database as .import appends.
        Job("SQLite table", [Tool("quarvel-batch --format sqlite", extract + " --format sqlite --table t --output %s"
                                  % q(o("table.db")), quarvel=True),
                             Tool("quarvel-batch (text for .import)", extract + " --output %s" % q(o("named.txt")),
                                  o("named.txt")),
                             peer("sqlite3 .import of that text",
                                  "rm -f %s && sqlite3 %s '.mode csv' '.separator ;' '.import %s t'" %
                                  (q(o("import.db")), q(o("import.db")), o("named.txt")),
                                  needs=lambda: have("sqlite3"))]),
        Job("XLSX workbook", [Tool("quarvel-batch --format xlsx", extract + " --format xlsx --output %s"
                                   % q(o("book.xlsx")), quarvel=True),
                              Tool("quarvel-batch (separated text)", extract + " --output %s" % q(o("named2.txt")),
                                   o("named2.txt"))]),
    ]


def disk_sort_jobs(batch, data, out, fields):
    """A sorted extract held to 512 MB against the same run without a cap and against GNU sort held alike."""
    q = shlex.quote
    layout = " ".join("--field %s" % q("%s:%d:%d" % f) for f in fields)
    extract = "%s extract --input %s %s --overwrite --no-header --sorted" % (q(batch), q(data), layout)
    sort_args = "-c %s --output-delimiter=';' %s" % (cut_ranges(fields, False), q(data))
    env = {"LC_ALL": LOCALE}
    capped = Tool("quarvel-batch --sorted --memory 512M",
                  extract + " --memory 512M --output %s" % q(os.path.join(out, "disk.txt")),
                  os.path.join(out, "disk.txt"), quarvel=True, env=env)
    free = Tool("quarvel-batch --sorted (no cap)", extract + " --output %s" % q(os.path.join(out, "mem.txt")),
                os.path.join(out, "mem.txt"), same_as=capped, env=env)
    name = "cut | sort -f -S 512M" + ("" if have_locale() else " (C locale: %s missing)" % LOCALE)
    gnu = Tool(name, "cut %s | sort -f -S 512M > %s" % (sort_args, q(os.path.join(out, "s.txt"))),
               env=env)
    return [Job("sorted beyond memory", [capped, free, gnu])]


def print_disk_goals(jobs, data):
    capped = find_tool(jobs, "sorted beyond memory", "quarvel-batch --sorted --memory")
    gnu = find_tool(jobs, "sorted beyond memory", "cut")
    time_ratio = statistics.median(capped.times) / statistics.median(gnu.times)
    peak = max(capped.peaks)
    free = find_tool(jobs, "sorted beyond memory", "quarvel-batch --sorted (no cap)")
    print()
    for text, value, met in [
            ("--memory 512M: time <= 1.5x cut | sort -f -S 512M", "%.2fx its time" % time_ratio, time_ratio <= 1.5),
            ("--memory 512M: peak memory < 600 MB", "%.0f MB" % peak, peak < 600),
            ("--memory 512M: the bytes of the run without a cap", "same" if free.same else "DIFFERENT",
             bool(free.same))]:
        print("%-72s %-44s %s" % (text, value, "met" if met else "NOT MET"))


def measure(jobs, runs, measure_run, log):
    for job in jobs:
        print("  %s" % job.name, file=sys.stderr, flush=True)
        reference = job.quarvel()
        for r in range(runs):
            # Interleaved, so that a machine that gets busier slows every tool of a run alike.
            for tool in job.tools:
                tool.run_once(measure_run, log)
                if r == 0 and tool.same_as is not None and tool.output:
                    tool.same = os.path.exists(tool.output) and os.path.exists(tool.same_as.output) and \
                        filecmp.cmp(tool.output, tool.same_as.output, shallow=False)
            for tool in job.tools:
                if not tool.quarvel:
                    tool.ratios.append(tool.times[-1] / reference.times[-1])


def print_table(jobs, size_mb):
    print("%-30s %-42s %9s %9s %9s %10s %6s" % ("job", "tool", "median s", "MB/s", "peak MB", "Quarvel x", "same"))
    print("-" * 122)
    for job in jobs:
        job_mb = os.path.getsize(job.data) / 1e6 if job.data else size_mb
        for tool in job.tools:
            median = statistics.median(tool.times)
            ratio = "" if tool.quarvel else "%.2f" % statistics.median(tool.ratios)
            if tool.versus_batch:
                ratio = "w/b " + ratio
            same = "" if tool.same is None else ("yes" if tool.same else "NO")
            name = tool.name + (" [%s]" % tool.failed if tool.failed else "")
            print("%-30s %-42s %9.3f %9.0f %9.1f %10s %6s" % (job.name, name, median, job_mb / median,
                                                           max(tool.peaks), ratio, same))
    print("(Quarvel x: the peer's time over Quarvel's in the same run, median of the runs; above 1 Quarvel is "
          "faster; w/b: the window program's time over quarvel-batch's. same: the output file has Quarvel's "
          "bytes.)")


def find_tool_all(jobs, job_name):
    job = next((j for j in jobs if j.name == job_name), None)
    return job.tools if job else []


def find_tool(jobs, job_name, tool_start):
    return next((t for t in find_tool_all(jobs, job_name) if t.name.startswith(tool_start)), None)


def print_goals(jobs, data):
    size = os.path.getsize(data)
    lines = size // LINE_BYTES
    goals = []

    def ratio(job, peer):
        # A job or a peer left out (--job, a peer not installed) leaves its goal out.
        return statistics.median(find_tool(jobs, job, peer).ratios)

    def goal(text, value, target, shown="%.2f"):
        met = value is not None and value >= target
        goals.append((text, "-" if value is None else shown % value, "met" if met else "NOT MET"))

    # Each goal needs its job; with --job some are left out, and so are their goals.
    def section(compute):
        try:
            compute()
        except (AttributeError, TypeError, ValueError, statistics.StatisticsError):
            pass

    def fast_goals():
        goal("fast extract >= 3x GNU cut, both to /dev/null", ratio("extract to /dev/null", "GNU cut"), 3)
        goal("fast extract >= 1.5x GNU cut, both to a file", ratio("extract to a file, fast", "GNU cut"), 1.5)
        wc = find_tool(jobs, "read and scan", "wc -l")
        fast_null = find_tool(jobs, "extract to /dev/null", "quarvel")
        goal("fast extract >= 25% of the wc -l limit (its speed / wc's)",
             statistics.median(wc.times) / statistics.median(fast_null.times), 0.25)
        fast_peak = max(find_tool(jobs, "extract to a file, fast", "quarvel").peaks)
        goal("fast extract peak memory < 20 MB", 20 - fast_peak, 0, "%%.1f MB to spare (peak %.1f MB)" % fast_peak)

    def standard_goals():
        goal("standard extract >= 1.5x GNU cut, both to a file", ratio("extract to a file, standard", "GNU cut"),
             1.5)
        standard = find_tool(jobs, "extract to a file, standard", "quarvel")
        bound = (size + os.path.getsize(standard.output) + 24 * lines) / 1048576.0
        goal("standard extract peak <= input + output + 24 B a line", bound - max(standard.peaks), 0,
             "%%.0f MB to spare (peak %.0f MB, bound %.0f MB)" % (max(standard.peaks), bound))
        window = find_tool(jobs, "extract to a file, standard", "window")
        if window:
            paired = statistics.median(window.ratios)
            goal("window File > Go, result view filled and shown, <= 1.3x quarvel-batch", 1.3 - paired, 0,
                 "%%.2f to spare: %.2fx (window %.2f s, batch %.2f s)" % (paired, statistics.median(window.times),
                                                                          statistics.median(standard.times)))

    def sorted_goals():
        goal("sorted >= 2x cut | sort -f", ratio("sorted, case ignored, locale", "cut"), 2)
        four_gib = next((t for t in find_tool_all(jobs, "sorted, case ignored, locale")
                         if t.name.endswith("-S 4G")), None)
        goal("sorted >= 3x cut | sort -f -S 4G", None if four_gib is None else statistics.median(four_gib.ratios),
             3)
        sorted_peak = max(find_tool(jobs, "sorted, case ignored, locale", "quarvel").peaks)
        goal("sorted peak <= 1.5x the input", 1.5 - sorted_peak * 1048576.0 / size, 0,
             "%%.2f to spare: %.2fx (peak %.0f MB)" % (sorted_peak * 1048576.0 / size, sorted_peak))
        window_sorted = find_tool(jobs, "sorted, case ignored, locale", "window")
        if window_sorted:
            w = max(window_sorted.peaks)
            goal("window sorted Go peak <= quarvel-batch's + 20%", sorted_peak * 1.2 - w, 0,
                 "%%.0f MB to spare (window +%.0f MB, batch %.0f MB)" % (w, sorted_peak))

    for compute in (fast_goals, standard_goals, sorted_goals,
                    lambda: goal("sorted + unique >= 2x cut | sort -f -u", ratio("sorted + unique", "cut"), 2),
                    lambda: goal("dBase export >= 1.5x GNU cut to a file", ratio("dBase export", "GNU cut"), 1.5),
                    lambda: goal("typed fast extract >= 50% of the untyped one's throughput",
                                 ratio("typed fields, fast", "quarvel-batch --fast, untyped"), 0.5),
                    lambda: goal("input analysis >= 50% of wc -l (its speed / wc's)",
                                 ratio("read and scan", "wc -l"), 0.5),
                    lambda: goal("record types (6 tables, a carry) <= 1.3x one extract of one table",
                                 1.3 - 1 / ratio("record types", "quarvel-batch, one table"), 0,
                                 "%%.2f to spare: %.2fx" % (1 / ratio("record types", "quarvel-batch, one table")))):
        section(compute)
    print()
    for text, value, verdict in goals:
        print("%-72s %-44s %s" % (text, value, verdict))


def main():
    parser = argparse.ArgumentParser(description="Quarvel's jobs side by side with the tools users would pick "
                                                 "instead, on generated fixed-column files.")
    parser.add_argument("--big", action="store_true", help="10,000,000 lines instead of 1,000,000")
    parser.add_argument("--install", action="store_true",
                        help="install the peers first (apt-get: %s; and the %s locale)" %
                             (", ".join(PEER_PACKAGES), LOCALE))
    parser.add_argument("--runs", type=int, default=3, help="runs of every job (default 3); medians are shown")
    parser.add_argument("--dir", default="/tmp/quarvel-compare", help="folder for the files (default %(default)s)")
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build", "bench"),
                        help="release build of the project (default %(default)s)")
    parser.add_argument("--no-window", action="store_true", help="leave out the window program's run")
    parser.add_argument("--lines", type=int, help="lines of the generated file (instead of --big's or the default)")
    parser.add_argument("--disk-sort", action="store_true",
                        help="only the sorted extract held to --memory 512M, against the same run without a cap "
                             "and cut | sort -f -S 512M (with --lines 33000000 a 4 GiB input)")
    parser.add_argument("--job", action="append", default=[],
                        help="only the jobs whose names hold this text (may be given several times)")
    args = parser.parse_args()

    if args.install:
        install_peers()
    build(args.build_dir)
    lines = args.lines or (10_000_000 if args.big else 1_000_000)
    data = generate(os.path.join(args.build_dir, "bench", "qvr_bench_gen"), args.dir, lines)
    out = os.path.join(args.dir, "out")
    os.makedirs(out, exist_ok=True)
    batch = os.path.join(args.build_dir, "quarvel-batch")
    with open(data, "rb") as f:  # every tool starts from a file in the page cache
        while f.read(1 << 24):
            pass
    window_bench = None if args.no_window else os.path.join(args.build_dir, "bench", "window_bench")
    if args.disk_sort:
        jobs = disk_sort_jobs(batch, data, out, columns())
    else:
        nacha = generate_nacha(os.path.join(args.build_dir, "bench", "gen_nacha"), args.dir, lines)
        jobs = make_jobs(batch, data, out, columns(), window_bench) + [record_types_job(batch, nacha, out)]
    if args.job:
        jobs = [j for j in jobs if any(part in j.name for part in args.job)]
    size_mb = os.path.getsize(data) / 1e6
    print("%s: %d lines, %.0f MB; %d runs; %d cores" % (data, lines, size_mb, args.runs, os.cpu_count()),
          file=sys.stderr)
    with open(os.path.join(args.dir, "compare.log"), "w") as log:
        measure(jobs, args.runs, os.path.join(args.build_dir, "bench", "measure_run"), log)
    print("%d lines, %.0f MB, %d runs, %d cores" % (lines, size_mb, args.runs, os.cpu_count()))
    print_table(jobs, size_mb)
    if args.disk_sort:
        print_disk_goals(jobs, data)
    else:
        print_goals(jobs, data)
    failed = [t.name for j in jobs for t in j.tools if t.failed or t.same is False]
    if failed:
        print("\nfailed or different: " + ", ".join(failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
