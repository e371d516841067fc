#!/usr/bin/env bash
# Sets everything up and runs the whole suite twice: a normal build, then an
# AddressSanitizer + UndefinedBehaviorSanitizer build; then the tests of the
# side-by-side retrieval, lumeward-batch and the shared memory store under
# ThreadSanitizer; then every fuzz target for a few seconds on its corpus. The
# manual pages, desktop entry, metainfo and completion are checked after the
# normal build.
set -euo pipefail

cd "$(dirname "$0")/.."
jobs="$(nproc)"

for preset in default sanitize; do
    echo "=== ${preset} build"
    scripts/setup.sh "$preset"
    echo "=== ${preset} tests"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --preset "$preset" --parallel "$jobs"
    if [[ "$preset" == default ]]; then
        echo "=== manual pages, desktop entry, metainfo, completion"
        scripts/lint-desktop.sh build
    fi
done

echo "=== tsan build"
scripts/setup.sh tsan
echo "=== tsan tests"
ctest --preset tsan --parallel "$jobs"

echo "=== fuzz targets"
scripts/fuzz.sh --time 5
