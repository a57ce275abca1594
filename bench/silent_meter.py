#!/usr/bin/env python3
"""A meter on a pseudo-terminal that answers parameter requests (command 5) only.

The opening read of a run then succeeds, and every other request goes unanswered, so that
`rt570-cli set-clock` makes exactly one silent request. Usage: silent_meter.py LINK
(LINK becomes a symbolic link to the terminal; the script runs until it is killed).
"""
import os
import sys

FRAME = 11
PARAMETER = 5


def reply(request):
    # "#" addr cmd index extra data(4, LE) sum CR; the data is the float 1.0.
    frame = bytearray(request[:5]) + bytes([0x00, 0x00, 0x80, 0x3F]) + b"\x00\x0d"
    frame[9] = (sum(frame[:9]) + frame[10]) % 256
    return bytes(frame)


def main():
    link = sys.argv[1]
    master, slave = os.openpty()
    path = os.ttyname(slave)
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(path, link)
    print(path, flush=True)
    pending = b""
    try:
        while True:
            pending += os.read(master, 4096)
            while True:
                start = pending.find(b"#")
                if start < 0:
                    pending = b""
                    break
                pending = pending[start:]
                if len(pending) < FRAME:
                    break
                request, pending = pending[:FRAME], pending[FRAME:]
                if request[2] == PARAMETER:
                    os.write(master, reply(request))
    finally:
        os.remove(link)


if __name__ == "__main__":
    main()
