#!/usr/bin/env bash
# The main job: build the library and the stand-in host, then let the host load the library
# and show its descriptor.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUON_BUILD_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target quon-host
exec build/quon-host/quon-host "$@"
