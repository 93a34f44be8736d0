#!/usr/bin/env bash
# Installs every system package the builds, the tests and scripts/run.sh need (Debian
# bookworm), and the deb-src entry that scripts/build-bzip2-mingw.sh fetches from.
# Safe to run again: when everything is there it changes nothing and needs no network.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev llvm clang-format  # native and sanitizer builds
  googletest libgtest-dev libgmock-dev libbenchmark-dev libbz2-dev bzip2
  gcc-mingw-w64-i686 g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev  # Windows build
  gcc-mingw-w64-x86-64 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev  # and 64-bit
  mingw-w64-tools                                               # widl for the COM test server
  dpkg-dev                                                      # apt-get source
  python3                                                       # reading the test results
  wine wine32:i386 wine64 xvfb xauth x11-utils imagemagick fonts-dejavu-core  # running it
  # Wine's own fonts and the X extensions its display driver uses, for faithful windows
  fonts-wine libxrender1:i386 libxrandr2:i386 libxcursor1:i386 libxi6:i386 libxfixes3:i386
  libxinerama1:i386 libxcomposite1:i386
  liblnk-utils                                                  # reading shortcuts in tests
  osslsigncode openssl                                          # signing setups in tests
  libtomlplusplus-dev                                           # the authoring tool's project files
  nlohmann-json3-dev                                            # the package tools' JSON form
  gcc-arm-linux-gnueabi gcc-mips-linux-gnu gcc-sh4-linux-gnu     # rebuilding the device probe images
  python3-unicorn                                               # and running them emulated
)

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then exec sudo -E bash "$0" "$@"; fi
  echo "install-deps: must run as root (or with sudo available)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt_opts=(-o DPkg::Lock::Timeout=600 -o APT::Sandbox::User=root)

installed() {
  local status
  status=$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true)
  [ "$status" = "install ok installed" ]
}

refresh=no
# wine32 is an i386 package.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  refresh=yes
fi

# deb-src lines mirroring the binary sources, for libbzip2's source package.
src_list=/etc/apt/sources.list.d/cvn-deb-src.sources
src_legacy=/etc/apt/sources.list.d/cvn-deb-src.list
if [ ! -f "$src_list" ] && [ ! -f "$src_legacy" ]; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types:.*$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$src_list"
  elif [ -f /etc/apt/sources.list ] && grep -qE '^deb ' /etc/apt/sources.list; then
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' >"$src_legacy"
  else
    echo "install-deps: found no Debian sources to mirror as deb-src" >&2
    exit 1
  fi
  refresh=yes
fi
if ! compgen -G '/var/lib/apt/lists/*_source_Sources*' >/dev/null; then
  refresh=yes
fi

need=()
for p in "${packages[@]}"; do
  installed "$p" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ] && [ "$refresh" = no ] && ! apt-cache show "${need[@]}" >/dev/null 2>&1; then
  refresh=yes
fi

if [ "$refresh" = yes ]; then
  # A mirror in the middle of a sync serves a list that fails its checksum for a few
  # minutes; try again, then go on with the lists that did arrive: the install below
  # still fails if a package it needs is not in them.
  echo "install-deps: apt-get update"
  for try in 1 2 3; do
    apt-get "${apt_opts[@]}" update -qq && break
    if [ "$try" -lt 3 ]; then
      sleep 20
    else
      echo "install-deps: some package lists did not download; going on with the rest" >&2
    fi
  done
fi
if [ ${#need[@]} -gt 0 ]; then
  echo "install-deps: installing ${need[*]}"
  apt-get "${apt_opts[@]}" install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
