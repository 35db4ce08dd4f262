#!/usr/bin/env bash
# The main job: build the Windows deliverables and the sample kit, prepare the
# Wine prefix with the sample printers, and ask the sample printer for its
# status through monicore.dll. Installs what is missing first and leaves
# nothing running.
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
echo "== preparing the Wine prefix and installing the sample printers (first time about 15 s)"
scripts/wine-env build/windows start || exit 1

run() { echo; printf "$ ./monictl"; printf " %q" "$@"; echo; ./monictl "$@"; }
run --version || exit 1
run exports || exit 1
run status "TALMER Sample Printer" || exit 1
run status "TALMER Sample Printer" --json || exit 1
