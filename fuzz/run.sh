#!/bin/sh
# Usage: fuzz/run.sh SECONDS
# Builds the reader fuzz target, seeds fuzz/corpus from the fixture tables (once) and fuzzes
# for SECONDS. Findings land in fuzz/ as crash-*, timeout-* or oom-* files.
set -eu
seconds=${1:?usage: fuzz/run.sh SECONDS}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
fixtures=${VTS_FIXTURES:-$root/tests/fixtures/paradox}
"$here/build.sh" >/dev/null
corpus="$here/corpus"
mkdir -p "$corpus"
if [ -z "$(ls -A "$corpus")" ]; then
  # Seeds in the target's input layout: flag byte, then the .db (with a length prefix and the
  # start of the .MB when the table has one).
  find "$fixtures" -type f \( -iname '*.db' \) | while read -r db; do
    base=$(basename "$db")
    stem=${base%.*}
    mb=$(find "$(dirname "$db")" -maxdepth 1 -type f -iname "$stem.mb" | head -n 1)
    seed="$corpus/seed-$(echo "$db" | md5sum | cut -c1-12)"
    if [ -n "$mb" ]; then
      python3 - "$db" "$mb" "$seed" <<'PY'
import struct, sys
db = open(sys.argv[1], 'rb').read()
mb = open(sys.argv[2], 'rb').read()[:48 * 1024]
open(sys.argv[3], 'wb').write(b'\x01' + struct.pack('<I', len(db)) + db + mb)
PY
    else
      { printf '\000'; cat "$db"; } > "$seed"
    fi
  done
fi
cd "$here"
exec "$here/build/pdx_reader_fuzz" -max_total_time="$seconds" -max_len=131072 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$here/" -print_final_stats=1 "$corpus"
