#!/usr/bin/env bash
# Builds a static libbzip2 for Windows from Debian's bzip2 source package:
#   scripts/build-bzip2-mingw.sh [PREFIX [TRIPLE]]
#     PREFIX  default build-win/deps/mingw
#     TRIPLE  i686-w64-mingw32 (default) or x86_64-w64-mingw32
# installs PREFIX/include/bzlib.h and PREFIX/lib/libbz2.a. Does nothing when that build
# is already there; the downloaded source is kept in ~/.cache/cvn so that removing the
# build folder does not fetch it again.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
prefix=${1:-$root/build-win/deps/mingw}
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)
cache=${CVN_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/cvn}
triple=${2:-i686-w64-mingw32}
cc=$(command -v "$triple-gcc-posix" || command -v "$triple-gcc" || true)
ar=$(command -v "$triple-ar" || true)
if [ -z "$cc" ] || [ -z "$ar" ]; then
  echo "build-bzip2-mingw: $triple-gcc not found; run scripts/install-deps.sh" >&2
  exit 1
fi

# One build at a time: several build folders may be configured at once.
mkdir -p "$cache"
exec 9>"$cache/bzip2.lock"
flock 9

# Rebuilt when the compiler or this recipe changes.
stamp=$prefix/.bzip2-stamp
want="$triple $("$cc" -dumpversion) $(sha1sum <"${BASH_SOURCE[0]}" | cut -c1-40)"
if [ -f "$prefix/lib/libbz2.a" ] && [ -f "$prefix/include/bzlib.h" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$want" ]; then
  exit 0
fi

src=$(find "$cache/bzip2" -maxdepth 1 -name "bzip2-*" -type d 2>/dev/null | sort | tail -1 || true)
if [ -z "$src" ] || [ ! -f "$src/bzlib.c" ]; then
  if [ -z "$(apt-cache showsrc bzip2 2>/dev/null)" ]; then
    echo "build-bzip2-mingw: no deb-src entry for bzip2; run scripts/install-deps.sh" >&2
    exit 1
  fi
  rm -rf "$cache/bzip2"
  mkdir -p "$cache/bzip2.part"
  (cd "$cache/bzip2.part" && apt-get source -qq -o APT::Sandbox::User=root bzip2 >/dev/null)
  mv "$cache/bzip2.part" "$cache/bzip2"
  src=$(find "$cache/bzip2" -maxdepth 1 -name 'bzip2-*' -type d | sort | tail -1)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$src"/*.c "$src"/*.h "$work/"
# Linked statically, the library keeps the plain C interface it has everywhere else:
# its header's Windows branch would make the functions stdcall and pull windows.h into
# every file that decompresses.
sed -i 's|^#ifdef _WIN32$|#if 0 /* static MinGW build: plain C interface */|' "$work/bzlib.h"
# Debian's own flags for the library (-O2, as its native libbz2.so), and a section per
# function so a program that only decompresses links none of the compressor. Its few
# messages (a failed internal check) are printed by the system's C library (msvcrt.dll),
# not MinGW's own formatted output, which would add 25 KB to setup.exe.
cflags="-O2 -w -D_FILE_OFFSET_BITS=64 -D_REENTRANT -D__USE_MINGW_ANSI_STDIO=0 -ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables"
objs=()
for f in blocksort huffman crctable randtable compress decompress bzlib; do
  "$cc" $cflags -c "$work/$f.c" -o "$work/$f.o"
  objs+=("$work/$f.o")
done
mkdir -p "$prefix/lib" "$prefix/include"
rm -f "$prefix/lib/libbz2.a"
"$ar" rcs "$prefix/lib/libbz2.a" "${objs[@]}"
cp "$work/bzlib.h" "$prefix/include/bzlib.h"
echo "$want" >"$stamp"
echo "build-bzip2-mingw: libbz2.a ready in $prefix"
