#!/usr/bin/env bash
# Runs a check that is meant to fail and passes only when it does: it must exit with the given status
# (1 unless told) and print every expected line, whole. ctest's PASS_REGULAR_EXPRESSION alone ignores
# the exit status, so a check that printed its finding and exited 0 would pass it.
#   scripts/expect-failure.sh [--status N] [--line TEXT]... -- COMMAND [ARGUMENT]...
set -uo pipefail
status=1
lines=()
while [ $# -gt 0 ]; do
    case $1 in
    -h | --help)
        sed -n '2,5p' "$0" | sed 's/^# \{0,1\}//'
        exit 0
        ;;
    --status) status=${2:?--status needs a number}; shift 2 ;;
    --line) lines+=("${2?--line needs a text}"); shift 2 ;;
    --) shift; break ;;
    *) echo "expect-failure: unknown option $1 (see --help)" >&2; exit 2 ;;
    esac
done
[ $# -gt 0 ] || { echo "expect-failure: no command to run (see --help)" >&2; exit 2; }

output=$("$@" 2>&1)
got=$?
printf '%s\n' "$output"
failed=0
if [ "$got" -ne "$status" ]; then
    echo "expect-failure: $1 exited with $got, not $status"
    failed=1
fi
for line in "${lines[@]}"; do
    if ! grep -qxF -- "$line" <<<"$output"; then
        echo "expect-failure: $1 did not print: $line"
        failed=1
    fi
done
[ "$failed" = 0 ] && echo "expect-failure: $1 failed as expected"
exit "$failed"
