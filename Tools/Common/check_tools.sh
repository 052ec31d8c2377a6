#!/usr/bin/env bash
# Every tool answers --help and -h with its usage and 0, refuses an unknown option with an error (not
# a crash), and neither creates a file or folder: not in the working folder, the home folder or the
# temporary folder. Then a demo stopped by SIGTERM or SIGINT removes its temporary folders.
#   Tools/Common/check_tools.sh SCRATCH TOOL...     (TOOL: the path of an executable)
set -uo pipefail
scratch=$1
shift
mkdir -p "$scratch"
root=$(mktemp -d "$scratch/run-XXXXXX")
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# A fresh working, home and temporary folder for each run, so that anything a run leaves is its own.
prepare() {
    rm -rf "$root/case"
    mkdir -p "$root/case/work" "$root/case/tmp"
    export HOME=$root/case/home XDG_CONFIG_HOME=$root/case/home/.config XDG_DATA_HOME=$root/case/home/.local/share
    export XDG_CACHE_HOME=$root/case/home/.cache XDG_STATE_HOME=$root/case/home/.local/state TMPDIR=$root/case/tmp
}

left_behind() {
    (cd "$root/case" && find work tmp home -mindepth 1 2>/dev/null | head -5)
}

export QT_QPA_PLATFORM=offscreen
for tool in "$@"; do
    name=$(basename "$tool")
    for option in --help -h; do
        prepare
        out=$(cd "$root/case/work" && timeout 60 "$tool" "$option" 2>"$root/err")
        rc=$?
        [ $rc -eq 0 ] || fail "$name $option exited $rc: $(head -c 300 "$root/err")"
        grep -qi 'usage' <<<"$out" || fail "$name $option printed no usage on stdout"
        left=$(left_behind)
        [ -z "$left" ] || fail "$name $option created: $left"
    done
    prepare
    (cd "$root/case/work" && timeout 60 "$tool" --no-such-option >/dev/null 2>&1)
    rc=$?
    if [ $rc -eq 0 ] || [ $rc -ge 124 ]; then
        fail "$name --no-such-option exited $rc (an error below 124 is expected)"
    fi
    left=$(left_behind)
    [ -z "$left" ] || fail "$name --no-such-option created: $left"
done

# Demos that make temporary folders remove them when stopped by a signal.
for tool in "$@"; do
    case $(basename "$tool") in
    AIViewsDemo) runs=("--view card" "--view pill") ;;
    *) continue ;;
    esac
    for arguments in "${runs[@]}"; do
        for signal in TERM INT; do
            prepare
            # shellcheck disable=SC2086
            (cd "$root/case/work" && exec "$tool" $arguments >/dev/null 2>&1) &
            pid=$!
            for _ in $(seq 200); do
                [ -n "$(ls -A "$root/case/tmp")" ] && break
                sleep 0.1
            done
            made=$(ls -A "$root/case/tmp" | wc -l)
            sleep 0.5
            kill -s "$signal" "$pid"
            wait "$pid"
            rc=$?
            [ "$made" -gt 0 ] || fail "$(basename "$tool") $arguments made no temporary folder to check"
            left=$(ls -A "$root/case/tmp")
            [ -z "$left" ] || fail "$(basename "$tool") $arguments left after SIG$signal (rc $rc): $left"
        done
    done
done

rm -rf "$root"
if [ $failures -gt 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "every tool answers --help, refuses unknown options and leaves nothing behind"
