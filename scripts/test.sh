#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer, runs every test and
# a short run of each fuzz target. The Debian packages are built and checked by
# scripts/package.sh, which CI runs after this.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
# ccache, with paths taken relative to the checkout, lets a second clone reuse the objects
# built for the first.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
fi
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DZC_SANITIZE=ON "${launcher[@]}" >/dev/null
cmake --build build-asan -j"$(nproc)"
cd build-asan
ctest --output-on-failure -j2 --timeout 300
cd ..
# A few seconds of each fuzz target as a smoke test; scripts/fuzz.sh runs them longer.
bash scripts/fuzz.sh 5
