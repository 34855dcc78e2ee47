#!/usr/bin/env bash
# Benchmark of one install run over three packages of 64, 128 and 256 MiB
# served by nginx (HTTPS, loopback), against the minimal WinHTTP download loop
# of bench/download plus md5sum over the same files, measured in the same run.
#
#   bench/pipeline/run.sh            (build dir: $ZEL_BUILD_DIR or build/)
#   ZEL_BENCH_RUNS=3                 repetitions; the best time of each side counts
#
# Prints both times, their ratio and the engine's peak memory. The engine's run
# also parses the manifest and runs the (stand-in) packages, which the
# reference does not.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="${ZEL_BUILD_DIR:-$ROOT/build}"
export ZEL_BUILD_DIR="$BUILD"
WORK="$BUILD/bench-pipeline"
WWW="$WORK/www"
DRIVE="$WORK/drive"   # drive D: of the Wine runs
RUN="$ROOT/tests/harness/wine-run"
RUNS="${ZEL_BENCH_RUNS:-3}"
SIZES=(64 128 256)
IDS=(7 1 3)
KEYS=('Software\Velmora\Quillbox\Storefront' 'Software\Velmora\Quillbox\UI' 'Software\Velmora\Quillbox\VDI_0')

cmake --build "$BUILD" -j2 --target pipeline_bench make_package download_bench add_root_ca >&2
certs="$("$ROOT/tests/harness/tls/make-certs.sh" "$BUILD/test-tls")"
mkdir -p "$WWW/downloads/xml" "$WORK/logs"

# Packages are made once and kept between runs.
items=""
for i in 0 1 2; do
  mib=${SIZES[$i]}; id=${IDS[$i]}; name="pkg${mib}.exe"
  if [ ! -f "$WWW/$name" ] || [ "$(stat -c %s "$WWW/$name")" -lt $((mib * 1048576)) ]; then
    echo "making $name" >&2
    "$RUN" "$BUILD/tests/bin/make_package.exe" "T:\\bench-pipeline\\www\\$name" --id "$id" \
      --size $((mib * 1048576)) >&2
  fi
  sum="$(md5sum "$WWW/$name" | cut -d' ' -f1)"
  items+="  <Item id=\"$id\" name=\"$name\" localaddpath=\"C$id\" installInX86=\"1\" installInX64=\"1\""
  items+=" writePathToRegKey=\"${KEYS[$i]}\" DL_ID=\"$id\" hash=\"$sum\" filesize=\"$(stat -c %s "$WWW/$name")\""
  items+=" url=\"https://localhost:PORT/$name\" version=\"1.0.0.$id\"/>"$'\n'
done

port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
printf '<?xml version="1.0" encoding="utf-8"?>\n<Components>\n%s</Components>\n' "${items//PORT/$port}" \
  >"$WWW/downloads/xml/compoment.xml"
cat >"$WORK/nginx.conf" <<CONF
worker_processes 1;
daemon off;
pid $WORK/nginx.pid;
error_log $WORK/logs/error.log;
events { worker_connections 64; }
http {
  access_log off;
  sendfile on;
  types { }
  default_type application/octet-stream;
  server {
    listen 127.0.0.1:$port ssl;
    ssl_certificate $certs/localhost.pem;
    ssl_certificate_key $certs/localhost.key;
    root $WWW;
  }
}
CONF
nginx -c "$WORK/nginx.conf" -p "$WORK" &
nginx_pid=$!
trap 'kill $nginx_pid 2>/dev/null; wait $nginx_pid 2>/dev/null' EXIT
for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done

# One prefix for every Windows program of this run, trusting the test CA.
export ZEL_WINE_PREFIX="$WORK/prefix"
export ZEL_WINE_DRIVES="d=$DRIVE"
export ZEL_TEST_CA='T:\test-tls\ca.der'
rm -rf "$ZEL_WINE_PREFIX" "$DRIVE"; mkdir -p "$DRIVE"
"$RUN" "$BUILD/tests/bin/add_root_ca.exe" "$ZEL_TEST_CA" >&2

value() { printf '%s\n' "$1" | grep -o "$2=[0-9.]*" | head -1 | cut -d= -f2; }
best() { python3 -c "import sys; print(min(map(float, sys.argv[1:])))" "$@"; }

engine_times=(); ref_times=(); md5_times=()
for run in $(seq "$RUNS"); do
  # The engine: a fresh download folder, so nothing is reused.
  rm -rf "${DRIVE:?}"/*
  engine_out="$("$RUN" "$BUILD/bench/pipeline/pipeline_bench.exe" \
    "https://localhost:$port/downloads/xml/compoment.xml" 'D:\dl' 'D:\inst')"
  [ "$(value "$engine_out" engine_ok)" = 1 ] || { echo "the install run failed: $engine_out" >&2; exit 1; }
  engine_times+=("$(value "$engine_out" engine_seconds)")
  ws="$(value "$engine_out" engine_peak_working_set_mib)"
  private="$(value "$engine_out" engine_peak_private_mib)"

  # The reference: the bare WinHTTP loop for the same files, then md5sum.
  rm -rf "${DRIVE:?}"/*; mkdir -p "$DRIVE/ref"
  dl=0
  for mib in "${SIZES[@]}"; do
    out="$("$RUN" "$BUILD/bench/download_bench.exe" raw "https://localhost:$port/pkg$mib.exe" "D:\\ref\\pkg$mib.exe")"
    dl="$(python3 -c "print($dl + $(value "$out" seconds))")"
  done
  start=$EPOCHREALTIME
  md5sum "$DRIVE"/ref/pkg*.exe >/dev/null
  md5_times+=("$(python3 -c "print($EPOCHREALTIME - $start)")")
  ref_times+=("$(python3 -c "print($dl + ${md5_times[-1]})")")
  echo "run $run: engine ${engine_times[-1]} s, reference $dl s + md5sum ${md5_times[-1]} s" >&2
done

python3 - "$(best "${engine_times[@]}")" "$(best "${ref_times[@]}")" <<'PY'
import sys
engine, ref = map(float, sys.argv[1:])
print(f"engine run (best): {engine:.3f} s")
print(f"reference download loop + md5sum (best): {ref:.3f} s")
print(f"ratio engine/reference: {engine / ref:.2f} (target 1.2 or less)")
PY
echo "engine peak memory (last run): working set $ws MiB, private $private MiB (target 64 MiB or less)"
rm -rf "$DRIVE" "$ZEL_WINE_PREFIX"
