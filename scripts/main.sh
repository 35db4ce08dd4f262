#!/usr/bin/env bash
# The main job: build the Windows deliverables, prepare the Wine prefix and run
# the host tool against them. Installs what is missing first and leaves nothing
# running.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/deps.sh" || exit 1

echo "== building monicore.dll, monitray.exe and monictl.exe (mingw-w64)"
{ cmake --preset windows && cmake --build --preset windows -j "$(nproc)"; } >build-main.log 2>&1 ||
  { tail -n 40 build-main.log; echo "build FAILED (whole log: build-main.log)"; exit 1; }
rm -f build-main.log

trap 'scripts/wine-env build/windows stop' EXIT
trap 'exit 130' INT TERM
echo "== preparing the Wine prefix (first time about 15 s)"
scripts/wine-env build/windows start || exit 1

run() { echo; echo "\$ ./monictl $*"; ./monictl "$@"; }
run --version || exit 1
run exports || exit 1
