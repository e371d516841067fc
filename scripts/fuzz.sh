#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan + UBSan) and runs each in turn.
# Usage: scripts/fuzz.sh [--time SECONDS | --runs COUNT] [TARGET...]
#   --time 5       each target for 5 seconds (the default; what CI does)
#   --runs 1000000 each target for that many executions
#   TARGET         e.g. feed_path; all targets when none is named
# Inputs that fail land in build-fuzz/findings/; the corpus each run grows is
# kept in build-fuzz/corpus/ and starts from the seeds of fuzz/seeds/make_seeds.py.
set -euo pipefail

cd "$(dirname "$0")/.."
limit=(-max_total_time=5)
targets=()
while (($# > 0)); do
    case "$1" in
        --time) limit=(-max_total_time="$2"); shift 2 ;;
        --runs) limit=(-runs="$2"); shift 2 ;;
        -h|--help) sed -n '2,8p' "$0"; exit 0 ;;
        *) targets+=("$1"); shift ;;
    esac
done
if ((${#targets[@]} == 0)); then
    targets=(clean_feed_text strip_html decode_body feed_path json_feed feed_discovery address_lines
             file_names)
fi

scripts/setup.sh fuzz
out=build-fuzz
rm -rf "$out/seeds"
python3 fuzz/seeds/make_seeds.py "$out/seeds"
mkdir -p "$out/findings"

failed=()
for target in "${targets[@]}"; do
    mkdir -p "$out/corpus/$target"
    log="$out/findings/$target.log"
    echo "=== fuzz_$target ${limit[*]}"
    # A single input may take at most 10 s (a hang) and 2 GiB (runaway memory).
    if "$out/bin/fuzz_$target" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -dict=fuzz/feed.dict -artifact_prefix="$out/findings/$target-" \
        "$out/corpus/$target" "$out/seeds/$target" >"$log" 2>&1; then
        grep -E '^Done|stat::number_of_executed_units|stat::peak_rss_mb' "$log" || true
    else
        tail -n 30 "$log"
        failed+=("$target")
    fi
done

if ((${#failed[@]} > 0)); then
    echo "Findings in: ${failed[*]} (inputs in $out/findings/)" >&2
    exit 1
fi
echo "No findings."
