# Sourced by the build and test scripts: picks the Windows target the tests run
# on and the Wine environment for it.
#
# The deliverables are 32-bit (i686). Where the kernel runs 32-bit code the
# tests run them under 32-bit Wine; a kernel without 32-bit emulation cannot,
# so the tests run the same sources built for x86_64 under 64-bit Wine.
if [ -z "${ZELVO_TEST_ARCH:-}" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    ZELVO_TEST_ARCH=i686
  else
    ZELVO_TEST_ARCH=x86_64
  fi
fi
export ZELVO_TEST_ARCH
if [ "$ZELVO_TEST_ARCH" = x86_64 ]; then
  export ZELVO_WINE=/usr/lib/wine/wine64 WINEARCH=win64
else
  export ZELVO_WINE=/usr/lib/wine/wine WINEARCH=win32
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
