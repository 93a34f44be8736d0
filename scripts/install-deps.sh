#!/usr/bin/env bash
# Installs every system package the build and the tests need; safe to run again.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

packages=(cmake ninja-build g++ clang libclang-rt-14-dev libbz2-dev bzip2 googletest libgtest-dev
          mingw-w64 g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-tools
          wine wine32 xvfb xauth x11-utils imagemagick liblnk-utils fonts-dejavu-core dpkg-dev)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  updated=0
fi

# Source packages: libbzip2 for MinGW is built from Debian's bzip2 source package.
src_list=/etc/apt/sources.list.d/cvn-deb-src.sources
if [ ! -f "$src_list" ]; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$src_list"
  else
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' > /etc/apt/sources.list.d/cvn-deb-src.list
    touch "$src_list"
  fi
  updated=0
fi

for p in "${packages[@]}"; do
  if [ "$p" = wine32 ]; then have wine32:i386 || need+=(wine32:i386); continue; fi
  have "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ] || [ "${updated:-1}" = 0 ] || [ ! -d /var/lib/apt/lists ] || [ -z "$(ls /var/lib/apt/lists 2>/dev/null | grep -i source)" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
fi
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
