#!/usr/bin/env python3
"""Runs a command and writes to RESULT_FILE its exit status, its wall time in
seconds and its peak resident memory in KiB (the kernel's high-water mark of
the process, which is what Wine reports to a program as its peak working
set). Ctrl-C (SIGINT) given to this wrapper is passed on to the command, so a
server under it stops the way it stops in a console.

    peak_memory.py RESULT_FILE COMMAND [ARGUMENT]...
"""
import resource
import signal
import subprocess
import sys
import time


def main():
    children = []
    # Set before the command starts, so that it does not inherit SIGINT
    # ignored (as it is in a background job of a script).
    signal.signal(signal.SIGINT, lambda *_: [c.send_signal(signal.SIGINT) for c in children])
    start = time.monotonic()
    children.append(subprocess.Popen(sys.argv[2:]))
    status = children[0].wait()
    seconds = time.monotonic() - start
    peak_kib = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    with open(sys.argv[1], 'w') as result:
        result.write(f'{status} {seconds:.2f} {peak_kib}\n')


if __name__ == '__main__':
    main()
