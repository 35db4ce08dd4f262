#!/usr/bin/env bash
# The CPU time a running program spends over a period, read from /proc: for a
# Windows program under Wine, the Linux process that runs it (all its threads)
# and, beside it, the wine server of the same prefix, which does the
# registry, timer and message work for every program of that prefix (so its
# share is the program's only when nothing else runs there).
#
#   cpu_share.sh [--settle S] SECONDS PID|TEXT
#
# TEXT picks the Wine process whose command line contains it (for instance
# "monitray.exe"; the newest when several match). After S seconds of settling
# (default 0) the program is measured for SECONDS. Prints one line:
#   <command> (pid P): C s of CPU in SECONDS s = X % of a core; wine server: W s (Y %)
# and exits 1 when the process is not found or ends before the period is over.
set -u
settle=0
if [ "${1:-}" = "--settle" ]; then settle=${2:?settle seconds}; shift 2; fi
period=${1:?usage: cpu_share.sh [--settle S] SECONDS PID|TEXT}
target=${2:?usage: cpu_share.sh [--settle S] SECONDS PID|TEXT}

is_wine() {
  case "$(readlink "/proc/$1/exe" 2>/dev/null)" in */wine64 | */wine | */wine64-preloader | */wine-preloader) return 0 ;; esac
  return 1
}

# The newest Wine process whose command line holds the text.
find_process() {
  local pid found=""
  for pid in $(ls /proc | grep -E '^[0-9]+$' | sort -n); do
    [ "$pid" = "$$" ] && continue
    is_wine "$pid" || continue
    tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qF -- "$1" && found=$pid
  done
  echo "$found"
}

# The time a process has run, in nanoseconds: the sum over its threads of the
# scheduler's run time (exact, where the user and system times of its stat
# line come in clock ticks of 10 ms). A thread that ends within the period
# takes its time with it; the programs measured here keep their threads.
cpu_ns() {
  local task sum=0 run rest
  [ -d "/proc/$1/task" ] || return 1
  for task in /proc/"$1"/task/*; do
    read -r run rest <"$task/schedstat" 2>/dev/null || continue
    sum=$((sum + run))
  done
  echo "$sum"
}

# The wine server of the prefix the process runs in.
find_server() {
  local prefix pid
  prefix=$(tr '\0' '\n' <"/proc/$1/environ" 2>/dev/null | sed -n 's/^WINEPREFIX=//p')
  for pid in $(pgrep -x wineserver; pgrep -x wineserver64); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix"; then
      echo "$pid"
      return
    fi
  done
}

case "$target" in
  *[!0-9]* | '') pid=$(find_process "$target") ;;
  *) pid=$target ;;
esac
if [ -z "$pid" ] || [ ! -d "/proc/$pid" ]; then
  echo "cpu_share: no process for \"$target\"" >&2
  exit 1
fi
server=$(find_server "$pid")
[ "$server" = "$pid" ] && server=""  # measuring the server itself
sleep "$settle"
start=$(cpu_ns "$pid") || { echo "cpu_share: process $pid ended" >&2; exit 1; }
server_start=0
[ -n "$server" ] && server_start=$(cpu_ns "$server" || echo 0)
sleep "$period"
end=$(cpu_ns "$pid") || { echo "cpu_share: process $pid ended before the period was over" >&2; exit 1; }
server_end=0
[ -n "$server" ] && server_end=$(cpu_ns "$server" || echo 0)
# The name goes through the environment: awk would read the backslashes of a
# Windows path in a -v value as escapes.
NAME=$(tr '\0' ' ' <"/proc/$pid/cmdline" | sed 's/ *$//' | cut -c1-70) \
  awk -v p="$pid" -v c=$((end - start)) -v w=$((server_end - server_start)) -v s="$period" -v ws="${server:+1}" \
  'BEGIN { printf "%s (pid %s): %.3f s of CPU in %s s = %.3f %% of a core", ENVIRON["NAME"], p, c / 1e9, s, 100 * c / 1e9 / s
           if (ws) printf "; wine server: %.3f s (%.3f %%)", w / 1e9, 100 * w / 1e9 / s
           printf "\n" }'
