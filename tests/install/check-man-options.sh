#!/bin/sh
# check-man-options.sh PROGRAM PAGE: the manual page PAGE renders without a warning, and every
# long option that "PROGRAM --help" prints is described in it, as the tag of a paragraph
# ("--rate BAUD", "-h, --help") or an entry of the synopsis.
set -eu
program=$1
page=$2

warnings=$(groff -man -ww -z "$page" 2>&1)
if [ -n "$warnings" ]; then
    echo "$page: groff warns:"
    echo "$warnings"
    exit 1
fi

help=$("$program" --help) || { echo "$program --help failed"; exit 1; }
# One option per line, as the reader sees it; no hyphenation and long lines, so that no
# option is split.
text=$(groff -man -Tascii -rLL=250n -rHY=0 -P-cbou "$page")
options=$(printf '%s\n' "$help" | grep -o -- '--[a-z][a-z0-9-]*' | sort -u)
[ -n "$options" ] || { echo "$program --help names no option"; exit 1; }

missing=0
for option in $options; do
    if ! printf '%s\n' "$text" |
        grep -Eq -- "^ *(\[?-[A-Za-z], )?\[?$option([] =,[]|\$)"; then
        echo "$page does not describe $option"
        missing=1
    fi
done
[ "$missing" -eq 0 ] && echo "$page describes all of: $(echo $options)"
exit "$missing"
