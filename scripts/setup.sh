#!/usr/bin/env bash
# Installs the Debian 12 packages Lumeward needs, then configures and builds a preset.
# Usage: scripts/setup.sh [PRESET]   (default: "default"; also "sanitize", "tsan", "bench",
#                                     "fuzz", "package")
set -euo pipefail

cd "$(dirname "$0")/.."
preset="${1:-default}"

packages=(
    g++ cmake ninja-build pkg-config python3 ca-certificates
    libcurl4-openssl-dev libidn2-dev libpugixml-dev libsqlite3-dev
    qt6-base-dev qt6-svg-dev qt6-tools-dev qt6-l10n-tools fonts-liberation
    libcli11-dev libgtest-dev libcpp-httplib-dev libbenchmark-dev libxml2-dev
    libsimdjson-dev nlohmann-json3-dev
    scdoc mandoc bash-completion desktop-file-utils appstream
)
# The fuzz targets build with clang, whose libFuzzer runtime is a package of its own.
if [[ "$preset" == fuzz ]]; then
    packages+=(clang libclang-rt-14-dev)
fi
# The Debian package takes its dependencies from dpkg-shlibdeps; lintian checks it.
if [[ "$preset" == package ]]; then
    packages+=(dpkg-dev lintian)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    sudo=()
    if [[ $(id -u) -ne 0 ]]; then
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake --preset "$preset"
cmake --build --preset "$preset"
