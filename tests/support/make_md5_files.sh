#!/usr/bin/env bash
# Wine set-up step for support_md5_test: writes files of sizes around the
# 64 KiB read size into the prefix's C:\md5data and lists their digests as the
# host's md5sum computes them.
set -euo pipefail
dir="$WINEPREFIX/drive_c/md5data"
mkdir -p "$dir"
python3 - "$dir" <<'PY'
import random, sys
sizes = [0, 1, 55, 56, 63, 64, 65, 65535, 65536, 65537, 131071, 131072, 131073, 3 * 1048576 + 17]
for size in sizes:
    # Same bytes on every run, no period that could hide a misplaced block.
    with open(f"{sys.argv[1]}/f{size}.bin", "wb") as f:
        f.write(random.Random(size).randbytes(size))
PY
cd "$dir" && md5sum -- *.bin > md5sums.txt
