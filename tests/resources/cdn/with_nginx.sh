#!/usr/bin/env bash
# Runs one Windows test program against a private nginx on a free loopback port, then stops it.
#   with_nginx.sh PROGRAM.exe [args...]
# The program is run through scripts/wine-run and learns the CDN from its environment:
#   TROVAN_CDN_URL         http://127.0.0.1:PORT/ (serves TROVAN_CDN_ROOT; /slow/ serves the same
#                          tree at 256 KiB/s per connection)
#   TROVAN_CDN_ROOT        Windows path of the served folder, which the program fills itself
#   TROVAN_CDN_ACCESS_LOG  Windows path of the access log: request|Range|status|bytes per line
set -u
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../../.." && pwd)
. "$here/nginx_fixture.sh"

dir=$(mktemp -d /tmp/trovan-cdn.XXXXXX)
cleanup() {
  nginx_stop
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

nginx_start "$dir" || exit 1

winpath() { echo "Z:${1//\//\\}"; }
export TROVAN_CDN_URL="http://127.0.0.1:$NGINX_PORT/"
export TROVAN_CDN_ROOT=$(winpath "$dir/www")
export TROVAN_CDN_ACCESS_LOG=$(winpath "$dir/access.log")
"$repo/scripts/wine-run" "$@"
rc=$?
if [ $rc != 0 ] && [ -s "$dir/error.log" ]; then
  echo "with_nginx: nginx error log:" >&2
  tail -n 20 "$dir/error.log" >&2
fi
exit $rc
