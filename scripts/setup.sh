#!/usr/bin/env bash
# Installs the Debian packages that Lorvane needs and that are missing.
#   scripts/setup.sh run    what building and running the programs needs
#   scripts/setup.sh test   that, plus the test suite and the Windows build
#   scripts/setup.sh readers  the mail readers that scripts/mail_readers.sh shows a digest in
set -euo pipefail

run_packages=(g++ cmake ninja-build pkg-config libcurl4-openssl-dev qt6-base-dev python3)
# The Windows tests are 64-bit throughout: wine64, and no wine32 or i386.
test_packages=(libgtest-dev msmtp cron xvfb xauth g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64
               clang libclang-rt-14-dev dpkg-dev xdotool nsis cmark-gfm python3-aiosmtpd openssl)

reader_packages=(chromium thunderbird neomutt bibutils imagemagick xdotool xvfb xauth tmux)

case "${1:-}" in
  run) wanted=("${run_packages[@]}") ;;
  readers) wanted=("${run_packages[@]}" "${reader_packages[@]}") ;;
  test) wanted=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 run|test|readers" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
# The Windows build's libcurl comes from Debian's curl source package.
fetch_curl_source() {
  if [ "${1:-}" = test ]; then bash "$(dirname "$0")/curl_source.sh" >/dev/null; fi
}
if [ ${#missing[@]} -eq 0 ]; then
  fetch_curl_source "$1"
  exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  as_root=(sudo)
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fetch_curl_source "$1"
