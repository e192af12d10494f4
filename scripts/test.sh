#!/usr/bin/env bash
# Installs what is missing, builds Lorvane for POSIX and for Windows, and
# runs the whole test suite: natively, then the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh test

echo "== POSIX build"
cmake -S . -B build/posix -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLORVANE_WERROR=ON >/dev/null
cmake --build build/posix
echo "== POSIX tests"
ctest --test-dir build/posix --output-on-failure

echo "== Windows build (MinGW-w64)"
cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORVANE_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/win32

echo "== Windows tests under Wine"
# A registry of its own for this run, never the user's Wine prefix.
WINEPREFIX=$(mktemp -d /tmp/lorvane-wine-XXXXXX)
export WINEPREFIX WINEDEBUG=-all LORVANE_SCRATCH_REGISTRY=1
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
wineboot -i >/dev/null 2>&1 || true
ctest --test-dir build/win32 --output-on-failure
