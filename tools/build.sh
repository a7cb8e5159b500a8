#!/usr/bin/env bash
# Configures and builds the deliverables (i686) and, where the tests need
# another target, the test build. Usage: build.sh BUILD_DIR JOBS
# Fails with the compiler's messages when any target fails to build.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-build}
JOBS=${2:-$(nproc)}
source "$ROOT/tools/testenv.sh"

build_arch() {
  local arch=$1 dir=$BUILD/$1 status=0 tests=OFF
  # Test programs are built only for the target the tests run on; the other
  # build holds the deliverables alone.
  [ "$arch" = "$ZELVO_TEST_ARCH" ] && tests=ON
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DZELVO_TESTS=$tests >/dev/null
  elif ! grep -qx "ZELVO_TESTS:BOOL=$tests" "$dir/CMakeCache.txt"; then
    cmake "$dir" -DZELVO_TESTS=$tests >/dev/null
  fi
  # Progress lines are dropped; compiler and linker messages pass through.
  # The build's own status is taken from the pipe (grep fails when it has
  # nothing to pass on, which is no error).
  set +e +o pipefail
  cmake --build "$dir" -j"$JOBS" -- --no-print-directory 2>&1 |
    grep -v -E '^\[ *[0-9]+%\]|^Consolidate|^Scanning|^Built target'
  status=${PIPESTATUS[0]}
  set -e -o pipefail
  if [ "$status" != 0 ]; then
    echo "build: the $arch build failed (status $status)" >&2
    exit 1
  fi
}

build_arch i686
[ "$ZELVO_TEST_ARCH" = i686 ] || build_arch "$ZELVO_TEST_ARCH"
