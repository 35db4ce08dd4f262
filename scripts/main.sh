#!/usr/bin/env bash
# The main job: build the Windows deliverables and the sample kit, prepare the
# Wine prefix with the sample printers, and watch the sample printer through
# monicore.dll while its scenario plays (about 15 s). Installs what is missing
# first and leaves nothing running.
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

# Shows each command as a user would type it, then runs it.
run() {
  echo
  printf '$ ./monictl'
  for arg in "$@"; do
    if [[ $arg == *[[:space:]]* ]]; then printf ' "%s"' "$arg"; else printf ' %s' "$arg"; fi
  done
  echo
  ./monictl "$@"
}
run --version || exit 1
run printers || exit 1

# The sample printer's scenario has seven replies, one per status poll (the
# last one stays): seven polls see them all.
echo
echo "== watching \"TALMER Sample Printer\" as a printer driver's host does: one status poll every"
echo "   2 seconds. Its simulated printer starts ready, prints while the inks drain, warns that"
echo "   the black ink is low, runs out of paper, runs out of black ink, and is ready again"
echo "   once a new black cartridge is in. (Ctrl+C stops a watch; here it ends by itself.)"
run watch "TALMER Sample Printer" --count 7 --interval 2 || exit 1

echo
echo "== done. More: ./monictl --help (for example ./monictl watch \"TALMER Sample Printer\" --json)"
