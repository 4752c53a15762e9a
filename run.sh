#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop program with the shipped Config.ini.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
corvantide_ensure_packages
# Chinese captions need a CJK font; install one when the system has none.
if ! fc-list :lang=zh 2>/dev/null | grep -q .; then
    corvantide_ensure_packages fonts-wqy-microhei
fi

build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja
cmake --build "$build_dir" -j "$(nproc)"
# The program reads Config.ini beside itself and the dictionaries from the current folder.
cd "$build_dir/bin"
if [ -x ./corvantide ]; then
    exec ./corvantide "$@"
fi
exec ./corvantide-cli help
