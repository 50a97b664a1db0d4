#!/usr/bin/env bash
# Installs what is missing, then builds and tests everything:
#   native  - the headless platform (this host)
#   asan    - the same with AddressSanitizer and UndefinedBehaviorSanitizer
#   win64   - Windows 64-bit (mingw-w64), tests under Wine
#   win32   - Windows 32-bit (mingw-w64), tests under Wine
#   picture - the demo's window drawn natively and under Wine, compared pixel for pixel
#   fuzz    - the libFuzzer targets, each run for a bounded time
#   format  - every tracked C++ file formatted as .clang-format says
# Exits non-zero when any build or any test fails.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh || exit 1

jobs=$(nproc)
status=0
summary=()
passed=0
failed=0

started=$SECONDS
record() {  # leg, ok?
  local at
  at=$(printf '%3d min' $(((SECONDS - started) / 60)))
  if [ "$2" = 0 ]; then
    summary+=("$at  $1: passed"); passed=$((passed + 1))
  else
    summary+=("$at  $1: FAILED"); failed=$((failed + 1)); status=1
  fi
}

build() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j"$jobs"
}

for preset in native asan win64 win32; do
  if ! build "$preset"; then
    record "$preset build" 1
    continue
  fi
  ctest --preset "$preset" -j"$jobs" --timeout 1500
  record "$preset tests" $?
done

# The picture test: the demo's window drawn natively and under Wine, compared pixel for pixel.
if [ -x build/native/bin/veneer-demo ] && [ -x build/win64/bin/veneer-demo.exe ] && [ -x build/win32/bin/veneer-demo.exe ]; then
  bash scripts/compare-demo.sh
  record "picture test" $?
else
  record "picture test (demo builds missing)" 1
fi

if build fuzz; then
  # 15 s each: about a minute for the four targets together.
  bash scripts/run-fuzzers.sh "${VENEER_FUZZ_SECONDS:-15}"
  record "fuzzing" $?
else
  record "fuzz build" 1
fi

bash scripts/check-format.sh
record "format" $?

echo
printf '%s\n' "${summary[@]}"
echo "legs: $passed passed, $failed failed"
exit $status
