#!/usr/bin/env bash
# Installs Lorvane from source for the current user (into ~/.local, or the
# prefix given): installs what building needs, builds a release and puts
# the programs, the desktop entry, the icon and the manual pages in place.
#   scripts/install.sh            into ~/.local
#   scripts/install.sh PREFIX     into PREFIX
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=${1:-$HOME/.local}

scripts/setup.sh run
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build build/release >/dev/null
cmake --install build/release --prefix "$prefix" --strip >/dev/null
echo "Installed into $prefix. Start the dialog with: $prefix/bin/Lorvane"
echo "(or \"Lorvane\" from your desktop's menu; $prefix/bin must be on PATH for the menu entry)."
