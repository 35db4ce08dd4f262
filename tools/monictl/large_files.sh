#!/usr/bin/env bash
# Test files at the size limits of monictl's readers, into the folder $1: a
# setup data file (the sample setup data file $2, padded with zero bytes) and a
# parameter file ("/P "Largest"" in UTF-16, padded likewise), each exactly at
# its limit and one byte over it. The padding adds nothing the readers take.
set -eu
out=$1
sample=$2
mkdir -p "$out"
setup_limit=$((16 * 1024 * 1024))
params_limit=$((1024 * 1024))
cp "$sample" "$out/setup_limit.dat"
truncate -s "$setup_limit" "$out/setup_limit.dat"
cp "$out/setup_limit.dat" "$out/setup_over.dat"
truncate -s $((setup_limit + 1)) "$out/setup_over.dat"
printf '/\0P\0 \0"\0L\0a\0r\0g\0e\0s\0t\0"\0' >"$out/params_limit.par"
truncate -s "$params_limit" "$out/params_limit.par"
cp "$out/params_limit.par" "$out/params_over.par"
truncate -s $((params_limit + 1)) "$out/params_over.par"
