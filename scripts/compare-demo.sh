#!/usr/bin/env bash
# The picture test: renders the demo natively and under Wine (64- and 32-bit) and compares
# the pictures pixel for pixel. The title's glyphs are masked: each platform rasterises text
# with its own font engine (FreeType here, Wine's own there), so only their box must agree.
set -uo pipefail
cd "$(dirname "$0")/.."
out=build/pictures
mkdir -p "$out"
size=${1:-640x400}

box_of() {  # the "title text box L T R B" that the demo prints
  sed -n 's/.*title text box \(-*[0-9]*\) \(-*[0-9]*\) \(-*[0-9]*\) \(-*[0-9]*\).*/\1 \2 \3 \4/p' "$1"
}

status=0
build/native/bin/veneer-demo --size "$size" --out "$out/native.bmp" >"$out/native.txt" || status=1
for leg in win64 win32; do
  if [ ! -x "build/$leg/wine-run.sh" ]; then
    echo "compare-demo: build/$leg is missing"; status=1; continue
  fi
  (cd "$out" && "../$leg/wine-run.sh" "../$leg/bin/veneer-demo.exe" --size "$size" --out "$leg.bmp" >"$leg.txt" 2>&1) || {
    echo "compare-demo: the $leg demo failed:"; cat "$out/$leg.txt"; status=1; continue; }
  read -r l1 t1 r1 b1 <<<"$(box_of "$out/native.txt")"
  read -r l2 t2 r2 b2 <<<"$(box_of "$out/$leg.txt")"
  mask="$(( (l1 < l2 ? l1 : l2) - 2 )) $(( (t1 < t2 ? t1 : t2) )) $(( (r1 > r2 ? r1 : r2) + 2 )) $(( (b1 > b2 ? b1 : b2) ))"
  echo "compare-demo: native against $leg (text boxes: native $l1 $t1 $r1 $b1, $leg $l2 $t2 $r2 $b2)"
  # shellcheck disable=SC2086
  if build/native/bin/veneer-compare-pictures "$out/native.bmp" "$out/$leg.bmp" $mask; then
    echo "compare-demo: native against $leg: the same"
  else
    echo "compare-demo: native against $leg: DIFFERENT"; status=1
  fi
done
exit $status
