#!/usr/bin/env python3
"""Figures of one `rt570-cli collect` run over several modem lines, next to its floor.

Usage: collect_pool.py TRACE SUMMARY TIMEFILE BAUD CONNECT_MS GUARD_MS DEVICE...
With one DEVICE the trace is TRACE, with several line N's is TRACE.N (N from 1, in the order
given). Each node's own floor is collect_figures.py's, from the trace of the line that called
it (the summary's last column names the line). The floor of the run is the finish time of the
list-order hand-out of the nodes' floors onto the lines: each node, in list order, to the line
that is free first (the lowest-numbered one on a tie). One row: lines, nodes, wall, floor,
ratio, CPU, peak memory.
"""
import sys

from collect_figures import nodes
from figures import run_figures


def handout_floor(floors, lines):
    free = [0.0] * lines
    for floor in floors:
        line = free.index(min(free))
        free[line] += floor
    return max(free)


def main():
    trace, summary_path, time_path = sys.argv[1:4]
    baud, connect_ms, guard_ms = (int(a) for a in sys.argv[4:7])
    devices = sys.argv[7:]
    with open(summary_path, encoding="utf-8") as f:
        summary = [line.rstrip("\n").split("\t") for line in f if line.strip()]
    floors = [None] * len(summary)
    for number, device in enumerate(devices, start=1):
        path = trace if len(devices) == 1 else f"{trace}.{number}"
        measured = nodes(path, baud, connect_ms / 1000.0, guard_ms / 1000.0)
        mine = [i for i, fields in enumerate(summary) if fields[-1] == device]
        if len(mine) != len(measured):
            sys.exit(f"{device}: {len(mine)} summary lines but {len(measured)} nodes in {path}")
        for i, node in zip(mine, measured):
            floors[i] = node.floor()
    if None in floors:
        sys.exit("a node was called by no line")
    floor = handout_floor(floors, len(devices))
    cpu, wall, peak_kb = run_figures(time_path)
    print(f"| {len(devices)} | {len(summary)} | {wall:.3f} | {floor:.3f} | {wall / floor:.3f} "
          f"| {100.0 * cpu / wall:.2f} | {peak_kb / 1024.0:.1f} |")


if __name__ == "__main__":
    main()
