#!/usr/bin/env bash
# Runs every test: installs what is needed, starts the Firebird server on
# 127.0.0.1 (the remote tests use it), builds everything into build/ (the Qt
# wizard too) and runs ctest. DRAVIK_BUILD_DIR and CMAKE_BUILD_PARALLEL_LEVEL
# change the folder and the number of build jobs.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${DRAVIK_BUILD_DIR:-build}
bash scripts/install-deps.sh
bash scripts/start-server.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRAVIK_WERROR=ON
cmake --build "$build" --parallel "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
# The wizard's tests need no display.
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
cd "$build"
ctest --output-on-failure
