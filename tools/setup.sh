#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian bookworm machine.
# Idempotent: each step checks first and stays quiet when there is nothing to do.
#
# Two Windows targets are prepared: i686 (the deliverables, 32-bit PE) and x86_64.
# The tests run the x86_64 build under 64-bit Wine; 32-bit Wine is installed too,
# for running the i686 build where the kernel can execute 32-bit code (see
# tools/testenv.sh).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEPS=${ZELVO_DEPS:-/opt/zelvo-deps}
STAMP=.stamp4
log() { echo "setup: $*"; }
as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

PKGS=(cmake make
      g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
      g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
      libz-mingw-w64-dev wine wine64 wine32:i386 xvfb xauth imagemagick zip unzip
      dpkg-dev python3 x11-utils xdotool sox ffmpeg
      gifsicle libtiff-tools icoutils python3-pil python3-pefile mingw-w64-tools libjpeg-turbo-progs)

missing_packages() {
  local p
  for p in "${PKGS[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep '^install ok installed' >/dev/null || echo "$p"
  done
}

install_packages() {
  local need
  need=$(missing_packages)
  [ -z "$need" ] && return 0
  log "installing packages: $(echo $need)"
  if ! dpkg --print-foreign-architectures | grep -x i386 >/dev/null; then
    as_root dpkg --add-architecture i386
  fi
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends $need >/dev/null
}

enable_sources() {
  # apt-get source needs a deb-src entry for bookworm main.
  if ! grep -rqs 'deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    log "enabling deb-src for bookworm"
    as_root tee /etc/apt/sources.list.d/zelvo-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    as_root apt-get update -qq
  fi
}

fetch_zlib_source() {
  local dir=$DEPS/src
  [ -d "$dir/minizip" ] && return 0
  enable_sources
  log "fetching Debian's zlib source for minizip"
  local work; work=$(mktemp -d)
  (cd "$work" && apt-get source -qq zlib >/dev/null 2>&1) || { log "apt-get source zlib failed"; exit 1; }
  as_root mkdir -p "$dir"
  as_root cp -r "$(ls -d "$work"/zlib-*/contrib/minizip | head -n1)" "$dir/minizip"
  rm -rf "$work"
}

build_minizip() {  # $1 = target triple prefix (i686 | x86_64)
  local arch=$1 out=$DEPS/$1/minizip
  [ -f "$out/$STAMP" ] && return 0
  fetch_zlib_source
  log "building minizip for $arch"
  local work src=$DEPS/src/minizip f
  work=$(mktemp -d)
  as_root rm -rf "$out"; as_root mkdir -p "$out/include/minizip" "$out/lib"
  for f in ioapi iowin32 zip unzip; do
    "$arch-w64-mingw32-gcc-posix" -O2 -DNOCRYPT -c "$src/$f.c" -o "$work/$f.o" -w
  done
  "$arch-w64-mingw32-ar" rcs "$work/libminizip.a" "$work"/{ioapi,iowin32,zip,unzip}.o
  as_root cp "$work/libminizip.a" "$out/lib/"
  as_root cp "$src"/{ioapi.h,iowin32.h,zip.h,unzip.h} "$out/include/minizip/"
  rm -rf "$work"
  as_root touch "$out/$STAMP"
}

fetch_libjpeg_source() {
  local dir=$DEPS/src/libjpeg-turbo
  [ -f "$dir/CMakeLists.txt" ] && return 0
  enable_sources
  log "fetching Debian's libjpeg-turbo source"
  local work; work=$(mktemp -d)
  (cd "$work" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1) || { log "apt-get source libjpeg-turbo failed"; exit 1; }
  as_root mkdir -p "$DEPS/src"
  as_root rm -rf "$dir"
  as_root cp -r "$(ls -d "$work"/libjpeg-turbo-*/ | head -n1)" "$dir"
  rm -rf "$work"
}

# The stand-in JPEG library of the image library (conv/jpeglib) is built over
# libjpeg: static, plain C code paths (no SIMD), the classic libjpeg interface.
build_libjpeg() {  # $1 = i686 | x86_64
  local arch=$1 out=$DEPS/$1/libjpeg
  [ -f "$out/$STAMP" ] && return 0
  fetch_libjpeg_source
  log "building libjpeg for $arch"
  local work src=$DEPS/src/libjpeg-turbo
  work=$(mktemp -d)
  cmake -S "$src" -B "$work" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$out" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF \
    -DWITH_TURBOJPEG=OFF >/dev/null
  cmake --build "$work" -j"$(nproc)" --target jpeg-static >/dev/null
  as_root rm -rf "$out"; as_root mkdir -p "$out/include" "$out/lib"
  as_root cp "$work/libjpeg.a" "$out/lib/"
  as_root cp "$src"/{jpeglib.h,jmorecfg.h,jerror.h} "$work/jconfig.h" "$out/include/"
  rm -rf "$work"
  as_root touch "$out/$STAMP"
}

build_googletest() {  # $1 = i686 | x86_64
  local arch=$1 out=$DEPS/$1/gtest
  [ -f "$out/$STAMP" ] && return 0
  log "building GoogleTest for $arch"
  local work; work=$(mktemp -d)
  cmake -S /usr/src/googletest -B "$work" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$out" -DBUILD_GMOCK=ON >/dev/null
  cmake --build "$work" -j"$(nproc)" >/dev/null
  as_root cmake --install "$work" >/dev/null
  rm -rf "$work"
  as_root touch "$out/$STAMP"
}

install_packages
as_root mkdir -p "$DEPS"
for arch in i686 x86_64; do
  build_minizip "$arch"
  build_googletest "$arch"
  build_libjpeg "$arch"
done
