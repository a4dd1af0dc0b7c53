#!/usr/bin/env bash
# Builds Zarvento Configurator and starts it beside a simulated unit (demo data), so the
# tool can be tried without hardware: pick "Simulated unit (demo)", Open, Log in with 8530.
# A real unit plugged in appears in the same port list. Closing the tool stops the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DZC_BUILD_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
state="${XDG_STATE_HOME:-$HOME/.local/state}/zarvento-configurator"
mkdir -p "$state"
build/bin/zarvento-devsim --link "$state/demo-unit" --preset demo --image "$state/demo-unit.img" \
  --publish demo --baud 115200 >/dev/null &
sim=$!
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$state/demo-unit" ] && break; sleep 0.1; done
build/bin/zarvento-configurator "$@"
