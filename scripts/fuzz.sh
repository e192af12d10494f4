#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (FUZZ_SECONDS, 15 by default) over a seed corpus made from the test
# fixtures. A crash stops the script with the input that caused it, kept in
# build/fuzz/crashes/ to become a regression test.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-15}

CXX=clang++ CC=clang cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLORVANE_FUZZ=ON -DLORVANE_BUILD_TESTS=OFF >/dev/null
targets=(fuzz_record_fields fuzz_search_answer fuzz_settings_file fuzz_citation_file fuzz_mail_message
         fuzz_sign_in_answer)
cmake --build build/fuzz --target "${targets[@]}"

seeds=build/fuzz/seeds
rm -rf "$seeds"
mkdir -p "$seeds"/{fuzz_record_fields,fuzz_search_answer,fuzz_settings_file,fuzz_citation_file,fuzz_mail_message,fuzz_sign_in_answer}
printf '{"device_code":"d","user_code":"AB\\u00e9","interval":5,"error_description":"a\\"b\\nc"}' \
  > "$seeds/fuzz_sign_in_answer/answer.json"
cp tests/fixtures/asn1_* tests/fixtures/medline_* "$seeds/fuzz_record_fields/"
sed 's/^PL  - /PT  - Retracted Publication\nRIN - BMJ. 2026;391:r1. PMID: 7\nPL  - /' tests/fixtures/medline_18000006.txt \
  > "$seeds/fuzz_record_fields/retracted.txt"
cp tests/fixtures/esearch_* "$seeds/fuzz_search_answer/"
cp samples/Lorvane.ini "$seeds/fuzz_settings_file/"
printf '%%A J. A. Smith\n%%A B. Doe\n%%T  A title \n%%D 2007\n%%0 Journal Article\n%%J  J Biol Chem\n%%V 282\n%%P 9475-81\n' \
  > "$seeds/fuzz_citation_file/17284678.enw"
cp tests/fixtures/medline_17284678.txt tests/fixtures/asn1_html_17284678.html "$seeds/fuzz_mail_message/"

mkdir -p build/fuzz/crashes
echo "| target | executions | seconds |"
echo "|---|---|---|"
for target in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus"
  log=build/fuzz/$target.log
  if ! build/fuzz/tests/fuzz/$target -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 \
      -artifact_prefix=build/fuzz/crashes/$target- "$corpus" "$seeds/$target" > "$log" 2>&1; then
    tail -40 "$log" >&2
    echo "fuzz: $target found a failure; the input is in build/fuzz/crashes/" >&2
    exit 1
  fi
  runs=$(grep -o 'Done [0-9]* runs' "$log" | awk '{print $2}')
  echo "| $target | ${runs:-?} | $seconds |"
done
