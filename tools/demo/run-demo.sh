#!/usr/bin/env bash
# ./zel demo: builds the installer for the local demo servers and runs a whole
# installation under Wine (see demo.py).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD_DIR="${ZEL_BUILD_DIR:-$ROOT/build}"
mapfile -t LOOPBACK < <(python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import zeldemo; print("\n".join(zeldemo.LOOPBACK_CMAKE_ARGS))' "$ROOT/tools/demo")
ZEL_BUILD_DIR="$BUILD_DIR" "$ROOT/zel" build "${LOOPBACK[@]}" >/dev/null
exec python3 "$ROOT/tools/demo/demo.py" "$BUILD_DIR"
