#!/usr/bin/env bash
# Builds setup.exe (Windows) and the authoring tool cvnpack (native), packs the example
# product of examples/wizard onto setup.exe and runs the result under Wine (CVN_EXAMPLE names
# another project or JSON description).
#
# The shipped 32-bit setup.exe (build-win) runs where the host runs 32-bit code; elsewhere the
# 64-bit build of the same code (build-win64) runs under 64-bit Wine instead, and this script
# says so. With DISPLAY set the setup appears on that display and this script ends when it
# does. Without one it runs on a private headless X server: after CVN_RUN_SECONDS (default
# 20) a screenshot is saved to BUILD/run/screenshot.png and the setup is closed.
#
# Installs missing system packages first unless CVN_SKIP_DEPS=1; CVN_JOBS sets the build
# parallelism (default 2).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=${CVN_JOBS:-2}
example=${CVN_EXAMPLE:-$root/examples/wizard/project.toml}
# shellcheck source=windows-arch.sh
. scripts/windows-arch.sh

step() { printf '\n===== %s =====\n' "$*"; }
fail() {
  echo "run: $*" >&2
  exit 1
}

if [ "${CVN_SKIP_DEPS:-0}" != 1 ]; then
  step "dependencies"
  bash scripts/install-deps.sh
fi

step "authoring tool (build-native)"
if [ ! -f build-native/CMakeCache.txt ]; then
  cmake -S . -B build-native -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
fi
cmake --build build-native -j "$jobs" --target cvnpack cvndump

if cvn_runs_32bit; then
  win=build-win toolchain=toolchain-i686-mingw.cmake
else
  win=build-win64 toolchain=toolchain-x86_64-mingw.cmake
  echo "run: $cvn_no32_reason; running the 64-bit build of setup.exe under 64-bit Wine instead"
fi
out=$root/$win/run

step "setup.exe ($win)"
if [ ! -f "$win/CMakeCache.txt" ]; then
  cmake -S . -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCVN_BENCH=OFF \
    --toolchain "$root/cmake/$toolchain"
fi
cmake --build "$win" -j "$jobs" --target setup cvnuninst
stub=$(find "$win/src/app" -name setup.exe -type f | head -1)
[ -n "$stub" ] || fail "the 'setup' target built no setup.exe under $win/src/app"

step "package"
mkdir -p "$out"
build-native/tools/cvnpack/cvnpack --stub "$stub" --out "$out/setup.exe" "$example"
# Reading the package back checks it before anything runs.
build-native/tools/cvndump/cvndump "$out/setup.exe" >"$out/package.json"
echo "packed $(basename "$(dirname "$example")") onto $stub -> $out/setup.exe ($(stat -c %s "$out/setup.exe") bytes)"

step "run"
# Installs made here stay out of the prefix the tests use; run-wine.sh appends "64" for a
# 64-bit program.
export CVN_WINEPREFIX=$out/wine-prefix
prefix=$CVN_WINEPREFIX
[ "$win" = build-win ] || prefix=${CVN_WINEPREFIX}64
wine_run=$root/testing/wine/run-wine.sh
if [ -n "${DISPLAY:-}" ]; then
  exec "$wine_run" "$out/setup.exe"
fi

"$wine_run" --init "$out/setup.exe"
xvfb_display=$(mktemp)
xvfb_pid=
setup_pid=
# shellcheck disable=SC2317 # called through the trap
cleanup() {
  if [ -n "$setup_pid" ] && kill -0 "$setup_pid" 2>/dev/null; then
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    wait "$setup_pid" 2>/dev/null || true
  fi
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -f "$xvfb_display"
}
trap cleanup EXIT
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 -fp built-ins 3>"$xvfb_display" </dev/null >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$xvfb_display" ] && break
  sleep 0.1
done
[ -s "$xvfb_display" ] || fail "Xvfb did not start"
DISPLAY=:$(head -1 "$xvfb_display")
export DISPLAY

"$wine_run" "$out/setup.exe" &
setup_pid=$!
seconds=${CVN_RUN_SECONDS:-20}
for _ in $(seq "$seconds"); do
  kill -0 "$setup_pid" 2>/dev/null || break
  sleep 1
done
import -window root "$out/screenshot.png"
if kill -0 "$setup_pid" 2>/dev/null; then
  echo "setup is running; screenshot after ${seconds}s: $out/screenshot.png"
  rc=0
else
  wait "$setup_pid" && rc=0 || rc=$?
  setup_pid=
  echo "setup ended with exit code $rc before ${seconds}s; screenshot: $out/screenshot.png"
fi
exit "$rc"
