#!/usr/bin/env bash
# Runs one Windows test program under Wine next to its own fault-injecting HTTP server.
#   run_with_server.sh PROGRAM.exe [ARGS...]
# A Windows program under Wine cannot reliably start and stop a Linux process, so the test's CTest
# entry is this Linux script: it starts tools/fault-server/fault_server.py on a free loopback port
# with a fresh served folder, hands the address to the program through the environment, runs it
# with scripts/wine-run and always stops the server afterwards (also when the run is interrupted;
# the server additionally ends by itself once this script is gone).
#   TROVAN_TEST_SERVER       "127.0.0.1:PORT" of the server
#   TROVAN_TEST_SERVER_ROOT  Linux path of the served folder
# The program's exit status is this script's exit status.
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/trovan-server.XXXXXX")
server_pid=
stop_server() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap stop_server EXIT
trap 'exit 130' INT TERM

python3 "$here/tools/fault-server/fault_server.py" --root "$work/root" --port-file "$work/port" \
  --exit-with-parent >/dev/null 2>"$work/server.log" &
server_pid=$!
for _ in $(seq 200); do
  [ -s "$work/port" ] && break
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.05
done
if [ ! -s "$work/port" ]; then
  echo "run_with_server: the test server did not start" >&2
  cat "$work/server.log" >&2
  exit 1
fi
export TROVAN_TEST_SERVER="127.0.0.1:$(head -n 1 "$work/port")"
export TROVAN_TEST_SERVER_ROOT="$work/root"
"$here/scripts/wine-run" "$@"
status=$?
if [ "$status" -ne 0 ] && [ -s "$work/server.log" ]; then
  echo "run_with_server: server messages:" >&2
  tail -n 50 "$work/server.log" >&2
fi
exit "$status"
