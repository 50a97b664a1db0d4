#!/usr/bin/env bash
# The picture test: runs the demo natively and under Wine (64- and 32-bit) and compares each
# of its windows' own painting (PrintWindow) pixel for pixel: the main window and the
# notification window. The title's glyphs are masked: each platform rasterises text with its
# own font engine (FreeType here, Wine's own there), so only their box must agree. The native
# run also captures the headless screen (Wine's null display driver keeps no screen pixels).
set -uo pipefail
cd "$(dirname "$0")/.."
out=build/pictures
mkdir -p "$out"
size=${1:-640x400}

box_of() {  # the "title text box L T R B" that the demo prints
  sed -n 's/.*title text box \(-*[0-9]*\) \(-*[0-9]*\) \(-*[0-9]*\) \(-*[0-9]*\).*/\1 \2 \3 \4/p' "$1"
}

compare() {  # leg, window, mask...
  local leg=$1 window=$2
  shift 2
  if build/native/bin/veneer-compare-pictures "$out/native-$window.bmp" "$out/$leg-$window.bmp" "$@"; then
    echo "compare-demo: native against $leg, $window window: the same"
  else
    echo "compare-demo: native against $leg, $window window: DIFFERENT"; status=1
  fi
}

status=0
build/native/bin/veneer-demo --size "$size" --window-out "$out/native-main.bmp" --note-out "$out/native-note.bmp" \
  --out "$out/native-screen.png" >"$out/native.txt" || { echo "compare-demo: the native demo failed:"; cat "$out/native.txt"; status=1; }
for leg in win64 win32; do
  if [ ! -x "build/$leg/wine-run.sh" ]; then
    echo "compare-demo: build/$leg is missing"; status=1; continue
  fi
  (cd "$out" && "../$leg/wine-run.sh" "../$leg/bin/veneer-demo.exe" --size "$size" --window-out "$leg-main.bmp" \
    --note-out "$leg-note.bmp" >"$leg.txt" 2>&1) || {
    echo "compare-demo: the $leg demo failed:"; cat "$out/$leg.txt"; status=1; continue; }
  read -r l1 t1 r1 b1 <<<"$(box_of "$out/native.txt")"
  read -r l2 t2 r2 b2 <<<"$(box_of "$out/$leg.txt")"
  echo "compare-demo: native against $leg (text boxes: native $l1 $t1 $r1 $b1, $leg $l2 $t2 $r2 $b2)"
  compare "$leg" main "$(( (l1 < l2 ? l1 : l2) - 2 ))" "$(( (t1 < t2 ? t1 : t2) ))" \
    "$(( (r1 > r2 ? r1 : r2) + 2 ))" "$(( (b1 > b2 ? b1 : b2) ))"
  compare "$leg" note
done
exit $status
