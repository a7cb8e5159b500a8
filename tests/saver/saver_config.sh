#!/usr/bin/env bash
# ZelvoSave "/c": the settings dialog with its controls; "Terminate after"
# with 5 seconds becomes 10; OK writes the settings file; Cancel writes
# nothing; "/c /i" makes the program the system's screensaver in SYSTEM.INI.
#   saver_config.sh ZelvoSave.exe MakePlayerFixture.exe
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
source "$(dirname "$0")/saver_lib.sh"
password_keys 0

fixture a.ans
fixture b.ans
write_ini "[OPTIONS]" "Continue=4" "Seconds=30" "[ANSFILES]" \
  "File1=$(winpath_of "$BB_WORK/a.ans");1" "File2=$(winpath_of "$BB_WORK/b.ans");0" \
  "File3=$(winpath_of "$BB_WORK/gone.ans");1"

# --- Cancel writes nothing.
cp "$INI" "$BB_WORK/before.ini"
bb_start "$SAVER" /c
saver=$BB_PID
bb_wait_window '#32770' 'Configure Screensaver' 30000
dialog=$BB_HWND
controls=$(bb_wd children "$dialog")
for control in 'id=100 ' 'id=101 .*text="&Add Animation..."' 'id=102 .*text="&Remove"' 'id=107 .*text="move &up"' \
  'id=108 .*text="move &down"' 'id=106 .*text="Activate All"' 'id=109 .*text="Activate None"' \
  'id=111 .*text="Random Order"' 'id=112 .*text="&Terminate after"' 'id=113 .*text="30"' \
  'id=114 .*class="msctls_updown32"' 'text="sec."' 'id=110 .*text="Show current &Desktop"' 'id=104 ' \
  'id=105 .*text="&Password..."' 'id=115 .*text="&Test"' 'id=1 .*text="&OK"' 'id=2 .*text="&Cancel"'; do
  grep -q -- "$control" <<<"$controls" || bb_fail "the dialog lacks [$control]:"$'\n'"$controls"
done
bb_wd post "$dialog" WM_COMMAND IDCANCEL 0 >/dev/null
bb_expect_exit "$saver" 0 30
cmp -s "$INI" "$BB_WORK/before.ini" || bb_fail "Cancel changed the settings file"

# --- 5 seconds become 10, then OK writes the settings.
bb_start "$SAVER" /c
saver=$BB_PID
bb_wait_window '#32770' 'Configure Screensaver' 30000
dialog=$BB_HWND
control() { grep "id=$1 " <<<"$(bb_wd children "$dialog")" | head -n1 | sed 's/^hwnd=\([^ ]*\).*/\1/'; }
bb_wd post "$(control 112)" BM_CLICK 0 0 >/dev/null
bb_wd post "$(control 111)" BM_CLICK 0 0 >/dev/null
# Focus on the seconds (WM_NEXTDLGCTL to that control), then type.
bb_wd post "$dialog" 0x28 "$(control 113)" 1 >/dev/null
bb_wd keys "$dialog" VK_END VK_BACK VK_BACK 5 >/dev/null
bb_expect_line "$(bb_wd children "$dialog")" 'id=113 ' 'text="5"'
bb_wd post "$dialog" WM_COMMAND IDOK 0 >/dev/null
tries=0
until bb_wd children "$dialog" 2>/dev/null | grep 'id=113 .*text="10"' >/dev/null; do
  tries=$((tries + 1))
  [ "$tries" -lt 100 ] || bb_fail "5 seconds did not become 10"
  sleep 0.2
done
bb_wd wait-window '#32770' 'Configure Screensaver' 1000 >/dev/null || bb_fail "the dialog closed with 5 seconds"
bb_wd post "$dialog" WM_COMMAND IDOK 0 >/dev/null
bb_expect_exit "$saver" 0 30
/usr/bin/python3 - "$INI" "$(winpath_of "$BB_WORK")" <<'PY' || bb_fail "the settings file is not as expected"
import configparser, sys
ini = configparser.ConfigParser(strict=False, interpolation=None)
ini.optionxform = str
ini.read(sys.argv[1], encoding='latin-1')
folder = sys.argv[2]
expected = {
    'OPTIONS': {'Continue': '4', 'Random': '1', 'CurTag': '0', 'MaxPlay': '1', 'Seconds': '10', 'ShowDesktop': '0'},
    'ANSFILES': {'File1': folder + '\\a.ans;1', 'File2': folder + '\\b.ans;0', 'File3': folder + '\\gone.ans;1'},
}
ok = True
for section, keys in expected.items():
    got = dict(ini[section]) if ini.has_section(section) else {}
    if got != keys:
        print(f'[{section}] is {got}, expected {keys}')
        ok = False
sys.exit(0 if ok else 1)
PY

# --- "/c /i": OK installs the program as the screensaver.
bb_start "$SAVER" /c /i
saver=$BB_PID
bb_wait_window '#32770' 'Configure Screensaver' 30000
dialog=$BB_HWND
# A click on OK (Enter while the list has the focus would open the entry).
bb_wd post "$(control 1)" BM_CLICK 0 0 >/dev/null
bb_expect_exit "$saver" 0 30
installed=$(/usr/bin/python3 - "$WINDOWS_DIR/system.ini" <<'PY'
import configparser, sys
ini = configparser.ConfigParser(strict=False, interpolation=None)
ini.optionxform = str
ini.read(sys.argv[1], encoding='latin-1')
print(ini.get('boot', 'SCRNSAVE.EXE', fallback='(none)'))
PY
)
bb_expect_eq "SCRNSAVE.EXE in SYSTEM.INI" "$(winpath_of "$SAVER")" "$installed"
echo "screensaver settings checks passed"
