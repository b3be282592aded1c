#!/usr/bin/env bash
# Builds the scan benchmark and runs it once under Wine on a private Xvfb
# display, in a prefix of its own; the trees are made in a temporary folder
# of that prefix and removed afterwards.
#   scripts/bench.sh [--trees reference,large,wide] [--no-breakdown]
#   BUILD_DIR=build/other scripts/bench.sh     build and run from another build folder
set -u
cd "$(dirname "$0")/.." || exit 1
top=$(pwd)

build_dir="${BUILD_DIR:-build/win64}"
case "$build_dir" in /*) ;; *) build_dir="$top/$build_dir" ;; esac

timeout 1800 bash scripts/setup-tools.sh || exit 1
if [ "$build_dir" = "$top/build/win64" ]; then
  timeout 600 cmake --preset win64 >/dev/null || { echo "configure failed" >&2; exit 1; }
elif [ ! -f "$build_dir/CMakeCache.txt" ]; then
  timeout 600 cmake -S . -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || { echo "configure failed" >&2; exit 1; }
fi
timeout 2400 cmake --build "$build_dir" --target pelvanor_bench -j2 || { echo "build failed" >&2; exit 1; }
exe="$build_dir/bench/pelvanor_bench.exe"

export WINEPREFIX="$top/build/wine-bench/prefix"
mkdir -p "$top/build/wine-bench"
. scripts/wine-env.sh

trees="$WINEPREFIX/drive_c/bench-trees"
output="$top/build/wine-bench/output.txt"
cleanup() {
  rm -rf "$trees"
  stop_private_session
}
trap cleanup EXIT

start_private_display || exit 1
prepare_prefix
rm -rf "$trees"

timeout 3000 wine "$exe" --dir 'C:\bench-trees' --keep "$@" >"$output"
status=$?
if [ $status -ne 0 ]; then
  cat "$output"
  echo "the benchmark failed ($status)" >&2
  exit $status
fi

# The outside anchor: the host's own du on the same reference tree, cache warm.
anchor="du -s (native) on the reference tree: not run"
if [ -d "$trees/reference" ]; then
  du -s "$trees/reference" >/dev/null
  start=$(date +%s.%N)
  du -s "$trees/reference" >/dev/null
  end=$(date +%s.%N)
  anchor=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "du -s (native) on the reference tree: %.3f s", e - s }')
fi

# The program's last line stays last.
head -n -1 "$output"
echo "$anchor"
tail -n 1 "$output"
