#!/usr/bin/env python3
"""Figures of one `rt570-cli collect` run from its trace, its summary and `/usr/bin/time -v`.

Usage: collect_figures.py TRACE SUMMARY TIMEFILE BAUD CONNECT_MS GUARD_MS
One row per node, then one for the whole run. A node runs from its "# dial" mark to the last
read of its hang-up; its operations are the steps between "# begin X" and "# end X" marks, the
modem dialogue is the rest.

The floor of a node:
- operations: as in figures.py, per attempt its flush read's time-out (70 ms before a parameter
  request, 30 ms before any other) plus, when BAUD is not 0, the reply's 11 bytes at the line
  rate (the full reply time-out when no reply came);
- modem dialogue: the time-outs of its silent reads (the 30 ms drain before "AT" and before the
  dial, the guard time of 1 s before "+++"), the modem's connect delay CONNECT_MS from the dial
  to its "CONNECT", its guard time GUARD_MS after "+++" before its "OK", and, when BAUD is not
  0, the modem's answer bytes at the line rate (not the echo of the dial, which comes within
  the connect delay).
"""
import re
import sys
from datetime import datetime

from figures import run_figures  # the process figures of /usr/bin/time -v

BITS_PER_BYTE = 10
REPLY_BYTES = 11  # a meter reply; a flush read asks for more
MODEM_SILENCE_BYTES = 64  # the modem dialogue's silent reads (drain, guard)
MODEM_RESULT_BYTES = 1  # the modem dialogue reads its answers a byte at a time

LINE = re.compile(r"^(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}) (.*)$")
READ = re.compile(r"^read  port \d+: up to (\d+) bytes in (\d+) ms: (\d+) bytes after ([\d.]+) ms")
DIAL = re.compile(r"^send  port \d+: 41 54 44 ")  # "ATD"
SEND = re.compile(r"^send  port \d+: ")


class Node:
    """One node's figures, in seconds."""

    def __init__(self, start):
        self.start = start
        self.end = start
        self.frames = 0
        self.ops_wall = 0.0
        self.ops_floor = 0.0
        self.modem_floor = 0.0

    def wall(self):
        return (self.end - self.start).total_seconds()

    def floor(self):
        return self.ops_floor + self.modem_floor


def nodes(trace_path, baud, connect_s, guard_s):
    byte_s = BITS_PER_BYTE / baud if baud else 0.0
    result = []
    node = None
    step_begin = None
    dialling = False  # between the dial's send and the first byte of its result
    with open(trace_path, encoding="utf-8") as trace:
        for raw in trace:
            m = LINE.match(raw.rstrip("\n"))
            if not m:
                continue
            when = datetime.strptime(m.group(1), "%Y-%m-%d %H:%M:%S.%f")
            body = m.group(2)
            if body == "# dial":
                node = Node(when)
                result.append(node)
                continue
            if node is None:
                continue
            if body.startswith("# begin "):
                step_begin = when
                continue
            if body.startswith("# end ") and step_begin is not None:
                node.ops_wall += (when - step_begin).total_seconds()
                step_begin = None
                continue
            if DIAL.match(body):
                dialling = True
                node.modem_floor += connect_s
            elif SEND.match(body) and body.endswith(": 2B 2B 2B"):  # "+++"
                node.modem_floor += guard_s
            if SEND.match(body):
                node.end = when
                if step_begin is not None:
                    node.frames += 1
                continue
            r = READ.match(body)
            if not r:
                continue
            node.end = when
            count, timeout, got = int(r.group(1)), int(r.group(2)), int(r.group(3))
            took = float(r.group(4)) / 1000.0
            if step_begin is not None:
                if count != REPLY_BYTES:  # the flush read before a send
                    node.ops_floor += timeout / 1000.0
                elif got >= REPLY_BYTES:
                    node.ops_floor += REPLY_BYTES * byte_s
                else:
                    node.ops_floor += timeout / 1000.0
            elif count == MODEM_SILENCE_BYTES:
                node.modem_floor += timeout / 1000.0
            elif count == MODEM_RESULT_BYTES and got > 0:
                # The dial's echo comes at once; its result after the connect delay.
                if dialling and took >= connect_s / 2:
                    dialling = False
                if not dialling:
                    node.modem_floor += byte_s
    return result


def main():
    trace_path, summary_path, time_path = sys.argv[1:4]
    baud, connect_ms, guard_ms = (int(a) for a in sys.argv[4:7])
    measured = nodes(trace_path, baud, connect_ms / 1000.0, guard_ms / 1000.0)
    with open(summary_path, encoding="utf-8") as f:
        summary = [line.rstrip("\n").split("\t") for line in f if line.strip()]
    if len(summary) != len(measured):
        sys.exit(f"{len(summary)} summary lines but {len(measured)} nodes in the trace")
    print(f"{'node':<8} {'result':<8} {'frames':>6} {'wall_s':>8} {'floor_s':>8} {'ratio':>7} "
          f"{'ops_s':>8} {'ops_fl_s':>8} {'modem_s':>8} {'mdm_fl_s':>8}")
    for fields, n in zip(summary, measured):
        modem_wall = n.wall() - n.ops_wall
        print(f"{fields[0]:<8} {fields[2]:<8} {n.frames:>6} {n.wall():>8.3f} {n.floor():>8.3f} "
              f"{n.wall() / n.floor():>7.4f} {n.ops_wall:>8.3f} {n.ops_floor:>8.3f} "
              f"{modem_wall:>8.3f} {n.modem_floor:>8.3f}")
    cpu, wall, peak_kb = run_figures(time_path)
    floor = sum(n.floor() for n in measured)
    print(f"whole run: wall {wall:.3f} s (process start to end), floor {floor:.3f} s, "
          f"ratio {wall / floor:.4f}; CPU {cpu:.3f} s ({100.0 * cpu / wall:.2f} %), "
          f"peak {peak_kb / 1024.0:.1f} MB")


if __name__ == "__main__":
    main()
