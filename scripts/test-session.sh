#!/usr/bin/env bash
# Runs a command inside what the tests need: a private D-Bus session bus, an X display (Xvfb) and a
# PulseAudio server, each started here when the machine does not already provide one.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${ZUNO_TEST_SESSION:-}" ]; then
    export ZUNO_TEST_SESSION=1
    # A runtime folder of our own unless the session already has a usable one (it may be set but
    # missing or someone else's, for example under sudo or in a container).
    if [ -z "${XDG_RUNTIME_DIR:-}" ] || [ ! -d "$XDG_RUNTIME_DIR" ] || [ ! -O "$XDG_RUNTIME_DIR" ] \
        || [ ! -w "$XDG_RUNTIME_DIR" ]; then
        XDG_RUNTIME_DIR="$(mktemp -d /tmp/zuno-runtime.XXXXXX)"
        export ZUNO_TEST_RUNTIME_CREATED="$XDG_RUNTIME_DIR"
    fi
    export XDG_RUNTIME_DIR
    chmod 700 "$XDG_RUNTIME_DIR"
    exec dbus-run-session -- "$0" "$@"
fi

started_pulse=0
keyring_pid=""
keyring_home=""
xvfb_pid=""
# Sessions side by side take turns to start and stop their X servers (see below).
xvfb_turns=/tmp/zuno-xvfb-start.lock
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        # A server still going away frees its display number before its socket file: no session may
        # start one until it is gone, or the new server's socket would go with the old one's.
        exec 9>"$xvfb_turns"
        flock -w 30 9 || true
        kill "$xvfb_pid" >/dev/null 2>&1 || true
        wait "$xvfb_pid" 2>/dev/null || true
        flock -u 9
    fi
    # Only the server started here is stopped; a server the machine provides is left alone.
    if [ "$started_pulse" = 1 ]; then
        pulseaudio --kill >/dev/null 2>&1 || true
    fi
    if [ -n "$keyring_pid" ]; then
        kill "$keyring_pid" >/dev/null 2>&1 || true
    fi
    if [ -n "$keyring_home" ]; then
        rm -rf "$keyring_home"
    fi
    if [ -n "${ZUNO_TEST_RUNTIME_CREATED:-}" ] && [ "$ZUNO_TEST_RUNTIME_CREATED" = "$XDG_RUNTIME_DIR" ]; then
        rm -rf "$ZUNO_TEST_RUNTIME_CREATED"
    fi
}
trap cleanup EXIT

# An X display of our own, never the user's: Xvfb takes the first free display number itself and
# names it once it accepts connections (-displayfd). Two servers starting at the same moment could
# still both try one number, and the loser would take the winner's socket file with it: starts take
# turns. An X server resets whenever its last client leaves and drops a client that connects during
# the reset; tests come and go all the time, so this one never resets (-noreset), as a desktop's
# server, which always has clients, never does.
display_file="$(mktemp /tmp/zuno-display.XXXXXX)"
exec 9>"$xvfb_turns"
flock -w 30 9 || true
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$display_file" 9>&- >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$display_file" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
flock -u 9
exec 9>&-
display_number="$(head -n 1 "$display_file")"
rm -f "$display_file"
if [ -z "$display_number" ]; then
    echo "test-session: Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=":$display_number"
unset XAUTHORITY WAYLAND_DISPLAY

# PulseAudio for the microphone tests (a null sink; tests load their own sources); a failure to
# start only makes those tests skip. Running as root is fine for a per-user daemon.
if command -v pulseaudio >/dev/null && ! pactl info >/dev/null 2>&1; then
    if pulseaudio --daemonize=yes --exit-idle-time=-1 --system=no -n \
        --load="module-null-sink sink_name=zuno_null" \
        --load="module-native-protocol-unix" >/dev/null 2>&1; then
        started_pulse=1
    fi
    for _ in 1 2 3 4 5 6 7 8 9 10; do pactl info >/dev/null 2>&1 && break; sleep 0.2; done
    # A default chosen by hand stays put: otherwise each source a test loads may become the default,
    # and the server moves another test's stream from the old default onto it.
    if [ "$started_pulse" = 1 ]; then
        pactl set-default-source zuno_null.monitor >/dev/null 2>&1 || true
    fi
fi

# A Secret Service for the keychain tests: gnome-keyring with only its secrets component, its home and
# runtime folders in a temporary folder (never the user's), unlocked with an empty password, and its
# in-memory session collection as the default one, so nothing is written to disk and nothing prompts.
# A failure to start only makes those tests skip.
secrets_owned() {
    dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null | grep -q true
}
if command -v gnome-keyring-daemon >/dev/null && command -v dbus-send >/dev/null && ! secrets_owned; then
    keyring_home="$(mktemp -d /tmp/zuno-keyring.XXXXXX)"
    mkdir -p "$keyring_home/runtime" && chmod 700 "$keyring_home/runtime"
    if printf '' | HOME="$keyring_home" XDG_DATA_HOME="$keyring_home/data" XDG_CONFIG_HOME="$keyring_home/config" \
        XDG_RUNTIME_DIR="$keyring_home/runtime" gnome-keyring-daemon --unlock --components=secrets >/dev/null 2>&1; then
        for _ in 1 2 3 4 5 6 7 8 9 10; do secrets_owned && break; sleep 0.2; done
        keyring_pid="$(dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.GetConnectionUnixProcessID string:org.freedesktop.secrets 2>/dev/null \
            | awk '{print $2}')" || keyring_pid=""
        dbus-send --session --print-reply --dest=org.freedesktop.secrets /org/freedesktop/secrets \
            org.freedesktop.Secret.Service.SetAlias string:default \
            objpath:/org/freedesktop/secrets/collection/session >/dev/null 2>&1 || true
    fi
fi

# Debian's tesseract uses OpenMP; with ctest running one test per core, its threads only fight.
export OMP_THREAD_LIMIT=1

status=0
"$@" || status=$?
exit $status
