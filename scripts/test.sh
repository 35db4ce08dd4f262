#!/usr/bin/env bash
# Every test: the portable core natively (AddressSanitizer + UBSan), the
# Windows build under Wine, and short runs of the fuzz targets. Installs what
# is missing first. Leaves nothing running, also when a test fails or hangs.
#
#   scripts/test.sh [native|windows|fuzz ...]     (default: all three)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/deps.sh" || exit 1

flavours=("$@")
[ ${#flavours[@]} -gt 0 ] || flavours=(native windows fuzz)
jobs=$(nproc 2>/dev/null || echo 2)

cleanup() { [ -d build/windows ] && scripts/wine-env build/windows stop; }
trap cleanup EXIT
trap 'exit 130' INT TERM

passed=0 failed=0 status=0
for f in "${flavours[@]}"; do
  echo "== $f: configure and build"
  if ! { cmake --preset "$f" >"build-$f.log" 2>&1 && cmake --build --preset "$f" -j "$jobs" >>"build-$f.log" 2>&1; }; then
    tail -n 40 "build-$f.log"
    echo "== $f: build FAILED (whole log: build-$f.log)"
    status=1
    continue
  fi
  rm -f "build-$f.log"
  echo "== $f: tests"
  out=$(mktemp)
  ctest --preset "$f" 2>&1 | tee "$out"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  # "NN% tests passed, F tests failed out of T"
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$out" | tail -n 1)
  if [ -n "$line" ]; then
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  else
    status=1
  fi
  rm -f "$out"
done

echo
echo "all: $passed passed, $failed failed"
exit $status
