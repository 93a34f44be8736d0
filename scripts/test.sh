#!/usr/bin/env bash
# Builds and tests every configuration and prints a summary; fails when anything fails.
#
#   scripts/test.sh [native] [fuzz] [windows]     (default: all three, in that order)
#
#   native   gcc, Debug                                  -> build-native
#   fuzz     clang with AddressSanitizer, UBSan and the
#            libFuzzer targets (short fixed runs)         -> build-fuzz
#   windows  i686 MinGW-w64, Release, tests under Wine   -> build-win
#
# Installs missing system packages first (scripts/install-deps.sh) unless CVN_SKIP_DEPS=1.
# CVN_JOBS sets the build and test parallelism (default 2).
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
jobs=${CVN_JOBS:-2}
configs=("$@")
[ ${#configs[@]} -gt 0 ] || configs=(native fuzz windows)
for c in "${configs[@]}"; do
  case $c in
  native | fuzz | windows) ;;
  *)
    echo "usage: $0 [native] [fuzz] [windows]" >&2
    exit 2
    ;;
  esac
done

summary=()
failed_stages=0
passed_total=0
failed_total=0

banner() { printf '\n===== %s =====\n' "$*"; }
now() { date +%s; }

# record STAGE STATUS DETAIL START
record() {
  summary+=("$(printf '%-9s %-7s %-34s %5ss' "$1" "$2" "$3" "$(($(now) - $4))")")
  [ "$2" = ok ] || failed_stages=$((failed_stages + 1))
}

# run_config NAME BUILD_DIR CMAKE_ARGS...: configure, build and run the tests of one build.
run_config() {
  local name=$1 dir=$2 start
  shift 2
  start=$(now)
  banner "$name: configure ($dir)"
  if ! cmake -S . -B "$dir" -G Ninja "$@"; then
    record "$name" FAILED "configure failed" "$start"
    failed_total=$((failed_total + 1))
    return
  fi
  banner "$name: build"
  if ! cmake --build "$dir" -j "$jobs"; then
    record "$name" FAILED "build failed" "$start"
    failed_total=$((failed_total + 1))
    return
  fi
  banner "$name: test"
  local log=$dir/test-summary.log rc
  ctest --test-dir "$dir" --output-on-failure --no-tests=error -j "$jobs" 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  # ctest's closing line: "100% tests passed, 0 tests failed out of 12"
  local line passed=0 failed=0 total=0
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -n "$line" ]; then
    failed=$(sed -E 's/.*passed, ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.*passed, ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((total - failed))
  fi
  passed_total=$((passed_total + passed))
  if [ "$rc" -eq 0 ] && [ "$total" -gt 0 ]; then
    record "$name" ok "$passed/$total tests passed" "$start"
  else
    [ "$failed" -gt 0 ] || failed=1
    failed_total=$((failed_total + failed))
    record "$name" FAILED "$failed of $total tests failed (ctest $rc)" "$start"
  fi
}

if [ "${CVN_SKIP_DEPS:-0}" != 1 ]; then
  start=$(now)
  banner "dependencies"
  if bash scripts/install-deps.sh; then
    record deps ok "system packages present" "$start"
  else
    record deps FAILED "scripts/install-deps.sh failed" "$start"
  fi
fi

export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}

for c in "${configs[@]}"; do
  case $c in
  native)
    run_config native build-native -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
    ;;
  fuzz)
    run_config fuzz build-fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DCVN_SANITIZE=ON -DCVN_FUZZ=ON -DCVN_BENCH=OFF
    ;;
  windows)
    run_config windows build-win -DCMAKE_BUILD_TYPE=Release -DCVN_BENCH=OFF \
      --toolchain "$root/cmake/toolchain-i686-mingw.cmake"
    ;;
  esac
done

banner summary
printf '%s\n' "${summary[@]}"
if [ "$failed_stages" -eq 0 ]; then
  echo "all configurations passed"
else
  echo "FAILED: $failed_stages stage(s) failed"
fi
echo "tests: $passed_total passed, $failed_total failed"
[ "$failed_stages" -eq 0 ]
