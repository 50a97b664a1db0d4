#!/usr/bin/env bash
# Runs the benchmarks of the headless build and of the Windows build under Wine, interleaved
# (headless, Wine, Wine, headless, ...: the order alternates so that a drift of the machine's
# load falls on both), then prints one table and writes the same figures as JSON.
#
#   scripts/run-benchmarks.sh [--rounds N] [--repetitions K] [--min-time SECONDS]
#                             [--filter REGEX] [--win32] [--json FILE] [--no-build]
#
# Defaults: 5 rounds of 3 repetitions, 0.1 s per repetition; JSON in
# build/bench-results/benchmarks.json. The Wine figures come from the 64-bit build, which
# runs at native speed. --win32 adds the 32-bit build for the two ratios measured within
# one Windows process (the library against the per-pixel region and against the whole-source
# copy); where the kernel cannot run 32-bit programs, 32-bit Wine runs under qemu's
# emulator, so its absolute times mean nothing and a run takes several minutes more.
# The headless build also times the peer libraries that setup.sh --bench installs (OpenCV,
# Qt 5, cairo, pixman) and plain-loop floors on the same scenes, each checked against the
# library's output first; the report sets each workload against its best peer and its floor.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=5
repetitions=3
min_time=0.1
filter=
win32=0
build=1
json=build/bench-results/benchmarks.json
while [ $# -gt 0 ]; do
  case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    --repetitions) repetitions=$2; shift 2 ;;
    --min-time) min_time=$2; shift 2 ;;
    --filter) filter=$2; shift 2 ;;
    --win32) win32=1; shift ;;
    --json) json=$2; shift 2 ;;
    --no-build) build=0; shift ;;
    -h|--help) sed -n '2,17p' "$0"; exit 0 ;;
    *) echo "run-benchmarks: unknown argument $1" >&2; exit 2 ;;
  esac
done

if [ "$build" = 1 ]; then
  bash scripts/setup.sh --bench
  command -v python3 >/dev/null || { apt-get update -qq && apt-get install -y -qq python3 >/dev/null; }
  jobs=$(nproc)
  presets=(native win64)
  [ "$win32" = 1 ] && presets+=(win32)
  for preset in "${presets[@]}"; do
    cmake --preset "$preset" -DVENEER_BUILD_BENCH=ON >/dev/null
    targets=(veneer_bench)
    [ "$preset" = native ] && targets+=(veneer_bench_memory)
    cmake --build "build/$preset" -j"$jobs" --target "${targets[@]}" >/dev/null
  done
fi

native=build/native/bin/veneer_bench
wine64=(build/win64/wine-run.sh build/win64/bin/veneer_bench.exe)
wine32=(build/win32/wine-run.sh build/win32/bin/veneer_bench.exe)
results=$(dirname "$json")/runs
mkdir -p "$results"
rm -f "$results"/*.json "$results"/*.log
flags=(--benchmark_repetitions="$repetitions" --benchmark_min_time="$min_time")
[ -n "$filter" ] && flags+=(--benchmark_filter="$filter")

# The Wine prefix is made on the first run of a build (a minute or two): not part of a round.
"${wine64[@]}" --benchmark_list_tests=true >/dev/null

run_headless() {
  "$native" "${flags[@]}" --benchmark_out="$results/headless-$1.json" --benchmark_out_format=json \
    >"$results/headless-$1.log" 2>&1
}
run_win64() {
  "${wine64[@]}" "${flags[@]}" --benchmark_out="$results/win64-$1.json" --benchmark_out_format=json \
    >"$results/win64-$1.log" 2>&1
}

report_args=()
start=$(date +%s)
for round in $(seq 1 "$rounds"); do
  echo "round $round of $rounds" >&2
  if [ $((round % 2)) = 1 ]; then run_headless "$round"; run_win64 "$round"; else run_win64 "$round"; run_headless "$round"; fi
  report_args+=(--run "headless:$round:$results/headless-$round.json" --run "win64:$round:$results/win64-$round.json")
done

if [ "$win32" = 1 ]; then
  echo "win32 (emulated): the two in-process ratios" >&2
  "${wine32[@]}" --benchmark_repetitions=1 --benchmark_min_time=0 \
    --benchmark_filter='^(region_holes_1024x768|region_per_pixel_1024x768|trans_64_of_1024|trans_64_whole_copy)' \
    --benchmark_out="$results/win32-1.json" --benchmark_out_format=json >"$results/win32-1.log" 2>&1
  report_args+=(--run "win32:1:$results/win32-1.json")
fi

build/native/bin/veneer_bench_memory >"$results/memory.json"
elapsed=$(($(date +%s) - start))

cores=$(nproc)
load=$(cut -d' ' -f1-3 /proc/loadavg)
notes=(
  --note "Wine is the 64-bit build under $(/usr/lib/wine/wine64 --version 2>/dev/null || echo Wine), at native speed; the issue's own Wine figures were 32-bit, on another machine."
  --note "$cores cores, load average $load after the run ($elapsed s): ratios between runs made close together are what count."
)
if [ "$win32" = 1 ]; then
  notes+=(--note "32-bit Wine ran under qemu user-mode emulation where the kernel cannot run 32-bit programs: only its in-process ratios mean anything.")
fi
python3 bench/report.py "${report_args[@]}" --memory "$results/memory.json" --json "$json" \
  --setting rounds="$rounds" --setting repetitions="$repetitions" --setting min_time_s="$min_time" \
  --setting cores="$cores" --setting load_average_after="$load" --setting seconds="$elapsed" "${notes[@]}"
