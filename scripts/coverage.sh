#!/usr/bin/env bash
# Line and function coverage of src/ by the tests, per subsystem folder and in
# total.  Builds the 64-bit tests with --coverage in build/coverage, runs them
# under Wine as scripts/test.sh does (private display, fresh prefix; the .gcda
# files are written as each test program exits) and summarises with gcovr.
# Not part of scripts/test.sh or CI.
set -u
cd "$(dirname "$0")/.." || exit 1
top=$(pwd)

timeout 1800 bash scripts/setup-tools.sh || exit 1
if ! command -v gcovr >/dev/null 2>&1; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends gcovr >/dev/null ||
    { echo "cannot install gcovr" >&2; exit 1; }
fi

build="$top/build/coverage"
timeout 600 cmake -S . -B "$build" -G "Unix Makefiles" \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="--coverage" -DCMAKE_EXE_LINKER_FLAGS="--coverage" >/dev/null ||
  { echo "configure failed" >&2; exit 1; }
timeout 3600 cmake --build "$build" -j 2 >/dev/null || { echo "build failed" >&2; exit 1; }
find "$build" -name '*.gcda' -delete

. scripts/wine-env.sh
start_fresh_session "$top/build/wine-coverage" || exit 1
# The benchmark is a measurement, not a test: what only it reaches is not covered.
timeout 2400 ctest --test-dir "$build" -E bench_smoke --output-on-failure | tail -3
stop_private_session

summary="$build/coverage-summary.json"
gcovr --gcov-executable x86_64-w64-mingw32-gcov -r "$top" --filter "$top/src/" \
  --object-directory "$build" --json-summary "$summary" >/dev/null 2>&1 ||
  { echo "gcovr failed" >&2; exit 1; }
python3 - "$summary" <<'PY'
import json, sys
files = json.load(open(sys.argv[1]))["files"]
folders = {}
for f in files:
    name = f["filename"].replace("\\", "/")
    parts = name.split("/")
    folder = parts[parts.index("src") + 1] if "src" in parts else "?"
    t = folders.setdefault(folder, [0, 0, 0, 0])
    t[0] += f["line_covered"]; t[1] += f["line_total"]
    t[2] += f["function_covered"]; t[3] += f["function_total"]
def pct(a, b): return 100.0 * a / b if b else 0.0
print(f"{'src/':<12}{'lines':>18}{'functions':>18}")
total = [0, 0, 0, 0]
for folder in sorted(folders):
    t = folders[folder]
    total = [x + y for x, y in zip(total, t)]
    print(f"{folder:<12}{t[0]:>6}/{t[1]:<5}{pct(t[0], t[1]):5.1f}%{t[2]:>6}/{t[3]:<5}{pct(t[2], t[3]):5.1f}%")
print(f"{'total':<12}{total[0]:>6}/{total[1]:<5}{pct(total[0], total[1]):5.1f}%"
      f"{total[2]:>6}/{total[3]:<5}{pct(total[2], total[3]):5.1f}%")
PY
