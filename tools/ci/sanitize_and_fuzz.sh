#!/usr/bin/env bash
# The second CI command, after ./test.sh: the unit tests (and the replay of every
# committed fuzz case) built with AddressSanitizer + UndefinedBehaviorSanitizer,
# leaks included, then each fuzz target for a short run.
#
#   tools/ci/sanitize_and_fuzz.sh [seconds per fuzz target, default 30]
#
# One clang build in build-asan serves both: the unit tests and the fuzzers share
# its objects, so CI compiles the game once more, not twice. It reads the Data
# folder of ./test.sh's build when there is one (the data tests themselves stay
# with ./test.sh). Prints "N passed, M failed" over its own checks: one per unit
# test and replay, one per fuzz target.
set -uo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-30}"
start=$(date +%s)
./tools/ci/install_deps.sh --sanitizers || exit 1

build=build-asan
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
if [ -d build/Data ] && [ ! -e "$build/Data" ]; then
  mkdir -p "$build"
  ln -s ../build/Data "$build/Data"
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQV_SANITIZE=ON -DQV_BUILD_FUZZ=ON -DQV_BUILD_TESTS=ON -DQV_BUILD_BENCH=OFF -DQV_GENERATE_DATA=OFF \
  "${launcher[@]}" >/dev/null || exit 1
# Everything but the display-bound test programs and the game itself.
cmake --build "$build" -j"$(nproc)" --target headless-checks quillon-default-world >"$build/build.log" 2>&1 || {
  tail -n 60 "$build/build.log"
  echo "sanitizer build failed"
  exit 1
}
built=$(date +%s)

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/ci/lsan.supp:print_suppressions=0"
export SDL_AUDIODRIVER=dummy
ctest --test-dir "$build" -L unit -j"$(nproc)" --output-on-failure --timeout 600 >"$build/ctest.log" 2>&1
grep -E "tests passed|Failed|\*\*\*" "$build/ctest.log" | tail -n 40
total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$build/ctest.log" | tail -n 1)
unit_failed=$(sed -n 's/.* \([0-9]*\) tests failed out of.*/\1/p' "$build/ctest.log" | tail -n 1)
total=${total:-0}
unit_failed=${unit_failed:-1}
[ "$total" -eq 0 ] && unit_failed=1
unit_passed=$((total - unit_failed))
tested=$(date +%s)

QV_FUZZ_BUILD="$build" ./tools/fuzz.sh "$seconds" | tee "$build/fuzz-summary.log"
fuzz_passed=$(sed -n 's/^fuzz: \([0-9]*\) passed.*/\1/p' "$build/fuzz-summary.log")
fuzz_failed=$(sed -n 's/^fuzz: .* \([0-9]*\) failed.*/\1/p' "$build/fuzz-summary.log")
fuzz_passed=${fuzz_passed:-0}
fuzz_failed=${fuzz_failed:-5}
end=$(date +%s)

echo "times: build $((built - start)) s, sanitizer tests $((tested - built)) s, fuzzing $((end - tested)) s"
passed=$((unit_passed + fuzz_passed))
failed=$((unit_failed + fuzz_failed))
echo "sanitize_and_fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
