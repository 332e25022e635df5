#!/usr/bin/env bash
# Installs every Debian package the build and the tests need.
set -euo pipefail

packages=(
    cmake g++ make pkg-config ccache
    juce-modules-source
    libgtest-dev libbenchmark-dev
    xvfb xauth
    libx11-dev libxtst-dev fonts-dejavu-core
)

run_as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
    run_as_root apt-get update
    run_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
