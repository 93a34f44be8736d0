#!/usr/bin/env bash
# Builds and tests every configuration and prints a summary; fails when anything fails.
#
#   scripts/test.sh [native] [fuzz] [windows] [windows64]   (default: native fuzz windows)
#
#   native     gcc, Debug                                  -> build-native
#   fuzz       clang with AddressSanitizer, UBSan and the
#              libFuzzer targets (short fixed runs)         -> build-fuzz
#   windows    i686 MinGW-w64, Release, tests under Wine   -> build-win
#   windows64  x86_64 MinGW-w64, Release, tests under 64-bit Wine -> build-win64
#
# "windows" tests the shipped 32-bit build where this host runs 32-bit code, and builds the
# 64-bit programs beside it without running tests. Where the host runs no 32-bit code it
# builds only the 32-bit programs and runs the 64-bit tests instead. "windows64" runs the 64-bit tests
# in any case.
#
# The summary counts GoogleTest's cases and names every failed and skipped one. With CI=true
# a skipped case fails the run. Installs missing system packages first
# (scripts/install-deps.sh) unless CVN_SKIP_DEPS=1. CVN_JOBS sets the build and test
# parallelism (default 2). ccache is used where it is installed.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
# shellcheck source=windows-arch.sh
. scripts/windows-arch.sh
jobs=${CVN_JOBS:-2}
configs=("$@")
[ ${#configs[@]} -gt 0 ] || configs=(native fuzz windows)
for c in "${configs[@]}"; do
  case $c in
  native | fuzz | windows | windows64) ;;
  *)
    echo "usage: $0 [native] [fuzz] [windows] [windows64]" >&2
    exit 2
    ;;
  esac
done
shipped=(setup)
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

summary=()
failed_stages=0
passed_total=0
failed_total=0
skipped_total=0
case_lines=()

banner() { printf '\n===== %s =====\n' "$*"; }
now() { date +%s; }

# record STAGE STATUS DETAIL START
record() {
  summary+=("$(printf '%-9s %-7s %-58s %5ss' "$1" "$2" "$3" "$(($(now) - $4))")")
  [ "$2" != FAILED ] || failed_stages=$((failed_stages + 1))
}

# run_config NAME BUILD_DIR MODE CMAKE_ARGS...: configure and build one build, and with MODE
# "test" run its tests too, counting GoogleTest's cases; any other MODE is the summary's
# reason for building the shipped programs only.
run_config() {
  local name=$1 dir=$2 mode=$3 start
  shift 3
  start=$(now)
  banner "$name: configure ($dir)"
  if ! cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "$@"; then
    record "$name" FAILED "configure failed" "$start"
    failed_total=$((failed_total + 1))
    return
  fi
  # A build whose tests do not run here builds the shipped programs only.
  local targets=()
  [ "$mode" = test ] || targets=(--target "${shipped[@]}")
  banner "$name: build"
  if ! cmake --build "$dir" -j "$jobs" "${targets[@]}"; then
    record "$name" FAILED "build failed" "$start"
    failed_total=$((failed_total + 1))
    return
  fi
  if [ "$mode" != test ]; then
    # Size budgets need no Windows to check: they hold in every build.
    if ! ctest --test-dir "$dir" -L '^size$' --output-on-failure; then
      record "$name" FAILED "over a size budget" "$start"
      failed_total=$((failed_total + 1))
      return
    fi
    record "$name" built "$mode" "$start"
    return
  fi
  banner "$name: test"
  local abs=$root/$dir rc
  rm -rf "$abs/gtest-results" "$abs/ctest-results.xml"
  mkdir -p "$abs/gtest-results"
  GTEST_OUTPUT=xml:$abs/gtest-results/ \
    ctest --test-dir "$dir" --output-on-failure --no-tests=error -j "$jobs" \
    --output-junit "$abs/ctest-results.xml" 2>&1 | tee "$abs/test-summary.log"
  rc=${PIPESTATUS[0]}
  local strict=() results counts passed failed skipped
  [ "${CI:-}" != true ] || strict=(--strict)
  if ! results=$(python3 scripts/test-results.py "$dir" "$abs/gtest-results" "$abs/ctest-results.xml" "${strict[@]}"); then
    record "$name" FAILED "could not read the test results" "$start"
    failed_total=$((failed_total + 1))
    return
  fi
  counts=$(tail -1 <<<"$results")
  read -r _ passed failed skipped <<<"$counts"
  if [ "$rc" -ne 0 ] && [ "$failed" -eq 0 ]; then
    failed=1 # ctest failed in a way no case shows
    results=$(printf 'failed   ctest ended with %s\n%s' "$rc" "$results")
  fi
  while IFS= read -r line; do
    [ -z "$line" ] || case_lines+=("$name: $line")
  done < <(sed '$d' <<<"$results")
  passed_total=$((passed_total + passed))
  failed_total=$((failed_total + failed))
  skipped_total=$((skipped_total + skipped))
  local detail="$passed passed, $failed failed, $skipped skipped"
  if [ "$failed" -eq 0 ]; then
    record "$name" ok "$detail" "$start"
  else
    record "$name" FAILED "$detail" "$start"
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

has() {
  local c
  for c in "${configs[@]}"; do [ "$c" != "$1" ] || return 0; done
  return 1
}
win32=(-DCMAKE_BUILD_TYPE=Release -DCVN_BENCH=OFF --toolchain "$root/cmake/toolchain-i686-mingw.cmake")
win64=(-DCMAKE_BUILD_TYPE=Release -DCVN_BENCH=OFF --toolchain "$root/cmake/toolchain-x86_64-mingw.cmake")

if has native; then
  run_config native build-native test -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
fi
if has fuzz; then
  run_config fuzz build-fuzz test -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCVN_SANITIZE=ON -DCVN_FUZZ=ON -DCVN_BENCH=OFF
fi
if has windows; then
  if cvn_runs_32bit; then
    run_config windows build-win test "${win32[@]}"
    has windows64 || run_config windows64 build-win64 "tests not run: the 32-bit ones ran" "${win64[@]}"
  else
    run_config windows build-win "tests skipped: $cvn_no32_reason; windows64 ran instead" "${win32[@]}"
    has windows64 || run_config windows64 build-win64 test "${win64[@]}"
  fi
fi
if has windows64; then
  run_config windows64 build-win64 test "${win64[@]}"
fi

banner summary
[ ${#case_lines[@]} -eq 0 ] || printf '%s\n' "${case_lines[@]}" ""
printf '%s\n' "${summary[@]}"
if [ "$failed_stages" -eq 0 ]; then
  echo "all configurations passed"
else
  echo "FAILED: $failed_stages stage(s) failed"
fi
echo "tests: $passed_total passed, $failed_total failed, $skipped_total skipped"
[ "$failed_stages" -eq 0 ]
