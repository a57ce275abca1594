#!/bin/sh
# check-desktop-entry.sh FILE: desktop-file-validate accepts the desktop entry with no error,
# warning or hint. Exit status 77 (the test is skipped) when the validator is not installed.
set -eu
if ! command -v desktop-file-validate >/dev/null; then
    echo "desktop-file-validate is not installed (package desktop-file-utils): skipped"
    exit 77
fi
report=$(desktop-file-validate "$1" 2>&1) && [ -z "$report" ] && exit 0
echo "$report"
exit 1
