#!/usr/bin/env bash
# Installs what is missing, builds Lorvane for POSIX and for Windows, and
# runs the whole test suite: natively, again under AddressSanitizer and
# UndefinedBehaviorSanitizer, the fuzz targets for a bounded time, then the
# Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh test

echo "== POSIX build"
cmake -S . -B build/posix -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLORVANE_WERROR=ON >/dev/null
cmake --build build/posix
bash scripts/check_docs.sh
echo "== POSIX tests"
ctest --test-dir build/posix --output-on-failure -j2

echo "== POSIX tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLORVANE_SANITIZE=ON >/dev/null
cmake --build build/asan
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp \
  UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build/asan --output-on-failure -j2

echo "== Fuzzing (libFuzzer, clang)"
bash scripts/fuzz.sh

# Installing touches the machine itself: only on CI's machine, as root.
if [ "${CI:-}" = true ] && [ "$(id -u)" -eq 0 ]; then
  echo "== The Debian package, installed, used and removed"
  bash scripts/package_check.sh
fi

echo "== Windows build (MinGW-w64)"
cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORVANE_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/win32
cmake --build build/win32 --target installer

echo "== Windows tests under Wine"
fail() { echo "test: $*" >&2; exit 1; }
# Wine's 64-bit loader, the one the build's tests run with, in a 64-bit
# prefix: no 32-bit program is started, so the stage works on machines that
# run none, whether or not wine32 is installed.
WINELOADER=$(sed -n 's/^LORVANE_WINE_LOADER:FILEPATH=//p' build/win32/CMakeCache.txt)
[ -x "$WINELOADER" ] || fail "no Wine loader for 64-bit programs was found (Debian: apt-get install wine64)"
# A registry of its own for this run, never the user's Wine prefix.
WINEPREFIX=$(mktemp -d /tmp/lorvane-wine-XXXXXX)
# No Mono or Gecko installer prompts in a fresh prefix: nothing here needs them.
export WINELOADER WINEPREFIX WINEARCH=win64 WINEDEBUG=-all LORVANE_SCRATCH_REGISTRY=1 \
  WINEDLLOVERRIDES="mscoree=;mshtml="
helper_pids=()
cleanup() {
  for pid in "${helper_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  # The server writes the registry out as it ends: wait for that before
  # the prefix is removed.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
# wineboot returns before the new prefix is ready; wait for it to settle.
# (In a 64-bit prefix it warns that syswow64\rundll32.exe is missing: harmless.)
"$WINELOADER" wineboot -i > "$WINEPREFIX/wineboot.log" 2>&1 ||
  { cat "$WINEPREFIX/wineboot.log" >&2; fail "wineboot could not make the Wine prefix $WINEPREFIX"; }
wineserver -w || fail "wineserver did not finish setting up $WINEPREFIX"
# Prints the port a stand-in started in the background says it listens on;
# fails, naming the stand-in, when it ends or says nothing for 10 seconds.
port_of() { # name, port file, pid
  for _ in $(seq 100); do
    if [ -s "$2" ]; then awk '{print $2}' "$2"; return 0; fi
    kill -0 "$3" 2>/dev/null || break
    sleep 0.1
  done
  fail "$1 did not start (see its output above)"
}
# An E-utilities stand-in for the Windows runner's end-to-end test.
python3 tests/standin/eutils_standin.py --scenario tests/win32/standin_scenario.json \
  --log "$WINEPREFIX/standin.log" --lifetime 900 > "$WINEPREFIX/standin.port" &
helper_pids+=($!)
port=$(port_of "the E-utilities stand-in" "$WINEPREFIX/standin.port" $!)
export LORVANE_WINE_STANDIN_URL=http://127.0.0.1:$port
# An SMTP submission server (STARTTLS, AUTH) with a certificate for
# "localhost" made now, for the Windows runner's mail.
smtp_folder="$WINEPREFIX/smtp"
mkdir -p "$smtp_folder/store"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$smtp_folder/key.pem" -out "$smtp_folder/cert.pem" \
  -days 2 -subj /CN=localhost -addext subjectAltName=DNS:localhost 2>/dev/null ||
  fail "openssl could not make the test certificate"
/usr/bin/python3 tests/standin/smtp_submission.py --store "$smtp_folder/store" --cert "$smtp_folder/cert.pem" \
  --key "$smtp_folder/key.pem" --user reader --password 's3cret pass' --lifetime 900 > "$smtp_folder/port" &
helper_pids+=($!)
port=$(port_of "the SMTP submission stand-in" "$smtp_folder/port" $!)
export LORVANE_WINE_SMTP_PORT=$port
export LORVANE_WINE_SMTP_FOLDER="Z:${smtp_folder//\//\\}"
# Microsoft's sign-in service stood in, for "Sign in...".
python3 tests/standin/oauth_standin.py --log "$WINEPREFIX/oauth.log" --lifetime 900 > "$WINEPREFIX/oauth.port" &
helper_pids+=($!)
port=$(port_of "the sign-in stand-in" "$WINEPREFIX/oauth.port" $!)
export LORVANE_WINE_OAUTH_URL=http://127.0.0.1:$port
# The Win32 dialogs need a display: a virtual one. Every test case is a
# Wine process of its own. Wine's helper processes (services, the desktop)
# stay up while a console program waits on a pipe, and they are started
# first by a run of the tests' own program whose output goes nowhere: a
# helper started by a case would hold that case's output open, and ctest
# would wait for it. A case that hangs all the same is stopped by the time
# limit.
mkfifo "$WINEPREFIX/keep"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  fail() { echo "test: $*" >&2; exit 1; }
  # Whether this prefix runs a cmd.exe: Wine starts it as a process of its
  # own, told from those of other prefixes by its environment.
  prefix_runs_cmd() {
    for pid in $(pgrep -f "system32.cmd\.exe"); do
      tr "\0" "\n" < "/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
    done
    return 1
  }
  "$WINELOADER" cmd.exe < "$WINEPREFIX/keep" > /dev/null 2>&1 &
  exec 9> "$WINEPREFIX/keep"
  for _ in $(seq 100); do prefix_runs_cmd && break; sleep 0.1; done
  prefix_runs_cmd || fail "Wine did not start cmd.exe in $WINEPREFIX"
  "$WINELOADER" build/win32/tests/unit_tests.exe --gtest_list_tests < /dev/null > /dev/null 2>&1 ||
    fail "Wine could not run build/win32/tests/unit_tests.exe"
  # Lorvane installed as a user would, for the test of the installed program.
  "$WINELOADER" build/win32/Lorvane-setup.exe /S < /dev/null > /dev/null 2>&1 ||
    fail "Lorvane-setup.exe /S ended with status $?"
  test -f "$WINEPREFIX/drive_c/Program Files/Lorvane!/Lorvane.exe" ||
    fail "Lorvane-setup.exe installed nothing"
  export LORVANE_WINE_INSTALLED=1 LORVANE_WINE_SETUP="Z:${PWD//\//\\}\\build\\win32\\Lorvane-setup.exe"
  status=0
  ctest --test-dir build/win32 --output-on-failure --timeout 300 || status=$?
  exec 9>&-
  exit $status'
