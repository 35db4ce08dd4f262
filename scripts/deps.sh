#!/usr/bin/env bash
# Installs what building, running and testing need, on Debian 12 (as root, or
# through sudo). Only missing packages are installed; with everything present
# this does nothing and asks no registry.
set -euo pipefail

packages=(
  # native build, portable-core tests, fuzzing
  cmake ninja-build g++ clang libclang-rt-14-dev googletest libbenchmark-dev
  # Windows cross-build
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  # Windows runtime for tests and the main job
  wine64 fonts-wine xvfb xauth imagemagick
  # the SNMP agent the network printers are tested against, and its probe
  snmpd snmp
  # the scripts themselves
  util-linux coreutils findutils grep sed
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
