#!/usr/bin/env bash
# Installs what is missing, builds Kordavina and starts it with the given arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake --preset default >/dev/null
cmake --build build --target kordavina
exec ./build/app/kordavina "$@"
