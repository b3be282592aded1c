#!/usr/bin/env bash
# Builds both targets and runs every test under Wine, on a private Xvfb display
# and in a fresh Wine prefix, so no test depends on the machine's state.
set -u
cd "$(dirname "$0")/.." || exit 1
top=$(pwd)

timeout 1800 bash scripts/setup-tools.sh || exit 1

for preset in win64 win32; do
  timeout 600 cmake --preset "$preset" >/dev/null || { echo "configure $preset failed" >&2; exit 1; }
  timeout 2400 cmake --build --preset "$preset" || { echo "build $preset failed" >&2; exit 1; }
done

. scripts/wine-env.sh
start_fresh_session "$top/build/wine-test" || exit 1

# Both programs run in the one prefix: made after wine32 was installed, it runs
# 32-bit and 64-bit programs side by side. Each ctest prints its own summary.
status=0
for preset in win64 win32; do
  echo "== tests of the $preset build"
  timeout 2400 ctest --test-dir "build/$preset" --output-on-failure || status=1
done
stop_private_session
exit $status
