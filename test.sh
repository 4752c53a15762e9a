#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test through CTest.
# BUILD_DIR and CMAKE_ARGS choose another build (the CI's sanitizer build uses them).
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
corvantide_ensure_packages

build_dir=${BUILD_DIR:-build}
jobs=$(nproc)
read -r -a extra_args <<< "${CMAKE_ARGS:-}"
cmake -S . -B "$build_dir" -G Ninja "${extra_args[@]}"
cmake --build "$build_dir" -j "$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build_dir" --output-on-failure -j "$jobs" --timeout 300
