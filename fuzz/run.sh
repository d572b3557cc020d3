#!/bin/sh
# Usage: fuzz/run.sh SECONDS
# Builds the fuzz target, adds seeds made from the table families of the shared fixtures (read
# where they lie) to fuzz/corpus (those missing) and fuzzes for SECONDS. Findings land in fuzz/ as crash-*, timeout-*, leak-* or oom-*.
set -eu
seconds=${1:?usage: fuzz/run.sh SECONDS}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
fixtures=${VTS_SHARED_DIR:-$root/../shared}/fixtures
"$here/build.sh" >/dev/null
corpus="$here/corpus"
mkdir -p "$corpus"
# One seed per table and per secondary index, in the target's input layout (see
# pdx_reader_fuzz.cpp): flag byte, then the .db, .MB (its first 48 KiB), .PX, .Xnn and .Ynn,
# each but the last with a length prefix.
python3 - "$fixtures" "$corpus" <<'PY'
import hashlib, os, struct, sys
fixtures, corpus = sys.argv[1], sys.argv[2]

def companion(folder, names, stem, ext):
    for n in names:
        s, e = os.path.splitext(n)
        if s.lower() == stem.lower() and e[1:].upper() == ext:
            return os.path.join(folder, n)
    return None

def read(path, limit=None):
    with open(path, 'rb') as f:
        return f.read(limit) if limit else f.read()

for folder, _, names in os.walk(fixtures):
    for name in names:
        stem, ext = os.path.splitext(name)
        if ext.lower() != '.db':
            continue
        mb = companion(folder, names, stem, 'MB')
        px = companion(folder, names, stem, 'PX')
        indexes = [os.path.splitext(n)[1][1:].upper() for n in names
                   if os.path.splitext(n)[0].lower() == stem.lower() and os.path.splitext(n)[1][1:2].upper() == 'X']
        for x in indexes or [None]:
            flags, files = 0, [read(os.path.join(folder, name))]
            if mb: flags |= 1; files.append(read(mb, 48 * 1024))
            if px: flags |= 2; files.append(read(px))
            if x:
                xf, yf = companion(folder, names, stem, x), companion(folder, names, stem, 'Y' + x[1:])
                flags |= 4; files.append(read(xf))
                if yf: flags |= 8; files.append(read(yf))
                if x[1] == 'G': flags |= 16
            seed = bytes([flags]) + b''.join(struct.pack('<I', len(f)) + f for f in files[:-1]) + files[-1]
            out = os.path.join(corpus, 'family-' + hashlib.sha1(seed).hexdigest()[:16])
            if not os.path.exists(out):
                with open(out, 'wb') as f:
                    f.write(seed)
PY
cd "$here"
exec "$here/build/pdx_reader_fuzz" -max_total_time="$seconds" -max_len=131072 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$here/" -print_final_stats=1 "$corpus"
