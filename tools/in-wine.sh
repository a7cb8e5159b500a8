#!/usr/bin/env bash
# Runs a test program under Wine: in-wine.sh WINE PROGRAM [ARGS...]. When the
# program ends with a status other than 0 the status is said, because on a
# loaded machine a program has now and then ended before writing a word, and
# its test failed without one.
"$@"
status=$?
[ "$status" = 0 ] || echo "in-wine: ${2##*/} ended with status $status" >&2
exit "$status"
