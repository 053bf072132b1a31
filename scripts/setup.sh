#!/usr/bin/env bash
# Installs what Dravik needs, builds it into build/ and runs the main job
# (scripts/demo.sh: the sample database cloned through the embedded engine).
# DRAVIK_BUILD_DIR and CMAKE_BUILD_PARALLEL_LEVEL change the folder and the
# number of build jobs.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${DRAVIK_BUILD_DIR:-build}
bash scripts/install-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --parallel "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
DRAVIK_CLONE="$(cd "$build" && pwd)/dravik-clone" bash scripts/demo.sh
