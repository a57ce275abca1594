#!/usr/bin/env python3
"""Figures of one rt570-cli run from its trace and from `/usr/bin/time -v`.

Usage: figures.py TRACE TIMEFILE BAUD STEP...
For each STEP (a name marked in the trace with "# begin STEP" / "# end STEP") prints one row:
the frames sent, the wall time of the step, its protocol floor, their ratio; where the time
beyond the floor went (reads that ran past their time-out, the meter's delay in answering, time
outside the reads: building frames, writing reports); and the CPU time, CPU share and peak memory
of the whole run. The floor of an attempt is its flush read's time-out, plus the
reply's 11 bytes at the line rate when BAUD is not 0, or the full reply time-out when no reply
came.
"""
import re
import sys
from datetime import datetime

BITS_PER_BYTE = 10
REPLY_BYTES = 11

LINE = re.compile(r"^(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}) (.*)$")
READ = re.compile(r"^read  port \d+: up to (\d+) bytes in (\d+) ms: (\d+) bytes after ([\d.]+) ms")


def stamp(text):
    return datetime.strptime(text, "%Y-%m-%d %H:%M:%S.%f")


def steps(trace_path):
    """{step: Step} from the trace."""
    result = {}
    current = None
    begin = None
    baud = BAUD
    step = None
    with open(trace_path, encoding="utf-8") as trace:
        for raw in trace:
            m = LINE.match(raw.rstrip("\n"))
            if not m:
                continue
            when, body = stamp(m.group(1)), m.group(2)
            if body.startswith("# begin "):
                current, begin, step = body[8:], when, Step()
                continue
            if body.startswith("# end ") and current == body[6:]:
                step.wall = (when - begin).total_seconds()
                result[current] = step
                current = None
                continue
            r = READ.match(body)
            if not r or current is None:
                continue
            count, timeout, got = int(r.group(1)), int(r.group(2)), int(r.group(3))
            took = float(r.group(4)) / 1000.0
            step.in_reads += took
            if count != REPLY_BYTES:  # the flush read before a send
                step.floor += timeout / 1000.0
                step.flush_over += took - timeout / 1000.0
                step.attempts += 1
            elif got >= REPLY_BYTES:
                line_time = REPLY_BYTES * BITS_PER_BYTE / baud if baud else 0.0
                step.floor += line_time
                step.reply_wait += took - line_time
            else:
                step.floor += timeout / 1000.0
                step.flush_over += took - timeout / 1000.0
    return result


class Step:
    """One step's figures, in seconds."""

    def __init__(self):
        self.wall = 0.0
        self.floor = 0.0
        self.attempts = 0
        self.in_reads = 0.0
        self.flush_over = 0.0  # reads that ran past their time-out
        self.reply_wait = 0.0  # answered reads beyond the reply's line time: the meter's delay

    def outside_reads(self):
        return self.wall - self.in_reads


def run_figures(time_path):
    figures = {}
    with open(time_path) as f:
        for line in f:
            key, _, value = line.strip().partition(": ")
            figures[key] = value
    cpu = float(figures["User time (seconds)"]) + float(figures["System time (seconds)"])
    wall_text = figures["Elapsed (wall clock) time (h:mm:ss or m:ss)"]
    wall = 0.0
    for part in wall_text.split(":"):
        wall = wall * 60 + float(part)
    return cpu, wall, int(figures["Maximum resident set size (kbytes)"])


def main():
    global BAUD
    trace_path, time_path, BAUD = sys.argv[1], sys.argv[2], int(sys.argv[3])
    wanted = sys.argv[4:]
    measured = steps(trace_path)
    cpu, run_wall, peak_kb = run_figures(time_path)
    for name in wanted:
        s = measured[name]
        ratio = s.wall / s.floor if s.floor > 0 else float("nan")
        print(f"{name:<14} {s.attempts:>8} {s.wall:>9.3f} {s.floor:>9.3f} {ratio:>7.4f} "
              f"{s.flush_over:>8.3f} {s.reply_wait:>8.3f} {s.outside_reads():>8.3f} "
              f"{cpu:>7.3f} {100.0 * cpu / run_wall:>6.2f}% {peak_kb / 1024.0:>8.1f}")


if __name__ == "__main__":
    main()
