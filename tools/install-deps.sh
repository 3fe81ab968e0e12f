#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the project.
# Runs apt-get only when a package is missing.
set -euo pipefail

packages=(g++ make cmake libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
    libcli11-dev libedit-dev libpng-dev pkg-config nlohmann-json3-dev zlib1g-dev)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
