#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test,
# then builds the two Debian packages and checks them with lintian.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DZC_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$(nproc)"
cd build-asan
ctest --output-on-failure -j2 --timeout 300
cd ..
# A few seconds of each fuzz target as a smoke test; scripts/fuzz.sh runs them longer.
bash scripts/fuzz.sh 5
# The two Debian packages, built in Release and checked with lintian, which must print nothing.
bash scripts/package.sh
