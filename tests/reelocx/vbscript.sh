#!/usr/bin/env bash
# A script run by Wine's cscript creates the registered control by its ProgID,
# sets and reads its properties and sees error 53 for a missing file.
set -euo pipefail
source "$(dirname "$0")/ocx_lib.sh"
register
write_fixture
cat >"$WORK/drive.vbs" <<'VBS'
Set player = CreateObject("Zelvo.ZelvoPlayCtrl.1")
WScript.Echo "AutoSize=" & player.AutoSize & " Sound=" & player.Sound & " Status=" & player.Status
player.OriginX = "12"
player.hittest = False
WScript.Echo "OriginX=" & player.OriginX & " HitTest=" & player.HitTest
player.Animation = WScript.Arguments(0)
WScript.Echo "Size=" & player.BkgndWidth & "x" & player.BkgndHeight
On Error Resume Next
player.Animation = "missing.ans"
WScript.Echo "Error=" & Err.Number & " " & Err.Description
Err.Clear
player.BkgndWidth = 5
WScript.Echo "ReadOnly=" & Err.Number
VBS
out=$(wine_run cscript //nologo "$(winpath_of "$WORK/drive.vbs")" "$(winpath_of "$WORK/atl.ans")")
expected="AutoSize=True Sound=1 Status=0
OriginX=12 HitTest=False
Size=160x120
Error=53 The file missing.ans does not exist or is not a valid Zelvo animation file.
ReadOnly=383"
[ "$out" = "$expected" ] || fail "cscript printed
$out
expected
$expected"
echo "vbscript: the script drove the control"
