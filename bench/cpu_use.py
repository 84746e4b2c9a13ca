#!/usr/bin/env python3
"""CPU use of running processes, from /proc: percent of one core over a span.

    cpu_use.py SECONDS PID [PID ...]

Prints one line per process: its name and its user plus system time over the span, as a
percentage of one core (100 = one core busy all the time)."""
import os
import sys
import time


def ticks(pid):
    with open(f'/proc/{pid}/stat') as f:
        stat = f.read()
    name = stat[stat.index('(') + 1:stat.rindex(')')]
    fields = stat[stat.rindex(')') + 2:].split()
    return name, int(fields[11]) + int(fields[12])  # utime, stime


def main():
    span = float(sys.argv[1])
    pids = sys.argv[2:]
    hz = os.sysconf('SC_CLK_TCK')
    before = {pid: ticks(pid)[1] for pid in pids}
    start = time.monotonic()
    time.sleep(span)
    elapsed = time.monotonic() - start
    for pid in pids:
        name, now = ticks(pid)
        print(f'{name}: {100.0 * (now - before[pid]) / hz / elapsed:.2f} %')


main()
