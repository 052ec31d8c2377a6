#!/usr/bin/env bash
# Benchmarks the studio's LAN remote (StudioDemo --remote) against nginx serving the same JSON:
# GET /api/state with a new connection per request (wrk with "Connection: close"). First pinned:
# the studio and nginx on one core each, wrk on others; then unpinned. Prints requests per second of
# both, and their ratio. The Host header may name another address of this computer (a phone names the
# LAN address), while the traffic still goes to 127.0.0.1. nginx and wrk are benchmark-only
# dependencies, installed here when missing.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
duration=10
connections=64
server_core=1
nginx_core=2
wrk_cores=3
wrk_threads=1
host=127.0.0.1

usage() {
    cat <<EOF
usage: scripts/bench-remote.sh [options]

Serves the studio's remote and nginx side by side on 127.0.0.1 and measures both with wrk, a new
connection per request, pinned (taskset) and unpinned. Prints requests per second and the ratio
studio/nginx (the target is at least 1.0).

  --build DIR          build folder holding bin/StudioDemo (default: build)
  --duration SECONDS   length of each wrk run (default: 10)
  --connections N      concurrent wrk connections (default: 64)
  --server-core N      core for the studio's remote (default: 1)
  --nginx-core N       core for nginx (default: 2)
  --wrk-cores LIST     cores for wrk, a taskset list (default: 3)
  --wrk-threads N      wrk threads (default: 1)
  --host NAME          the Host header's name, sent as NAME:PORT; the connections still go to
                       127.0.0.1 (default: 127.0.0.1; a phone sends the LAN address, e.g. the first
                       of \`hostname -I\`)
  --help               this text
EOF
}

while [ $# -gt 0 ]; do
    case "$1" in
    --build) build=$2; shift 2 ;;
    --duration) duration=$2; shift 2 ;;
    --connections) connections=$2; shift 2 ;;
    --server-core) server_core=$2; shift 2 ;;
    --nginx-core) nginx_core=$2; shift 2 ;;
    --wrk-cores) wrk_cores=$2; shift 2 ;;
    --wrk-threads) wrk_threads=$2; shift 2 ;;
    --host) host=$2; shift 2 ;;
    --help|-h) usage; exit 0 ;;
    *) echo "bench-remote: unknown option $1" >&2; usage >&2; exit 2 ;;
    esac
done

demo="$build/bin/StudioDemo"
if [ ! -x "$demo" ]; then
    echo "bench-remote: $demo not found; build first (cmake --build $build --target StudioDemo)" >&2
    exit 1
fi

as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
command -v nginx >/dev/null || [ -x /usr/sbin/nginx ] || missing+=(nginx-light)
command -v wrk >/dev/null || missing+=(wrk)
if [ ${#missing[@]} -gt 0 ]; then
    echo "bench-remote: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null \
        || { as_root apt-get update -qq && as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; }
    # The package starts a system-wide nginx; the benchmark runs its own.
    as_root systemctl disable --now nginx >/dev/null 2>&1 || as_root service nginx stop >/dev/null 2>&1 || true
fi
nginx_bin=$(command -v nginx || echo /usr/sbin/nginx)

work=$(mktemp -d)
demo_pid=
nginx_pid=
cleanup() {
    [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null && wait "$demo_pid" 2>/dev/null
    [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

wait_for() { # url
    for _ in $(seq 1 100); do
        curl -fsS -o /dev/null "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    echo "bench-remote: $1 does not answer" >&2
    return 1
}

# wrk's requests per second, failing loudly when any request failed or was not answered 2xx.
measure() { # label port pin-prefix...
    local label=$1 port=$2
    shift 2
    local out
    out=$("$@" wrk -t"$wrk_threads" -c"$connections" -d"${duration}s" -H "Connection: close" \
        -H "Host: $host:$port" "http://127.0.0.1:$port/api/state")
    local rps errors
    rps=$(awk '/^Requests\/sec:/ {print $2}' <<<"$out")
    errors=$(awk '/Non-2xx|Socket errors/' <<<"$out")
    if [ -n "$errors" ]; then
        echo "bench-remote: $label: $errors" >&2
    fi
    echo "$rps"
}

# The studio's remote, on an empty home of its own.
demo_port=$(free_port)
mkdir -p "$work/home"
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
    XDG_CACHE_HOME="$work/home/.cache" QT_QPA_PLATFORM=offscreen \
    taskset -c "$server_core" "$demo" --remote "$demo_port" --loopback >"$work/demo.log" 2>&1 &
demo_pid=$!
wait_for "http://127.0.0.1:$demo_port/api/state"
# A Host the studio refuses would measure its 403, not its answer.
status=$(curl -sS -o /dev/null -w '%{http_code}' -H "Host: $host:$demo_port" "http://127.0.0.1:$demo_port/api/state")
if [ "$status" != 200 ]; then
    echo "bench-remote: the studio answers Host $host with $status" >&2
    exit 1
fi

# nginx serving the very same bytes with the same type.
mkdir -p "$work/www" "$work/nginx"
curl -fsS -o "$work/www/state.json" "http://127.0.0.1:$demo_port/api/state"
nginx_port=$(free_port)
user_line=""
[ "$(id -u)" = 0 ] && user_line="user root;"
cat >"$work/nginx/nginx.conf" <<EOF
$user_line
worker_processes 1;
daemon off;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log warn;
events { worker_connections 4096; }
http {
    access_log off;
    server_tokens off;
    etag off;
    client_body_temp_path $work/nginx/body;
    proxy_temp_path $work/nginx/proxy;
    fastcgi_temp_path $work/nginx/fastcgi;
    uwsgi_temp_path $work/nginx/uwsgi;
    scgi_temp_path $work/nginx/scgi;
    open_file_cache max=16;
    server {
        listen 127.0.0.1:$nginx_port backlog=4096;
        location = /api/state {
            default_type "application/json; charset=utf-8";
            alias $work/www/state.json;
        }
    }
}
EOF
taskset -c "$nginx_core" "$nginx_bin" -c "$work/nginx/nginx.conf" -p "$work/nginx" &
nginx_pid=$!
wait_for "http://127.0.0.1:$nginx_port/api/state"
if ! cmp -s <(curl -fsS "http://127.0.0.1:$nginx_port/api/state") "$work/www/state.json"; then
    echo "bench-remote: nginx does not serve the studio's bytes" >&2
    exit 1
fi

echo "state: $(wc -c <"$work/www/state.json") bytes of JSON; wrk -t$wrk_threads -c$connections -d${duration}s, a connection per request, Host $host"
for mode in pinned unpinned; do
    if [ "$mode" = pinned ]; then
        pin=(taskset -c "$wrk_cores")
        taskset -pc "$server_core" "$demo_pid" >/dev/null
        for pid in $(pgrep -P "$nginx_pid") "$nginx_pid"; do taskset -pc "$nginx_core" "$pid" >/dev/null; done
        where="studio on core $server_core, nginx on core $nginx_core, wrk on $wrk_cores"
    else
        pin=()
        all="0-$(($(nproc) - 1))"
        for task in /proc/"$demo_pid"/task/*; do taskset -pc "$all" "${task##*/}" >/dev/null; done
        for pid in $(pgrep -P "$nginx_pid") "$nginx_pid"; do taskset -pc "$all" "$pid" >/dev/null; done
        where="no pinning"
    fi
    # A short warm-up of each, then the measured runs.
    duration_saved=$duration
    duration=2
    measure studio "$demo_port" "${pin[@]}" >/dev/null
    measure nginx "$nginx_port" "${pin[@]}" >/dev/null
    duration=$duration_saved
    studio=$(measure studio "$demo_port" "${pin[@]}")
    nginx=$(measure nginx "$nginx_port" "${pin[@]}")
    ratio=$(awk -v a="$studio" -v b="$nginx" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }')
    printf '%-8s studio %10s req/s   nginx %10s req/s   ratio %sx   (%s)\n' \
        "$mode" "$studio" "$nginx" "$ratio" "$where"
done
