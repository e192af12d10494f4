#!/usr/bin/env bash
# Builds the Debian package and tries it as a new user would: installs it
# with dpkg, runs the installed tessory, takes the installed Lorvane through
# one "Save and exit" under Xvfb (keys typed with xdotool; a stand-in
# crontab and a scratch home, never the real ones), checks the job it
# scheduled, and removes the package. Needs root; CI runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build build/package --target package >/dev/null
deb=$(ls build/package/lorvane_*_amd64.deb)
echo "package: $deb"
dpkg-deb -f "$deb" Depends

if dpkg-query -W -f='${Status}' lorvane 2>/dev/null | grep -q 'install ok installed'; then
  echo "package_check: lorvane is installed on this machine already; not touching it" >&2
  exit 1
fi
dpkg -i "$deb" >/dev/null
scratch=$(mktemp -d /tmp/lorvane-package-XXXXXX)
system_path=/usr/sbin:/usr/bin:/sbin:/bin
cleanup() { PATH=$system_path dpkg -r lorvane >/dev/null 2>&1 || true; rm -rf "$scratch"; }
trap cleanup EXIT

test "$(/usr/bin/tessory --version)" = "tessory (Lorvane) 1.0.0.1"
test "$(/usr/bin/Lorvane --version)" = "Lorvane 1.0.0.1"
test -f /usr/share/applications/lorvane.desktop
test -f /usr/share/man/man1/tessory.1
test -f /usr/share/man/man5/lorvane.ini.5

# A first start of the installed dialog: Enter saves the defaults (weekly),
# then two message boxes are answered with Enter.
mkdir -p "$scratch/bin" "$scratch/home"
ln -s "$top/tests/standin/crontab_standin.sh" "$scratch/bin/crontab"
export HOME=$scratch/home XDG_CONFIG_HOME= XDG_DATA_HOME= XDG_STATE_HOME=
export LORVANE_TEST_CRONTAB_FILE=$scratch/crontab PATH=$scratch/bin:/usr/bin:/bin
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  /usr/bin/Lorvane > "$1/Lorvane.out" 2>&1 &
  dialog=$!
  for title in "Lorvane! Configuration Dialog" "Lorvane" "Lorvane"; do
    window=$(xdotool search --sync --onlyvisible --name "^$title\$" | tail -1)
    sleep 0.5
    xdotool windowfocus --sync "$window" key Return
    sleep 0.5
  done
  wait $dialog' _ "$scratch"

job=$(grep "exec '/usr/bin/tessory'" "$scratch/crontab") || {
  echo "package_check: no job for /usr/bin/tessory in the crontab:" >&2
  cat "$scratch/crontab" "$scratch/Lorvane.out" >&2
  exit 1
}
# A chance every hour, at the saved minute; the runner decides which is due.
case "$job" in
  [0-9]*" * * * * [ -x '/usr/bin/tessory' ] || exit 0; cd "*" && exec '/usr/bin/tessory' --scheduled >/dev/null 2>&1") ;;
  *) echo "package_check: the job is not hourly, not guarded or not silent: $job" >&2; exit 1 ;;
esac
test -d "$scratch/home/.local/share/Lorvane"
test -f "$scratch/home/.config/Lorvane/Lorvane.ini"
PATH=$system_path dpkg -r lorvane >/dev/null
test ! -e /usr/bin/tessory
# Removed without "Turn off": the job left in the crontab does nothing, quietly.
command=$(printf '%s\n' "$job" | cut -d' ' -f6-)
said=$(sh -c "$command" 2>&1) || { echo "package_check: the job fails without its runner" >&2; exit 1; }
test -z "$said"
echo "package_check: installed, scheduled '$job', removed; the job then does nothing"
