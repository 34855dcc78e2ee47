#!/usr/bin/env bash
# Download benchmark: one file (512 MiB by default) served over HTTPS by nginx
# on loopback, with the test CA, fetched three ways in the same run:
#   client  HttpDownloadToFile (download_bench.exe client)
#   raw     the plainest synchronous WinHTTP loop (download_bench.exe raw),
#           i.e. what WinHTTP itself manages under Wine
#   curl    the host's curl, for reference
# Each way runs RUNS times (order alternating, written pages flushed before
# each run); the best time counts. Prints the time ratios and
# each program's peak memory (working set for the Wine programs, maximum
# resident size for curl).
#
#   bench/download/run.sh [BUILD_DIR]      default: $ZEL_BUILD_DIR, else build/
#   ZEL_BENCH_MB=512 ZEL_BENCH_RUNS=3      size and repetitions
# Build first: cmake --build BUILD_DIR --target download_bench add_root_ca
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
BUILD="$(cd "${1:-${ZEL_BUILD_DIR:-$ROOT/build}}" && pwd)"
SIZE_MB="${ZEL_BENCH_MB:-512}"
RUNS="${ZEL_BENCH_RUNS:-3}"
BENCH_EXE="$BUILD/bench/download_bench.exe"
ADD_CA_EXE="$BUILD/tests/bin/add_root_ca.exe"
for f in "$BENCH_EXE" "$ADD_CA_EXE"; do
  [ -f "$f" ] || { echo "missing $f: build download_bench and add_root_ca first" >&2; exit 2; }
done

# shellcheck source=../../tests/harness/wine-env.sh
. "$ROOT/tests/harness/wine-env.sh"
certs="$("$ROOT/tests/harness/tls/make-certs.sh" "$BUILD/test-tls")"
work="$(mktemp -d "$BUILD/bench-download.XXXXXX")"
nginx_pid=""
cleanup() {
  [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/www" "$work/nginx"
head -c "${SIZE_MB}M" /dev/urandom >"$work/www/file.bin"
expected_md5="$(md5sum "$work/www/file.bin" | cut -d' ' -f1)"
port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
cat >"$work/nginx/nginx.conf" <<CONF
user root;
worker_processes 1;
daemon off;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 64; }
http {
  access_log off;
  sendfile on;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  server {
    listen 127.0.0.1:$port ssl;
    server_name localhost;
    ssl_certificate $certs/localhost.pem;
    ssl_certificate_key $certs/localhost.key;
    root $work/www;
  }
}
CONF
nginx -c "$work/nginx/nginx.conf" -p "$work/nginx" &
nginx_pid=$!
for _ in $(seq 1 50); do
  curl -s --cacert "$certs/ca.pem" -o /dev/null "https://localhost:$port/" && break
  sleep 0.1
done
url="https://localhost:$port/file.bin"

prefix="$work/prefix"
zel_wine_template "$BUILD"
zel_wine_clone "$BUILD" "$prefix"
zel_wine_env "$prefix"
zel_wine_map_drive "$prefix" t "$BUILD"
wineserver -p
wine "$(zel_wine_path_in "$BUILD" "$ADD_CA_EXE")" "$(zel_wine_path_in "$BUILD" "$certs/ca.der")"
bench_win="$(zel_wine_path_in "$BUILD" "$BENCH_EXE")"
out="$work/out.bin"
out_win="$(zel_wine_path_in "$BUILD" "$out")"

# One run of a Wine mode: prints "seconds peak_bytes".
run_wine() {
  local line
  rm -f "$out"
  line="$(wine "$bench_win" "$1" "$url" "$out_win" | tr -d '\r')"
  [ "$(stat -c %s "$out")" = $((SIZE_MB * 1024 * 1024)) ] || { echo "$1: short file ($line)" >&2; exit 1; }
  sed -E 's/seconds=([0-9.]+) bytes=[0-9]+ peak_working_set=([0-9]+)/\1 \2/' <<<"$line"
}
run_curl() {
  local seconds kb
  rm -f "$out"
  seconds="$(/usr/bin/time -f %M -o "$work/rss" curl -sS --cacert "$certs/ca.pem" -o "$out" -w '%{time_total}' "$url")"
  kb="$(tail -1 "$work/rss")"
  echo "$seconds $((kb * 1024))"
}

declare -A best peak
for mode in client raw curl; do best[$mode]=""; peak[$mode]=0; done
for run in $(seq 1 "$RUNS"); do
  # Alternate the order, and start each run with no dirty pages of the last one.
  order="client raw curl"; [ $((run % 2)) = 0 ] && order="raw client curl"
  for mode in $order; do
    sync
    if [ "$mode" = curl ]; then read -r s p < <(run_curl); else read -r s p < <(run_wine "$mode"); fi
    if [ "$mode" = client ] && [ "$run" = 1 ]; then
      [ "$(md5sum "$out" | cut -d' ' -f1)" = "$expected_md5" ] || { echo "client: wrong bytes" >&2; exit 1; }
    fi
    echo "run $run $mode: ${s}s peak $((p / 1048576)) MiB" >&2
    if [ -z "${best[$mode]}" ] || awk "BEGIN{exit !($s < ${best[$mode]})}"; then best[$mode]="$s"; fi
    [ "$p" -gt "${peak[$mode]}" ] && peak[$mode]="$p"
  done
done

echo "download of $SIZE_MB MiB over HTTPS from nginx on loopback, best of $RUNS"
printf '%-8s %9s %9s %14s\n' way seconds MiB/s peak_MiB
for mode in client raw curl; do
  awk -v m="$mode" -v s="${best[$mode]}" -v p="${peak[$mode]}" -v mb="$SIZE_MB" \
    'BEGIN{printf "%-8s %9.2f %9.1f %14.1f\n", m, s, mb/s, p/1048576}'
done
awk -v c="${best[client]}" -v r="${best[raw]}" -v u="${best[curl]}" -v p="${peak[client]}" 'BEGIN{
  printf "ratio client/raw  = %.3f (target <= 1.10)\n", c/r
  printf "ratio client/curl = %.3f\n", c/u
  printf "client peak memory = %.1f MiB (target <= 64)\n", p/1048576 }'
