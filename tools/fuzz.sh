#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang, in build-fuzz) when needed, runs every
# target for the given number of seconds (60 by default), and prints the
# executions and findings of each. Exit status 1 when any target found something.
#
#   tools/fuzz.sh [seconds per target]
#
# Environment:
#   QV_FUZZ_BUILD    build folder (default build-fuzz; tools/ci uses its sanitizer build)
#   QV_FUZZ_TARGETS  which targets, e.g. "png save" (default: all five)
#   QV_FUZZ_RUNS     stop each target after this many executions instead of at the time limit
#
# Each target keeps a growing corpus in <build>/fuzz-corpus/<target>, started from
# the seeds collected from the generated Data folder; the committed odd cases and
# earlier findings in tests/fuzz/corpus/<target> are run first, every time.
# A finding is written to <build>/fuzz-findings/<target>/: minimise it, fix the
# reader, and commit it under tests/fuzz/corpus/<target>/ so it is replayed for good.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build="${QV_FUZZ_BUILD:-build-fuzz}"
read -r -a targets <<< "${QV_FUZZ_TARGETS:-png obj font settings save}"

if [ ! -f "$build/CMakeCache.txt" ]; then
  # The generated data gives the seeds; reuse the main build's copy when there is one.
  if [ -f build/data-preview/.generated ] && [ ! -d "$build/Data" ]; then
    mkdir -p "$build/data-preview"
    cp -a build/Data "$build/"
    touch "$build/data-preview/.generated"
  fi
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DQV_BUILD_FUZZ=ON -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF -DQV_GENERATE_DATA=ON "${launcher[@]}" >/dev/null \
    || exit 1
fi
build_targets=(fuzz-seeds)
for t in "${targets[@]}"; do build_targets+=("fuzz_$t"); done
cmake --build "$build" -j"$(nproc)" --target "${build_targets[@]}" >"$build/fuzz-build.log" 2>&1 || {
  tail -n 40 "$build/fuzz-build.log"
  echo "fuzz build failed (log: $build/fuzz-build.log)"
  exit 1
}

# Inputs larger than these are cut: every reader's interesting structure fits,
# and small inputs keep the executions fast.
max_len() {
  case "$1" in
    png) echo 16384 ;;
    obj) echo 4096 ;;
    font) echo 12288 ;;
    settings) echo 512 ;;
    *) echo 8192 ;;
  esac
}

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
passed=0
failed=0
report=()
for t in "${targets[@]}"; do
  corpus="$build/fuzz-corpus/$t"
  findings="$build/fuzz-findings/$t"
  mkdir -p "$corpus" "$findings"
  [ -d "$build/fuzz-seeds/$t" ] && cp -n "$build/fuzz-seeds/$t"/* "$corpus"/ 2>/dev/null
  before=$(find "$findings" -type f | wc -l)
  limit=(-max_total_time="$seconds")
  [ -n "${QV_FUZZ_RUNS:-}" ] && limit=(-runs="$QV_FUZZ_RUNS")
  log="$build/fuzz-$t.log"
  "$build/fuzz_$t" "${limit[@]}" -max_len="$(max_len "$t")" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "tests/fuzz/corpus/$t" >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  found=$(( $(find "$findings" -type f | wc -l) - before ))
  if [ "$status" -ne 0 ] && [ "$found" -eq 0 ]; then found=1; fi
  if [ "$found" -eq 0 ]; then
    passed=$((passed + 1))
    report+=("$(printf '%-9s %12s executions   0 findings' "$t" "${runs:-?}")")
  else
    failed=$((failed + 1))
    report+=("$(printf '%-9s %12s executions   %d finding(s): see %s and %s' "$t" "${runs:-?}" "$found" "$findings" "$log")")
    grep -m 3 -E "ERROR: |runtime error|fuzz check failed" "$log" | sed 's/^/            /'
  fi
done
printf '%s\n' "${report[@]}"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
