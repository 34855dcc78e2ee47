#!/usr/bin/env bash
# ./zel demo: builds the installer for the local demo servers and runs a whole
# installation under Wine (see demo.py).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD_DIR="${ZEL_BUILD_DIR:-$ROOT/build}"
mapfile -t LOOPBACK < <(python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import zeldemo; print("\n".join(zeldemo.LOOPBACK_CMAKE_ARGS))' "$ROOT/tools/demo")
echo "building the installer for the local demo servers..."
mkdir -p "$BUILD_DIR"
if ! ZEL_BUILD_DIR="$BUILD_DIR" "$ROOT/zel" build "${LOOPBACK[@]}" >"$BUILD_DIR/demo-build.log" 2>&1; then
  tail -40 "$BUILD_DIR/demo-build.log"
  exit 1
fi
exec python3 "$ROOT/tools/demo/demo.py" "$BUILD_DIR"
