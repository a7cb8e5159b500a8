# shellcheck shell=bash
# Helpers of the control's interop scripts: Wine's tools on the registered
# ZelvoPlay.ocx. The scripts take ZelvoPlay.ocx and MakeOcxFixture.exe as $1
# and $2; ctest gives ZELVO_WINE and WINEPREFIX.
: "${ZELVO_WINE:?run through ctest}"
: "${WINEPREFIX:?run through ctest}"
OCX=$1 FIXTURE=$2
NAME=$(basename "$0" .sh)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/zelvo-ocx-$NAME.XXXXXX")
CLSID='{6D3A5E10-2B47-4C8E-A1F2-5E7B9C0D3A04}'
PAGE_CLSID='{6D3A5E10-2B47-4C8E-A1F2-5E7B9C0D3A05}'
LIBID='{6D3A5E10-2B47-4C8E-A1F2-5E7B9C0D3A01}'

fail() {
  echo "FAIL [$NAME]: $*" >&2
  exit 1
}

winpath_of() {  # LINUX_PATH: Wine maps the Linux root to drive Z:
  local path=${1//\//\\}
  echo "Z:$path"
}

wine_run() { "$ZELVO_WINE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

register() {
  "$ZELVO_WINE" regsvr32 /s "$(winpath_of "$OCX")" </dev/null >/dev/null 2>&1 || fail "regsvr32 failed"
}

unregister() {
  "$ZELVO_WINE" regsvr32 /u /s "$(winpath_of "$OCX")" </dev/null >/dev/null 2>&1 || true
}

cleanup() {
  unregister
  rm -rf "$WORK"
}
trap cleanup EXIT

write_fixture() {
  "$ZELVO_WINE" "$FIXTURE" "$(winpath_of "$WORK")" </dev/null >/dev/null 2>&1 || fail "cannot write the fixture"
}

# reg_value KEY NAME: the value as "wine reg query" shows it ("" when absent);
# NAME "" is the default value.
reg_value() {
  local out
  if [ -z "$2" ]; then
    out=$(wine_run reg query "$1" /ve) || return 0
  else
    out=$(wine_run reg query "$1" /v "$2") || return 0
  fi
  sed -n 's/^ *[^ ].*REG_SZ *//p' <<<"$out" | sed -n 1p
}

reg_key_exists() { wine_run reg query "$1" >/dev/null; }
