#!/usr/bin/env bash
# Builds the scan benchmark for both programs (64-bit and 32-bit) and runs
# each once under Wine on a private Xvfb display, in a prefix of its own; the
# trees are made in a temporary folder of that prefix and removed afterwards.
#   scripts/bench.sh [--trees reference,large,wide] [--no-breakdown] [--programs 64,32]
#   BUILD_DIR=build/other scripts/bench.sh     the 64-bit program from another build folder
# The last line is the 64-bit program's "scan/walk reference: R".
set -u
cd "$(dirname "$0")/.." || exit 1
top=$(pwd)

programs="64,32"
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --programs) programs="$2"; shift 2 ;;
    *) args+=("$1"); shift ;;
  esac
done

timeout 1800 bash scripts/setup-tools.sh || exit 1

# Configures and builds one program's benchmark; prints the executable's path.
build_bench() {
  local bits=$1 dir preset toolchain
  if [ "$bits" = 64 ]; then
    preset=win64 toolchain=cmake/mingw-w64-x86_64.cmake dir="${BUILD_DIR:-build/win64}"
  else
    preset=win32 toolchain=cmake/mingw-w64-i686.cmake dir=build/win32
  fi
  case "$dir" in /*) ;; *) dir="$top/$dir" ;; esac
  if [ "$dir" = "$top/build/$preset" ]; then
    timeout 600 cmake --preset "$preset" >/dev/null || { echo "configure failed ($bits-bit)" >&2; return 1; }
  elif [ ! -f "$dir/CMakeCache.txt" ]; then
    timeout 600 cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null ||
      { echo "configure failed ($bits-bit)" >&2; return 1; }
  fi
  timeout 2400 cmake --build "$dir" --target pelvanor_bench -j2 >&2 || { echo "build failed ($bits-bit)" >&2; return 1; }
  echo "$dir/bench/pelvanor_bench.exe"
}

declare -A exes
for bits in ${programs//,/ }; do
  exes[$bits]=$(build_bench "$bits") || exit 1
done

export WINEPREFIX="$top/build/wine-bench/prefix"
mkdir -p "$top/build/wine-bench"
. scripts/wine-env.sh

trees="$WINEPREFIX/drive_c/bench-trees"
cleanup() {
  rm -rf "$trees"
  stop_private_session
}
trap cleanup EXIT

start_private_display || exit 1
prepare_prefix

for bits in ${programs//,/ }; do
  rm -rf "$trees"
  output="$top/build/wine-bench/output-$bits.txt"
  timeout 3000 wine "${exes[$bits]}" --dir 'C:\bench-trees' --keep "${args[@]}" >"$output"
  status=$?
  if [ $status -ne 0 ]; then
    cat "$output"
    echo "the $bits-bit benchmark failed ($status)" >&2
    exit $status
  fi
done

# The outside anchor: the host's own du on the same reference tree, cache warm.
anchor="du -s (native) on the reference tree: not run"
if [ -d "$trees/reference" ]; then
  du -s "$trees/reference" >/dev/null
  start=$(date +%s.%N)
  du -s "$trees/reference" >/dev/null
  end=$(date +%s.%N)
  anchor=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "du -s (native) on the reference tree: %.3f s", e - s }')
fi

last=""
for bits in ${programs//,/ }; do
  output="$top/build/wine-bench/output-$bits.txt"
  echo
  echo "$bits-bit program:"
  head -n -1 "$output"
  [ -z "$last" ] && last=$(tail -n 1 "$output")
done
echo "$anchor"
# The program's last line stays last (the 64-bit one's when both ran).
echo "$last"
