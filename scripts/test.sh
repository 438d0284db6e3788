#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the full
# build, then the core tests again under address and undefined-behaviour
# sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
[ -x scripts/start-cups.sh ] && bash scripts/start-cups.sh || true

jobs=$(nproc)
cmake --preset default
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

cmake --preset asan
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs")
