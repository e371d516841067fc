#!/usr/bin/env bash
# Sets everything up, builds, and starts Lumeward. Arguments go to the program.
set -euo pipefail

cd "$(dirname "$0")/.."
scripts/setup.sh default
if (($# == 0)); then
    set -- --help
fi
exec build/bin/lumeward-batch "$@"
