#!/usr/bin/env bash
# The main job: build the Windows deliverables and the sample kit, prepare the
# Wine prefix with the sample printers, and watch the sample printer through
# monicore.dll while its scenario plays (about 15 s). Installs what is missing
# first and leaves nothing running.
#
# With --gui it tells the story with the windows a user meets instead (under a
# minute): on the user's display when DISPLAY is set, else on the tree's
# private display, saving a picture of each step.
set -uo pipefail
gui=0
case "${1:-}" in
  --gui) gui=1 ;;
  "") ;;
  *) echo "usage: scripts/main.sh [--gui]" >&2; exit 2 ;;
esac
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

if [ "$gui" = 1 ]; then
  pictures="$root/build/windows/artifacts/story"
  rm -rf "$pictures"
  echo
  if [ -n "${DISPLAY:-}" ]; then
    echo "== the story with windows, on your display $DISPLAY: each window opens and moves on by itself"
  else
    echo "== the story with windows, on a private display (DISPLAY is not set): each step is saved as a picture"
  fi
  run story --out "$pictures" || exit 1
  echo
  echo "== done. Look at the pictures in $pictures; more: ./monictl --help"
  exit 0
fi

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
