#!/usr/bin/env bash
# Times `lumeward-batch list` as a fresh process on the big corpus feeds served over
# loopback, and prints MB/s per feed (best of RUNS runs).
# Usage: bench/batch_throughput.sh [BATCH_PROGRAM] [RUNS]
set -euo pipefail

cd "$(dirname "$0")/.."
program="${1:-build-bench/bin/lumeward-batch}"
runs="${2:-5}"
corpus=bench/corpus

[[ -x "$program" ]] || { echo "no program at $program: cmake --preset bench && cmake --build --preset bench" >&2; exit 2; }
[[ -f "$corpus/rss2-10k.xml" ]] || python3 bench/gen_corpus.py "$corpus" >/dev/null

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$corpus" "$port" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null' EXIT
for _ in $(seq 50); do
    python3 -c 'import socket,sys; socket.create_connection(("127.0.0.1",int(sys.argv[1])),0.1)' "$port" 2>/dev/null && break
    sleep 0.1
done

for feed in rss2-10k.xml atom-10k.xml rdf-10k.xml; do
    bytes=$(stat -c %s "$corpus/$feed")
    best=""
    for _ in $(seq "$runs"); do
        start=$(date +%s.%N)
        "$program" list "http://127.0.0.1:$port/$feed" >/dev/null
        end=$(date +%s.%N)
        elapsed=$(python3 -c "print($end - $start)")
        if [[ -z "$best" ]] || python3 -c "import sys; sys.exit(0 if $elapsed < $best else 1)"; then
            best=$elapsed
        fi
    done
    python3 -c "print(f'$feed: {$bytes/1e6:.1f} MB in {$best*1000:.1f} ms = {$bytes/1e6/$best:.0f} MB/s (best of $runs)')"
done
