#!/usr/bin/env bash
# The build scripts on a scratch project with one broken source: `make test`
# stops with the compiler's error and a non-zero status before any test runs,
# and once the source is mended `make build` succeeds (the filter that drops
# progress lines then passes nothing on, which is no failure).
# Usage: build_fails_loudly.sh PROJECT_ROOT
set -euo pipefail
ROOT=$1
WORK=$(mktemp -d "${TMPDIR:-/tmp}/zelvo-build-check.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/tools" "$WORK/cmake"
cp "$ROOT/Makefile" "$WORK/"
cp "$ROOT"/tools/{setup.sh,build.sh,testenv.sh,run-tests.sh,test-session.sh,on-screen.sh} "$WORK/tools/"
cp "$ROOT"/cmake/mingw-*.cmake "$WORK/cmake/"
cat >"$WORK/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(Scratch CXX)
add_executable(good good.cpp)
add_executable(broken broken.cpp)
CMAKE
echo 'int main() { return 0; }' >"$WORK/good.cpp"
echo 'int main() { return undeclared_name; }' >"$WORK/broken.cpp"

fail() { echo "FAIL: $*" >&2; exit 1; }

set +e
make -C "$WORK" --no-print-directory test BUILD="$WORK/build" JOBS=2 >"$WORK/out.log" 2>&1
status=$?
set -e
cat "$WORK/out.log"
[ "$status" != 0 ] || fail "make test succeeded with a broken source"
grep -q "broken.cpp.*error:.*undeclared_name" "$WORK/out.log" || fail "the compiler's error is not shown"
grep -q "build: the i686 build failed" "$WORK/out.log" || fail "the build script does not say which build failed"
if grep -q "tests: running" "$WORK/out.log"; then fail "tests ran after a failed build"; fi

echo 'int main() { return 0; }' >"$WORK/broken.cpp"
make -C "$WORK" --no-print-directory build BUILD="$WORK/build" JOBS=2 >"$WORK/out.log" 2>&1 ||
  { cat "$WORK/out.log"; fail "make build failed on mended sources"; }
[ -f "$WORK/build/i686/broken.exe" ] || fail "the mended program was not built"
echo "a broken source fails the build loudly; mended, it builds"
