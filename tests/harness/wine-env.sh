# Shared Wine prefix helpers for the test runner, the system tests and the demo.
# Source it; every function takes explicit paths and touches no default prefix.

ZEL_HARNESS_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

# Environment for every Wine call on a prefix of ours.
zel_wine_env() {
  local prefix="$1"
  export WINEPREFIX="$prefix"
  export WINEARCH=win64
  export WINEDEBUG="${ZEL_WINEDEBUG:--all}"
  # No Mono/Gecko install questions, no menu entries written to the host.
  export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
  # Wine links the user folders to $HOME: give it one inside the prefix.
  export HOME="$prefix/home"
  mkdir -p "$HOME"
  unset DISPLAY
}

# Make the template prefix of a build directory once (under a lock); made
# again when the settings in template/ change.
zel_wine_template_stamp() {
  cat "$ZEL_HARNESS_DIR"/template/*.reg 2>/dev/null | md5sum | cut -d' ' -f1
}

zel_wine_template() {
  local build_dir="$1" tmpl="$1/wine-template" stamp
  stamp="$(zel_wine_template_stamp)"
  [ "$(cat "$tmpl/.zel-ready" 2>/dev/null)" = "$stamp" ] && return 0
  mkdir -p "$build_dir"
  (
    flock 9
    [ "$(cat "$tmpl/.zel-ready" 2>/dev/null)" = "$stamp" ] && exit 0
    rm -rf "$tmpl"
    mkdir -p "$tmpl"
    (
      zel_wine_env "$tmpl"
      wineboot -i >/dev/null 2>&1
      # Fonts and other settings every test expects.
      for reg in "$ZEL_HARNESS_DIR"/template/*.reg; do
        [ -f "$reg" ] && wine regedit /S "$(zel_wine_unix_to_z "$reg")" >/dev/null 2>&1
      done
      wineserver -w
    )
    rm -f "$tmpl/dosdevices/z:"
    # User folders become plain folders inside the prefix.
    local d
    for d in "$tmpl"/drive_c/users/*/*; do
      if [ -L "$d" ]; then rm -f "$d"; mkdir -p "$d"; fi
    done
    rm -rf "$tmpl/home"
    echo "$stamp" > "$tmpl/.zel-ready"
  ) 9>"$build_dir/.wine-template.lock"
}

# Path of a host file as seen through a temporary Z: mapping (template set-up only).
zel_wine_unix_to_z() {
  echo "Z:$(echo "$1" | sed 's#/#\\#g')"
}

# Clone the template into DEST: hard links, private registry files.
zel_wine_clone() {
  local build_dir="$1" dest="$2" tmpl="$1/wine-template"
  mkdir -p "$dest"
  cp -al "$tmpl/." "$dest/"
  local f
  for f in "$tmpl"/*.reg; do
    rm -f "$dest/$(basename "$f")"
    cp "$f" "$dest/"
  done
  rm -f "$dest/.zel-ready"
}

zel_wine_map_drive() {
  local prefix="$1" letter="${2,,}" target="$3"
  ln -sfn "$target" "$prefix/dosdevices/$letter:"
}

# Windows path of a file under the build directory (drive T:).
zel_wine_path_in() {
  local build_dir="$1" file="$2" rel
  rel="${file#"$build_dir"/}"
  echo "T:\\${rel//\//\\}"
}

# Start an Xvfb on a free display; sets DISPLAY and xvfb_pid.
zel_start_xvfb() {
  local fifo
  fifo="$(mktemp -u)"; mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  local n
  read -r -t 20 n <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$n"
}
