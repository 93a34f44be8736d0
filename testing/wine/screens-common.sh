# Shared by the screenshot scripts (sourced, from the project's root folder).

# start_private_x WORK_FOLDER: a headless X server of the script's own; sets xvfb_pid and
# exports DISPLAY. The caller stops it (kill "$xvfb_pid").
start_private_x() {
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 -fp built-ins 3>"$1/display" </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
  DISPLAY=:$(head -1 "$1/display")
  export DISPLAY
}

# build_for_screens TARGET...: cvnpack natively, and the given Windows targets in the
# Windows build folder $win_build: $CVN_SCREENS_BUILD when set, else the build this host runs
# (build-win, i686, where 32-bit Wine starts; build-win64 otherwise). A prefix named P is
# P$win_prefix_suffix on the disk (as run-wine.sh names it).
build_for_screens() {
  local jobs=${CVN_JOBS:-2} arch=x86_64
  # shellcheck source=scripts/windows-arch.sh
  source scripts/windows-arch.sh
  if [ -n "${CVN_SCREENS_BUILD:-}" ]; then
    win_build=$CVN_SCREENS_BUILD
  elif cvn_runs_32bit; then
    win_build=build-win
  else
    win_build=build-win64
  fi
  win_prefix_suffix=64
  [[ $win_build == *64 ]] || win_prefix_suffix= arch=i686
  [ -f build-native/CMakeCache.txt ] || cmake -S . -B build-native -G Ninja -DCMAKE_BUILD_TYPE=Debug
  cmake --build build-native -j "$jobs" --target cvnpack
  [ -f "$win_build/CMakeCache.txt" ] || cmake -S . -B "$win_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCVN_BENCH=OFF --toolchain "$PWD/cmake/toolchain-$arch-mingw.cmake"
  cmake --build "$win_build" -j "$jobs" --target "$@"
}
