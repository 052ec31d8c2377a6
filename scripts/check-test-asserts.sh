#!/usr/bin/env bash
# Fails, naming the file and the line, when a test source (a .cpp or .h below a Tests/ folder) uses one
# of QtTest's checks: QVERIFY, QCOMPARE, QTRY_*, QFAIL, QEXPECT_FAIL, QSKIP, QTEST and their kin. The
# tests run under GoogleTest, which never hears of them: a failing one only writes to QtTest's log and
# returns from the test, which then passes. Assert with ASSERT_/EXPECT_ and wait with waitUntil().
# Text after // is not read; folders named TestData or build are skipped.
#   scripts/check-test-asserts.sh [ROOT]   (default: this repository)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
case ${1:-} in
-h | --help)
    sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'
    exit 0
    ;;
esac
root=${1:-$here/..}
cd "$root" || { echo "check-test-asserts: cannot enter $root" >&2; exit 2; }

mapfile -t sources < <(find . \( -name TestData -o -name 'build*' -o -name .git -o -name node_modules \) \
    -prune -o -type f -path '*/Tests/*' \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||' | sort)
[ "${#sources[@]}" -gt 0 ] || { echo "check-test-asserts: no test sources below $root" >&2; exit 2; }

awk '
{
    code = $0
    sub(/\/\/.*/, "", code)
    rest = code
    while (match(rest, /(^|[^A-Za-z0-9_])(QVERIFY[A-Z0-9_]*|QCOMPARE[A-Z0-9_]*|QTRY_[A-Z0-9_]+|QFAIL|QEXPECT_FAIL|QSKIP|QTEST)[ \t]*\(/)) {
        found = substr(rest, RSTART, RLENGTH)
        sub(/^[^A-Z]*/, "", found); sub(/[ \t]*\($/, "", found)
        printf "%s:%d: QtTest'"'"'s %s never fails a GoogleTest\n", FILENAME, FNR, found
        ++count
        rest = substr(rest, RSTART + RLENGTH)
    }
}
END {
    if (count) {
        print count " QtTest check(s) in GoogleTest sources: use ASSERT_/EXPECT_, and waitUntil() to wait"
        exit 1
    }
    print "no QtTest checks in the " NR " lines of " ARGC - 1 " test sources"
}' "${sources[@]}"
