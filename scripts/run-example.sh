#!/usr/bin/env bash
# Installs what is missing, builds Veneer on the headless platform and runs the example.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j"$(nproc)" --target veneer-strings
./build/native/bin/veneer-strings
