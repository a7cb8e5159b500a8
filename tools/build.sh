#!/usr/bin/env bash
# Configures and builds the deliverables (i686) and, where the tests need
# another target, the test build. Usage: build.sh BUILD_DIR JOBS
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-build}
JOBS=${2:-$(nproc)}
source "$ROOT/tools/testenv.sh"

build_arch() {
  local arch=$1 dir=$BUILD/$1
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "$dir" -j"$JOBS" -- --no-print-directory | grep -v -E '^\[ *[0-9]+%\]|^Consolidate|^Scanning|^Built target' || true
  [ "${PIPESTATUS[0]}" = 0 ] || exit 1
}

build_arch i686
[ "$ZELVO_TEST_ARCH" = i686 ] || build_arch "$ZELVO_TEST_ARCH"
