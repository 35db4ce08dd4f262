#!/usr/bin/env bash
# The idle cost of the long-running programs, each measured with cpu_share.sh
# over the same period after a few seconds of settling:
# - the wine server with nothing of ours running (the floor: Wine's own
#   services of the prefix);
# - monitray for "TALMER Sample Printer" (its checks every 3 s);
# - monictl watch of the same printer at a 2 s interval.
#
#   bench/win/bench_idle.sh [SECONDS]      default 60; the windows tree must be built
#
# Starts the tree's Wine runtime and stops it again at the end.
set -u
period=${1:-60}
settle=5
root=$(cd "$(dirname "$0")/../.." && pwd)
tree="$root/build/windows"
run="$tree/wine/run"
share="$root/bench/win/cpu_share.sh"
printer="TALMER Sample Printer"
tray='C:\windows\system32\spool\drivers\x64\3\monitray.exe'
[ -x "$run" ] && [ -f "$tree/bin/monictl.exe" ] || { echo "bench_idle: build the windows tree first" >&2; exit 2; }

"$root/scripts/wine-env" "$tree" start || exit 1
trap '"$root/scripts/wine-env" "$tree" stop' EXIT

# Whatever the start left running (the kit installer, cmd) ends first.
sleep "$settle"
server=""
for pid in $(pgrep -x wineserver64; pgrep -x wineserver); do
  tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$tree/wine/prefix" && server=$pid
done
[ -n "$server" ] || { echo "bench_idle: no wine server of $tree" >&2; exit 1; }
echo "prefix idle:"
"$share" "$period" "$server" | sed 's/^/  /'

rc=0
"$run" "$tray" /P "$printer" </dev/null >/dev/null 2>&1 &
sleep 2
echo "monitray:"
"$share" --settle "$settle" "$period" monitray.exe | sed 's/^/  /' || rc=1
"$run" "$tray" /R /P "$printer" </dev/null >/dev/null 2>&1
wait

# Enough polls to outlast the settling and the period; the watch ends by itself.
polls=$(((settle + period) / 2 + 3))
"$root/monictl" watch "$printer" --interval 2 --count "$polls" </dev/null >/dev/null 2>&1 &
sleep 2
echo "monictl watch, 2 s interval:"
"$share" --settle "$settle" "$period" monictl.exe | sed 's/^/  /' || rc=1
wait
exit "$rc"
