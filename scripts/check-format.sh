#!/usr/bin/env bash
# Checks that every tracked C++ file is formatted as .clang-format says. Lists the files that
# are not and fails; `clang-format -i FILE` mends one.
set -uo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${#files[@]}" = 0 ]; then
  echo "check-format: no tracked C++ files found (not a git checkout?)" >&2
  exit 1
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
echo "check-format: ${#files[@]} files checked, ${#bad[@]} not formatted"
printf '  %s\n' "${bad[@]}" | grep -v '^  $' || true
[ "${#bad[@]}" = 0 ]
