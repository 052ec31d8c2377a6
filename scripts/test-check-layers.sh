#!/usr/bin/env bash
# The layer check's own test: on the small tree of TestData/layering, the check must fail (status 1)
# and print exactly that tree's expected.txt, the upward includes in both forms and nothing else. A
# check that names the includes but exits 0 fails this test, as does one that reads one form only.
#   scripts/test-check-layers.sh [FIXTURE]   (default: TestData/layering of this repository)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
case ${1:-} in
-h | --help)
    sed -n '2,5p' "$0" | sed 's/^# \{0,1\}//'
    exit 0
    ;;
esac
fixture=${1:-$here/../TestData/layering}
expected=$(cat "$fixture/expected.txt") || exit 2
output=$("$here/check-layers.sh" "$fixture" layers.txt 2>&1)
status=$?
failed=0
if [ "$status" -ne 1 ]; then
    echo "check-layers exited with $status on a tree with upward includes; expected 1"
    failed=1
fi
if [ "$output" != "$expected" ]; then
    echo "check-layers printed other words than $fixture/expected.txt:"
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$output") | sed 's/^/  /'
    failed=1
fi
[ "$failed" -eq 0 ] && echo "check-layers fails with status 1 naming both upward includes"
exit "$failed"
