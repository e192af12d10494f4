#!/usr/bin/env bash
# Installs what is missing, builds Lorvane and runs the alert runner once,
# the way the scheduler starts it: in the data folder, with no argument.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh run
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build build/release

config_home=${XDG_CONFIG_HOME:-$HOME/.config}
case "$config_home" in /*) ;; *) config_home=$HOME/.config ;; esac
data_home=${XDG_DATA_HOME:-$HOME/.local/share}
case "$data_home" in /*) ;; *) data_home=$HOME/.local/share ;; esac
if [ ! -f "$config_home/Lorvane/Lorvane.ini" ]; then
  echo "run: no settings in $config_home/Lorvane/Lorvane.ini yet; tessory will end at once." >&2
fi
mkdir -p "$data_home/Lorvane"
tessory=$PWD/build/release/tessory
cd "$data_home/Lorvane"
echo "run: $tessory in $PWD" >&2
exec "$tessory"
