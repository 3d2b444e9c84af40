#!/usr/bin/env bash
# Configures and builds into build/: with no arguments everything (build/ledgxfer,
# build/ledgxfer-batch, the tests), else only the targets named (and what they need),
# e.g. scripts/build.sh ledgxfer ledgxfer-batch.
set -euo pipefail
cd "$(dirname "$0")/.."
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build "${generator[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
# LEDGXFER_WERROR=ON (scripts/test.sh sets it) builds with warnings as errors; the
# setting stays in build/ until it is given again.
if [ -n "${LEDGXFER_WERROR:-}" ]; then
  cmake -S . -B build -DLEDGXFER_WERROR="$LEDGXFER_WERROR" >/dev/null
fi
targets=()
if [ $# -gt 0 ]; then targets=(--target "$@"); fi
cmake --build build --parallel "$(nproc)" "${targets[@]}"
