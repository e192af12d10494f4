#!/usr/bin/env bash
# Installs what is missing, builds Lorvane and runs the alert runner once,
# the way the scheduler starts it: in its data folder, with no argument.
#
#   scripts/run.sh          a demonstration without network: sample settings
#                           in a temporary home, the E-utilities stand-in with
#                           sample records; shows the digest it produced
#   scripts/run.sh --real   your own settings against PubMed
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

scripts/setup.sh run
echo "== building" >&2
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build build/release >/dev/null
tessory=$top/build/release/tessory

if [ "${1:-}" = "--real" ]; then
  config_home=${XDG_CONFIG_HOME:-$HOME/.config}
  case "$config_home" in /*) ;; *) config_home=$HOME/.config ;; esac
  data_home=${XDG_DATA_HOME:-$HOME/.local/share}
  case "$data_home" in /*) ;; *) data_home=$HOME/.local/share ;; esac
  if [ ! -f "$config_home/Lorvane/Lorvane.ini" ]; then
    echo "run: no settings in $config_home/Lorvane/Lorvane.ini yet; tessory will end at once." >&2
  fi
  mkdir -p "$data_home/Lorvane"
  cd "$data_home/Lorvane"
  echo "== running $tessory in $PWD" >&2
  exec "$tessory"
fi

demo=$(mktemp -d /tmp/lorvane-demo-XXXXXX)
standin_pid=
cleanup() { [ -n "$standin_pid" ] && kill "$standin_pid" 2>/dev/null; true; }
trap cleanup EXIT
mkdir -p "$demo/home/.config/Lorvane" "$demo/home/.local/share/Lorvane" "$demo/bin"
# The demonstration's mail goes to a file, never to this machine's mail
# system: a sendmail of its own comes first on PATH.
printf '#!/bin/sh\ncat > "%s/mail.txt"\n' "$demo" > "$demo/bin/sendmail"
chmod 755 "$demo/bin/sendmail"
cp samples/Lorvane.ini "$demo/home/.config/Lorvane/Lorvane.ini"
chmod 600 "$demo/home/.config/Lorvane/Lorvane.ini"
# An article mailed a month ago and retracted since: the digest opens with it.
mkdir -p "$demo/home/.local/state/Lorvane"
echo "18000006 $(date -d '30 days ago' +%F)" > "$demo/home/.local/state/Lorvane/sent-articles.txt"

python3 tests/standin/eutils_standin.py --scenario samples/scenario.json \
  --log "$demo/requests.log" --lifetime 120 > "$demo/port" &
standin_pid=$!
for _ in $(seq 50); do [ -s "$demo/port" ] && break; sleep 0.1; done
port=$(awk '{print $2}' "$demo/port")
[ -n "$port" ] || { echo "run: the E-utilities stand-in did not start" >&2; exit 1; }

echo "== running tessory against the stand-in on 127.0.0.1:$port (sample settings in $demo/home)" >&2
(cd "$demo/home/.local/share/Lorvane" &&
  HOME=$demo/home XDG_CONFIG_HOME= XDG_DATA_HOME= XDG_STATE_HOME= LORVANE_EUTILS_URL=http://127.0.0.1:$port \
    PATH="$demo/bin:$PATH" "$tessory" > "$demo/console.txt")
echo "== requests the stand-in received:" >&2
cat "$demo/requests.log" >&2
echo "== files beside the digest:" >&2
ls "$demo/home/.local/share/Lorvane" >&2
if [ -s "$demo/mail.txt" ]; then
  echo "== the mail it would have sent (kept in $demo/mail.txt, not sent), its header:" >&2
  sed -n '1,/^\r*$/p' "$demo/mail.txt" >&2
fi
echo "== the run's line in its log ($demo/home/.local/state/Lorvane/tessory.log):" >&2
cat "$demo/home/.local/state/Lorvane/tessory.log" >&2
echo "== the digest ($demo/home/.local/share/Lorvane/debug.html):" >&2
cat "$demo/home/.local/share/Lorvane/debug.html"
echo
