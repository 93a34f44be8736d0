#!/usr/bin/env bash
# Builds the benchmarks in Release natively and for Windows and runs every one of them in
# each build, one after the other in this one run, so their ratios are measured side by side
# on the same machine. Each benchmark ends with a line "NAME: ratio R (target T)" and its
# absolute times; the summary at the end repeats those lines, prefixed with the build.
#
#   scripts/bench.sh
#
# Builds, apart from the test builds: build-bench (native, gcc), build-bench-win64 (64-bit
# Windows, under wine64) and, where this host runs 32-bit code, build-bench-win (the shipped
# 32-bit build, under 32-bit Wine).
# The last line compares raw libbzip2 decompression under Wine with the native library.
# Run it on a quiet machine: every figure is wall time unless it says otherwise.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=scripts/windows-arch.sh
source scripts/windows-arch.sh

jobs=${CVN_JOBS:-2}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
native_benches=(extract package_read script_bench cvn_expansion_bench)
windows_benches=(extract install_bench package_read script_bench cvn_expansion_bench first_page)
summary=()
log=$(mktemp)
trap 'rm -f "$log"' EXIT

build() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCVN_TESTS=OFF -DCVN_BENCH=ON "${launcher[@]}" "$@"
}

# run LABEL NAME COMMAND...: runs one benchmark and keeps its closing line for the summary.
run() {
  local label=$1 name=$2
  shift 2
  echo "== $label: $name"
  if ! "$@" | tee "$log"; then
    summary+=("$label $name: FAILED")
    return
  fi
  local closing
  closing=$(grep -E '^[a-z_]+: ratio ' "$log" | tail -1 || true)
  summary+=("$label ${closing:-$name: no closing line}")
  # The raw decompression speed of the extraction benchmark, for the comparison below.
  if [ "$name" = extract ]; then
    raw_speed[$label]=$(sed -nE 's/^\(a\) libbzip2 into memory +[0-9.]+ s +([0-9.]+).*/\1/p' "$log")
  fi
}
declare -A raw_speed

# The Windows form of a path on this machine (Wine's Z: drive is the root).
winepath_of() { local p; p=$(realpath "$1"); echo "Z:${p//\//\\}"; }

build build-bench -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
cmake --build build-bench -j "$jobs" --target "${native_benches[@]}" cvnpack
build build-bench-win64 --toolchain cmake/toolchain-x86_64-mingw.cmake
cmake --build build-bench-win64 -j "$jobs" --target "${windows_benches[@]}" setup
configs=(win64)
if cvn_runs_32bit; then
  build build-bench-win --toolchain cmake/toolchain-i686-mingw.cmake
  cmake --build build-bench-win -j "$jobs" --target "${windows_benches[@]}" setup
  configs+=(win32)
else
  echo "bench: no 32-bit run: $cvn_no32_reason"
fi

for b in "${native_benches[@]}"; do
  run native "$b" "build-bench/bench/$b"
done
for c in "${configs[@]}"; do
  dir=build-bench-win64
  [ "$c" = win64 ] || dir=build-bench-win
  for b in "${windows_benches[@]}"; do
    exe=$b
    [ "$b" != install_bench ] || exe=install # CMake keeps "install" for itself as a target name
    args=()
    if [ "$b" = first_page ]; then
      # The wizard example, packed onto this build's setup.exe.
      build-bench/tools/cvnpack/cvnpack --stub "$dir/src/app/setup.exe" --out "$dir/bench/example-setup.exe" \
        examples/wizard/project.toml >/dev/null
      args=("$(winepath_of "$dir/bench/example-setup.exe")")
    fi
    run "$c" "$exe" testing/wine/run-wine.sh "$dir/bench/$exe.exe" "${args[@]}"
  done
done

echo
echo "== summary"
printf '%s\n' "${summary[@]}"
for c in "${configs[@]}"; do
  if [ -n "${raw_speed[native]:-}" ] && [ -n "${raw_speed[$c]:-}" ]; then
    awk -v n="${raw_speed[native]}" -v w="${raw_speed[$c]}" -v c="$c" 'BEGIN {
      printf "%s bzip2: ratio %.3f (target 1.05), raw decompression %.1f MiB/s natively, %.1f MiB/s under Wine\n",
        c, n / w, n, w }'
  fi
done
