#!/usr/bin/env bash
# Checks that the reference documents every setting the programs read:
# each value name the code defines ("kXxxValue[] = \"Name\"") stands in
# lorvane.ini(5), as does the query slots' pattern.
set -euo pipefail
cd "$(dirname "$0")/.."
page=packaging/lorvane.ini.5
missing=()
for name in $(sed -n 's/.*Value\[\] = "\([A-Za-z0-9]*\)";.*/\1/p' common/*.cpp) Query0 Query199; do
  grep -Eq "^\.B[R]? (.*[ \"])?$name([ ,\"]|\$)" "$page" || missing+=("$name")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "check_docs: $page does not describe: ${missing[*]}" >&2
  exit 1
fi
echo "check_docs: every setting is in $page"
