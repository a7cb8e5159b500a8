#!/usr/bin/env bash
# ZelvoPlay.ocx registers itself under regsvr32 with exactly its keys, and
# unregistering removes its classes and its claim on the MIME type while the
# ".anx" content type stays. Its exports are checked in both builds.
set -euo pipefail
source "$(dirname "$0")/ocx_lib.sh"

# The exports, read from the PE files themselves.
for module in "$OCX" "${OCX/x86_64/i686}"; do
  [ -f "$module" ] || continue
  exports=$(/usr/bin/python3 - "$module" <<'PY'
import sys, pefile
pe = pefile.PE(sys.argv[1])
print(' '.join(sorted(e.name.decode() for e in pe.DIRECTORY_ENTRY_EXPORT.symbols)))
PY
)
  [ "$exports" = "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer" ] ||
    fail "exports of $module: [$exports]"
done

register
module=$(winpath_of "$OCX")
check() {  # KEY NAME EXPECTED
  local got
  got=$(reg_value "$1" "$2")
  [ "$got" = "$3" ] || fail "$1 [$2]: expected [$3], got [$got]"
}
C="HKCR\\CLSID\\$CLSID"
P="HKCR\\CLSID\\$PAGE_CLSID"
MIME='HKCR\MIME\DataBase\Content Type\application/x-anx'
check "$C" "" "ZelvoPlay Control"
check "$C\\InprocServer32" "" "$module"
check "$C\\InprocServer32" ThreadingModel Apartment
check "$C\\ProgID" "" Zelvo.ZelvoPlayCtrl.1
check "$C\\MiscStatus\\1" "" 131473
check "$C\\TypeLib" "" "$LIBID"
check "$C\\Version" "" 1.0
check 'HKCR\Zelvo.ZelvoPlayCtrl.1\CLSID' "" "$CLSID"
check "$P\\InprocServer32" "" "$module"
check "$P\\InprocServer32" ThreadingModel Apartment
check "$P\\ProgID" "" REELOCX.ReelOCXPropPage.1
check 'HKCR\REELOCX.ReelOCXPropPage.1\CLSID' "" "$PAGE_CLSID"
check "$MIME" Extension .anx
check "$MIME" CLSID "$CLSID"
check 'HKCR\.anx' "Content Type" application/x-anx
for key in "$C\\Control" "$C\\EnableFullPage\\.anx" "HKCR\\TypeLib\\$LIBID\\1.0"; do
  reg_key_exists "$key" || fail "missing key $key"
done
reg_key_exists "$P\\Control" && fail "the property page is registered as a control"

unregister
for key in "$C" "$P" 'HKCR\Zelvo.ZelvoPlayCtrl.1' 'HKCR\REELOCX.ReelOCXPropPage.1'; do
  reg_key_exists "$key" && fail "$key is still there after unregistering"
done
check "$MIME" CLSID ""
check 'HKCR\.anx' "Content Type" application/x-anx
echo "register: all keys as expected"
