#!/usr/bin/env bash
# Runs a command inside what the tests need: a private D-Bus session bus, an X display (Xvfb) and a
# PulseAudio server, each started here when the machine does not already provide one.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${ZUNO_TEST_SESSION:-}" ]; then
    export ZUNO_TEST_SESSION=1
    export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/zuno-runtime.XXXXXX)}"
    chmod 700 "$XDG_RUNTIME_DIR"
    exec dbus-run-session -- xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" "$0" "$@"
fi

# PulseAudio for the microphone tests; a failure to start only makes those tests skip.
if command -v pulseaudio >/dev/null && ! pactl info >/dev/null 2>&1; then
    pulseaudio --daemonize=yes --exit-idle-time=-1 --system=no -n \
        --load="module-null-sink sink_name=zuno_null" \
        --load="module-native-protocol-unix" >/dev/null 2>&1 || true
    for _ in 1 2 3 4 5 6 7 8 9 10; do pactl info >/dev/null 2>&1 && break; sleep 0.2; done
fi

status=0
"$@" || status=$?
pulseaudio --kill >/dev/null 2>&1 || true
exit $status
