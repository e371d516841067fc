#!/usr/bin/env bash
# Sets everything up, builds, and starts Lumeward.
set -euo pipefail

cd "$(dirname "$0")/.."
scripts/setup.sh default
exec build/bin/lumeward
