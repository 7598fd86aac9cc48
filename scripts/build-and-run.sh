#!/usr/bin/env bash
# Builds the application in release mode and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)" --target morvane-office
exec ./build/src/morvane-office "$@"
