#!/usr/bin/env bash
# Runs every test: installs what is needed, starts the Firebird server on
# 127.0.0.1 (the remote tests use it), builds everything into build/ (the Qt
# wizard too) with warnings as errors and runs ctest. Then builds the engine,
# the command line and their test programs again under AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/ (the window's suites too, on the
# offscreen platform) and runs those tests once more. DRAVIK_BUILD_DIR, DRAVIK_SANITIZE_BUILD_DIR and
# CMAKE_BUILD_PARALLEL_LEVEL change the folders and the number of build jobs.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${DRAVIK_BUILD_DIR:-build}
sanitized=${DRAVIK_SANITIZE_BUILD_DIR:-$build-asan}
jobs=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
bash scripts/install-deps.sh
bash scripts/start-server.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRAVIK_WERROR=ON
cmake --build "$build" --parallel "$jobs"
# The wizard's tests need no display. ctest's summary stays its last lines
# (without the time per label).
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
ctest --test-dir "$build" --output-on-failure --no-label-summary

# The suites of the engine, the command line and the window again under the
# sanitizers; the options they run with (a report fails the test) are set in
# tests/CMakeLists.txt and tests/wizard/CMakeLists.txt. Warnings are not errors
# here: the instrumentation makes GCC warn falsely.
cmake -S . -B "$sanitized" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRAVIK_SANITIZE=ON -DDRAVIK_WIZARD=ON
cmake --build "$sanitized" --parallel "$jobs" --target test_db test_frames test_engine test_cli test_hostile test_wizard
ctest --test-dir "$sanitized" --output-on-failure --no-label-summary -L '^(db|frames|engine|cli|hostile|wizard)$'
