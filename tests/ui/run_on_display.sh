#!/usr/bin/env bash
# Runs a Windows program in a fresh Wine prefix on an X display the caller
# owns (the window tests click and take screenshots there).
#   run_on_display.sh BUILD_DIR DISPLAY PROGRAM.exe [ARGS...]
set -uo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=../harness/wine-env.sh
. "$HERE/../harness/wine-env.sh"

build_dir="$(readlink -f "$1")"; display="$2"; program="$(readlink -f "$3")"; shift 3
zel_wine_template "$build_dir"
mkdir -p "$build_dir/wine-prefixes"
prefix="$(mktemp -d "$build_dir/wine-prefixes/run.XXXXXX")"
zel_wine_clone "$build_dir" "$prefix"
cleanup() {
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1
  rm -rf "$prefix"
}
trap cleanup EXIT
zel_wine_env "$prefix"
zel_wine_map_drive "$prefix" t "$build_dir"
export DISPLAY="$display"
wine "$(zel_wine_path_in "$build_dir" "$program")" "$@"
