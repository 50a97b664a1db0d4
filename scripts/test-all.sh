#!/usr/bin/env bash
# Installs what is missing, builds the three builds (native on the headless platform,
# Windows 32-bit and 64-bit with mingw-w64) and runs every test: natively, and the Windows
# builds under Wine. Exits non-zero when any build or any test fails.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh || exit 1

jobs=$(nproc)
status=0
summary=()
for preset in native win64 win32; do
  if ! cmake --preset "$preset" >/dev/null || ! cmake --build --preset "$preset" -j"$jobs"; then
    summary+=("$preset: build FAILED")
    status=1
    continue
  fi
  if ctest --preset "$preset" -j"$jobs" --timeout 1500; then
    summary+=("$preset: all tests passed")
  else
    summary+=("$preset: tests FAILED")
    status=1
  fi
done

echo
printf '%s\n' "${summary[@]}"
exit $status
