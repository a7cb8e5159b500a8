# Sourced by the build and test scripts: picks the Windows target the tests run
# on and the Wine environment for it.
#
# The deliverables are 32-bit (i686), but the tests run the same sources built
# for x86_64 under 64-bit Wine: that is the build every test machine can run,
# kernels without 32-bit emulation included, so a run here matches CI's.
# ZELVO_TEST_ARCH=i686 runs the 32-bit build instead, where 32-bit Wine starts.
ZELVO_TEST_ARCH=${ZELVO_TEST_ARCH:-x86_64}
export ZELVO_TEST_ARCH
if [ "$ZELVO_TEST_ARCH" = x86_64 ]; then
  export ZELVO_WINE=/usr/lib/wine/wine64 WINEARCH=win64
else
  export ZELVO_WINE=/usr/lib/wine/wine WINEARCH=win32
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
