#!/usr/bin/env bash
# Installs what is missing, builds Veneer on the headless platform and runs the demo, a
# skinned program on Veneer's exports, which writes the screen it leaves as a PNG picture.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j"$(nproc)" --target veneer-demo
./build/native/bin/veneer-demo --out veneer-demo.png
echo "The demo's screen is in $(pwd)/veneer-demo.png"
