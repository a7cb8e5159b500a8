#!/usr/bin/env bash
# The registered control in Wine's ATL host window, and "SRC" fetched from a
# web server on 127.0.0.1 that this script starts and stops. $3 is
# ZelvoPlayInteropTests.exe.
set -euo pipefail
source "$(dirname "$0")/ocx_lib.sh"
TESTS=$3
register
write_fixture
mkdir -p "$WORK/site"
(cd "$WORK" && zip -q -j site/dl.anx atl.ans dot.bmx)
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
port=$(free_port)
dead=$(free_port)  # nothing listens there
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$WORK/site" >"$WORK/server.log" 2>&1 &
server=$!
stop_server() {
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  cleanup
}
trap stop_server EXIT
# Wait (up to 20 s) until the server answers.
for _ in $(seq 1 100); do
  python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/dl.anx', timeout=1)" \
    2>/dev/null && break
  sleep 0.2
done
ZELVO_FIXTURE_DIR=$(winpath_of "$WORK") ZELVO_SRC_URL="http://127.0.0.1:$port/dl.anx" \
  ZELVO_DEAD_URL="http://127.0.0.1:$dead/dl.anx" \
  "$ZELVO_WINE" "$TESTS" </dev/null
