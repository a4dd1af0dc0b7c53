#!/usr/bin/env bash
# Builds Zarvento Configurator and starts it beside a simulated unit (demo data), so the
# tool can be tried without hardware: pick "Simulated unit (demo)", Open, Log in with 8530.
# A real unit plugged in appears in the same port list. Closing the tool stops the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
# Only the three programs it starts, on every core, with precompiled Qt headers; ccache
# (allowed to cache files built with those headers) makes a build from scratch take seconds
# once it has built them.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  pch=pch_defines,time_macros,include_file_mtime,include_file_ctime
  export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:+$CCACHE_SLOPPINESS,}$pch"
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DZC_BUILD_TESTS=OFF -DZC_BUILD_BENCH=OFF \
  -DZC_PRECOMPILE_HEADERS=ON "${launcher[@]}" >/dev/null
cmake --build build -j"$(nproc)" --target zarvento-configurator zarvento-devsim zarvento-xls-read
state="${XDG_STATE_HOME:-$HOME/.local/state}/zarvento-configurator"
mkdir -p "$state"
build/bin/zarvento-devsim --link "$state/demo-unit" --preset demo --image "$state/demo-unit.img" \
  --publish demo --baud 115200 >/dev/null &
sim=$!
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$state/demo-unit" ] && break; sleep 0.1; done
build/bin/zarvento-configurator "$@"
