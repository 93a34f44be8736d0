#!/usr/bin/env bash
# Runs a Windows program under Wine and returns its exit code:
#   testing/wine/run-wine.sh PROGRAM.exe [ARGUMENTS...]
#
# The Windows builds' CTest uses this as its emulator. The program's own PE header picks
# 32-bit Wine (i386) or 64-bit Wine (x86-64), and each architecture has its own private
# prefix: "wine-prefix" (32-bit) or "wine-prefix64" (64-bit) in the build folder that holds
# the program, or CVN_WINEPREFIX with "64" appended for a 64-bit program. A prefix is made
# once and reused; ~/.wine is never touched. Without DISPLAY the
# program gets a headless X server (Xvfb) that concurrent runs share; the last run to end
# stops it and the prefix's wineserver, so nothing is left running.
#
# Environment: CVN_WINEPREFIX (prefix to use), CVN_WINEDEBUG (WINEDEBUG, default -all),
# CVN_XVFB_SCREEN (default 1024x768x24).
set -uo pipefail

init_only=no
if [ "${1:-}" = --init ]; then
  init_only=yes
  shift
fi
if [ $# -lt 1 ]; then
  echo "usage: $0 [--init] PROGRAM.exe [ARGUMENTS...]" >&2
  echo "  --init: only create the prefix the program would run in" >&2
  exit 2
fi
exe=$1
shift
if [ "$init_only" = no ] && [ ! -f "$exe" ]; then
  echo "run-wine: no such program: $exe" >&2
  exit 2
fi

log() { echo "run-wine: $*" >&2; }

# pe_machine FILE: the COFF machine field of a PE file (014c i386, 8664 x86-64), or nothing.
pe_machine() {
  local off sig
  off=$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$off" ] || return 0
  sig=$(od -An -t x1 -j "$off" -N 4 "$1" 2>/dev/null | tr -d ' ')
  [ "$sig" = 50450000 ] || return 0
  od -An -t x2 -j $((off + 4)) -N 2 "$1" 2>/dev/null | tr -d ' '
}

# Debian's "wine" wrapper prefers the 32-bit loader whenever it is installed, even on a
# host that cannot run it, so the loader is chosen here and named directly.
arch=32
if [ -f "$exe" ] && [ "$(pe_machine "$exe")" = 8664 ]; then
  arch=64
fi
if [ "$arch" = 64 ]; then
  loader=$(command -v /usr/lib/wine/wine64 wine64 2>/dev/null | head -1)
  export WINEARCH=win64
  prefix_suffix=64
else
  loader=$(command -v /usr/lib/wine/wine wine 2>/dev/null | head -1)
  export WINEARCH=win32
  prefix_suffix=
fi
if [ -z "$loader" ]; then
  log "no $arch-bit Wine loader found; run scripts/install-deps.sh"
  exit 125
fi
export WINELOADER=$loader

# The build folder is the nearest folder above the program with a CMakeCache.txt.
build_dir_of() {
  local d
  d=$(cd "$(dirname "$1")" && pwd)
  while [ "$d" != / ]; do
    if [ -f "$d/CMakeCache.txt" ]; then
      echo "$d"
      return 0
    fi
    d=$(dirname "$d")
  done
  return 1
}

if [ -n "${CVN_WINEPREFIX:-}" ]; then
  prefix=$CVN_WINEPREFIX$prefix_suffix
elif build=$(build_dir_of "$exe"); then
  prefix=$build/wine-prefix$prefix_suffix
else
  prefix=${XDG_CACHE_HOME:-$HOME/.cache}/cvn/wine-prefix$prefix_suffix
fi
mkdir -p "$(dirname "$prefix")"
prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")
state=$prefix.state
mkdir -p "$state"

export WINEPREFIX=$prefix
export WINEDEBUG=${CVN_WINEDEBUG:--all}
# GoogleTest's results path reaches the program as it is; a Unix path would be read relative
# to the current drive, so it becomes the same folder's path on drive Z: (Wine's "/").
case ${GTEST_OUTPUT:-} in
xml:/* | json:/*)
  gtest_path=${GTEST_OUTPUT#*:}
  export GTEST_OUTPUT="${GTEST_OUTPUT%%:*}:Z:${gtest_path//\//\\}"
  ;;
esac
# No Mono or Gecko install prompts, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

# fd 8: held while starting or stopping what runs are sharing (prefix, X server).
# fd 9: every run holds it shared while its program runs; whoever can take it exclusively
#       afterwards is the last run. Children never inherit either: a lock held by a
#       lingering wineserver or X server would never be released.
exec 8>"$state/mutex" 9>"$state/users"
unshared() { "$@" 8>&- 9>&-; }

xvfb_alive() {
  local pid
  pid=$(cat "$state/xvfb.pid" 2>/dev/null) || return 1
  [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]
}

start_xvfb() {
  if xvfb_alive && [ -s "$state/xvfb.display" ]; then
    DISPLAY=:$(head -1 "$state/xvfb.display")
    return 0
  fi
  rm -f "$state/xvfb.pid" "$state/xvfb.display"
  # Detached from this run, which may end before the others that share the server; Xvfb
  # picks a free display itself.
  (
    cd /
    exec setsid Xvfb -displayfd 3 -nolisten tcp -screen 0 "${CVN_XVFB_SCREEN:-1024x768x24}" -fp built-ins \
      3>"$state/xvfb.display" 8>&- 9>&- </dev/null >"$state/xvfb.log" 2>&1
  ) &
  local pid=$!
  echo "$pid" >"$state/xvfb.pid"
  for _ in $(seq 100); do
    if [ -s "$state/xvfb.display" ]; then
      DISPLAY=:$(head -1 "$state/xvfb.display")
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  log "Xvfb did not start:"
  cat "$state/xvfb.log" >&2
  return 1
}

stop_xvfb() {
  if xvfb_alive; then
    local pid
    pid=$(cat "$state/xvfb.pid")
    kill "$pid" 2>/dev/null
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null
  fi
  rm -f "$state/xvfb.pid" "$state/xvfb.display"
}

stop_wineserver() {
  # Waiting lets the server write the registry back; a program that lingers past that is
  # killed.
  unshared timeout 60 wineserver -w 2>/dev/null || unshared wineserver -k 2>/dev/null
}

wine_reg() {
  unshared timeout 120 "$loader" reg add "$1" /v "$2" /t "$3" /d "$4" /f >>"$state/wineboot.log" 2>&1
}

# Bumped whenever the prefix settings below change, so that old prefixes are made anew.
prefix_version=2

make_prefix() {
  [ "$(cat "$prefix/.cvn-ready" 2>/dev/null)" = "$prefix_version" ] && return 0
  local try
  for try in 1 2; do
    log "creating Wine prefix $prefix (takes a minute the first time)"
    unshared wineserver -k 2>/dev/null
    rm -rf "$prefix"
    mkdir -p "$prefix"
    # A crash prints its backtrace instead of waiting on a dialog nobody sees. Without a
    # window manager, Wine draws the window frames itself, as Windows does.
    if unshared timeout 300 "$loader" wineboot --init >"$state/wineboot.log" 2>&1 &&
      wine_reg 'HKCU\Software\Wine\WineDbg' ShowCrashDialog REG_DWORD 0 &&
      wine_reg 'HKCU\Software\Wine\X11 Driver' Managed REG_SZ N &&
      unshared timeout 120 wineserver -w && [ -f "$prefix/system.reg" ] &&
      [ -d "$prefix/drive_c/windows/system32" ]; then
      echo "$prefix_version" >"$prefix/.cvn-ready"
      return 0
    fi
    log "wineboot failed (attempt $try):"
    tail -20 "$state/wineboot.log" >&2
  done
  return 1
}

flock 8
if [ -z "${DISPLAY:-}" ]; then
  if ! start_xvfb; then
    flock -u 8
    exit 125
  fi
  export DISPLAY
fi
prefix_rc=0
make_prefix || prefix_rc=125
if [ "$prefix_rc" -ne 0 ] || [ "$init_only" = yes ]; then
  if flock -xn 9; then
    stop_wineserver
    stop_xvfb
  fi
  flock -u 8
  exit "$prefix_rc"
fi
flock -s 9
flock -u 8

# An interrupted run still counts as ended so that the last one cleans up.
child=
trap '[ -n "$child" ] && kill "$child" 2>/dev/null' INT TERM HUP
unshared "$loader" "$exe" "$@" &
child=$!
wait "$child"
rc=$?
# wait returns early when a trapped signal arrives; collect the real status.
while kill -0 "$child" 2>/dev/null; do
  wait "$child"
  rc=$?
done
trap - INT TERM HUP

flock -u 9
flock 8
if flock -xn 9; then
  stop_wineserver
  stop_xvfb
  flock -u 9
fi
flock -u 8
exit "$rc"
