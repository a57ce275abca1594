#!/bin/sh
# check-bad-usage.sh PROGRAM MESSAGE ARGUMENT...: PROGRAM with the ARGUMENTs exits with status 2
# and says MESSAGE on stderr, without starting its work.
set -u
program=$1
message=$2
shift 2
err=$("$program" "$@" 2>&1 >/dev/null)
status=$?
if [ "$status" -ne 2 ]; then
    echo "$program $*: exit status $status, not 2"
    exit 1
fi
case $err in
*"$message"*) exit 0 ;;
esac
echo "$program $*: stderr lacks '$message':"
echo "$err"
exit 1
