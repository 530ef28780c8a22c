#!/usr/bin/env bash
# Benchmark of a fresh game install from a CDN: qxupdate.exe (under Wine) against curl with three
# parallel connections on the same merged byte ranges plus a zlib inflater, on a synthetic game
# of about 2,000 files and 512 MiB served by nginx on loopback. Runs the updater as built (1024-
# byte reads) and from a second build folder with TROVAN_HTTP_READ_SIZE=65536.
#   bench/cdn_update_bench.sh [--mib 512] [--files 2000] [--work /tmp/trovan-bench]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
mib=512
files=2000
work=/tmp/trovan-bench
while [ $# -gt 0 ]; do
  case $1 in
    --mib) mib=$2; shift 2 ;;
    --files) files=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    *) echo "usage: $0 [--mib N] [--files N] [--work DIR]" >&2; exit 64 ;;
  esac
done

cd "$repo"
# The default build, and a second folder for the 64 KiB read size (only the two tools).
[ -f build/CMakeCache.txt ] || cmake --preset default >/dev/null
cmake --build build --target qxpack qxupdate >/dev/null
if [ ! -f build-read64k/CMakeCache.txt ]; then
  cmake --preset default -B build-read64k -DTROVAN_HTTP_READ_SIZE=65536 -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build build-read64k --target qxupdate >/dev/null

. "$repo/tests/resources/cdn/nginx_fixture.sh"
rm -rf "$work"
mkdir -p "$work"
trap 'nginx_stop' EXIT
nginx_start "$work"
export WINEPREFIX=$repo/build/wineprefix

python3 "$repo/bench/cdn_update_bench.py" --work "$work" --port "$NGINX_PORT" --mib "$mib" --files "$files" \
  --qxpack "$repo/build/bin/qxpack.exe" \
  --updater "read 1024=$repo/build/bin/qxupdate.exe" \
  --updater "read 65536=$repo/build-read64k/bin/qxupdate.exe" \
  --wine-run "$repo/scripts/wine-run"
