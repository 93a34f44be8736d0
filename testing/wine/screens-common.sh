# Shared by the screenshot scripts (sourced, from the project's root folder).

# build_for_screens TARGET...: cvnpack natively, and the given Windows targets in the
# Windows build folder $win_build (CVN_SCREENS_BUILD, default build-win64; build-win is the
# 32-bit one). A prefix named P is P$win_prefix_suffix on the disk (as run-wine.sh names it).
win_build=${CVN_SCREENS_BUILD:-build-win64}
win_prefix_suffix=64
[[ $win_build == *64 ]] || win_prefix_suffix=
build_for_screens() {
  local jobs=${CVN_JOBS:-2} toolchain=cmake/toolchain-x86_64-mingw.cmake
  [[ $win_build == *64 ]] || toolchain=cmake/toolchain-i686-mingw.cmake
  [ -f build-native/CMakeCache.txt ] || cmake -S . -B build-native -G Ninja -DCMAKE_BUILD_TYPE=Debug
  cmake --build build-native -j "$jobs" --target cvnpack
  [ -f "$win_build/CMakeCache.txt" ] || cmake -S . -B "$win_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCVN_BENCH=OFF --toolchain "$PWD/$toolchain"
  cmake --build "$win_build" -j "$jobs" --target "$@"
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
