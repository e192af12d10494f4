#!/usr/bin/env bash
# Unpacks Debian's own curl source package into build/third_party, for the
# Windows build's static libcurl (Schannel), and prints its folder. Adds a
# deb-src entry for Debian's archive when apt has none (needs root).
set -euo pipefail
cd "$(dirname "$0")/.."
target=build/third_party
existing=$(ls -d "$target"/curl-*/ 2>/dev/null | head -n 1 || true)
if [ -n "$existing" ] && [ -f "$existing/CMakeLists.txt" ]; then
  echo "${existing%/}"
  exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi
if ! apt-get source --print-uris -qq curl >/dev/null 2>&1; then
  # The same archive and suites as the binary packages, for sources.
  sources=/etc/apt/sources.list.d/lorvane-deb-src.sources
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      "${as_root[@]}" tee "$sources" >/dev/null
  else
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm bookworm-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' |
      "${as_root[@]}" tee "$sources" >/dev/null
  fi
  "${as_root[@]}" apt-get update -qq >&2
fi
mkdir -p "$target"
(cd "$target" && apt-get source -qq curl >&2)
folder=$(ls -d "$target"/curl-*/ | head -n 1)
echo "${folder%/}"
