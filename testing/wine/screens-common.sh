# Shared by the screenshot scripts (sourced, from the project's root folder).

# build_for_screens TARGET...: cvnpack natively, and the given Windows targets in build-win64.
build_for_screens() {
  local jobs=${CVN_JOBS:-2}
  [ -f build-native/CMakeCache.txt ] || cmake -S . -B build-native -G Ninja -DCMAKE_BUILD_TYPE=Debug
  cmake --build build-native -j "$jobs" --target cvnpack
  [ -f build-win64/CMakeCache.txt ] || cmake -S . -B build-win64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCVN_BENCH=OFF --toolchain "$PWD/cmake/toolchain-x86_64-mingw.cmake"
  cmake --build build-win64 -j "$jobs" --target "$@"
}

# start_private_x WORK_FOLDER: a headless X server of the script's own; sets xvfb_pid and
# exports DISPLAY. The caller stops it (kill "$xvfb_pid").
start_private_x() {
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 -fp built-ins 3>"$1/display" </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
  DISPLAY=:$(head -1 "$1/display")
  export DISPLAY
}

# windows_build_for_screens TARGET...: cvnpack natively, and the given Windows targets in
# the Windows build this host runs: build-win (i686) where 32-bit Wine starts, else
# build-win64. Sets screens_build and screens_prefix_suffix (what run-wine.sh appends to
# CVN_WINEPREFIX for the build's programs).
windows_build_for_screens() {
  local jobs=${CVN_JOBS:-2} toolchain
  # shellcheck source=scripts/windows-arch.sh
  source scripts/windows-arch.sh
  if cvn_runs_32bit; then
    screens_build=build-win toolchain=i686 screens_prefix_suffix=
  else
    screens_build=build-win64 toolchain=x86_64 screens_prefix_suffix=64
  fi
  [ -f build-native/CMakeCache.txt ] || cmake -S . -B build-native -G Ninja -DCMAKE_BUILD_TYPE=Debug
  cmake --build build-native -j "$jobs" --target cvnpack
  [ -f "$screens_build/CMakeCache.txt" ] || cmake -S . -B "$screens_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCVN_BENCH=OFF --toolchain "$PWD/cmake/toolchain-$toolchain-mingw.cmake"
  cmake --build "$screens_build" -j "$jobs" --target "$@"
}
