#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 5) from the seed
# corpus kept in tests/fuzz/corpus; new inputs go to a scratch copy, so the repository's
# corpus stays as committed. A finding stops the run with the fuzzer's report and exit 1.
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-5}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(reply_handler settings_codec device_text devsim_request workbook_reader area_json)
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZC_FUZZ=ON \
  -DZC_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target $(printf 'fuzz_%s ' "${targets[@]}")
for t in "${targets[@]}"; do
  work="build-fuzz/corpus/$t"
  mkdir -p "$work"
  cp -n tests/fuzz/corpus/"$t"/* "$work"/ 2>/dev/null || true
  echo "fuzz_$t: ${seconds} s"
  log="build-fuzz/fuzz_$t.log"
  # Workbooks are whole files of a few kB; the readers must refuse before allocating for a
  # file that lies about its sizes, so one allocation of more than 200 MB counts as a fault.
  limits=(-max_len=2048)
  [ "$t" = workbook_reader ] && limits=(-max_len=65536 -rss_limit_mb=1024 -malloc_limit_mb=200)
  if ! (cd build-fuzz && ASAN_OPTIONS=detect_leaks=0 bin/fuzz_"$t" -max_total_time="$seconds" "${limits[@]}" \
        -print_final_stats=1 "corpus/$t") >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz_$t found a fault (input saved in build-fuzz/)"
    exit 1
  fi
  grep -E "stat::number_of_executed_units" "$log" || true
done
