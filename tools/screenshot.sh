#!/usr/bin/env bash
# Takes a picture of the desktop program's main window in English and in Chinese.
#
#   tools/screenshot.sh [BIN_DIR] [OUT_DIR]
#
# BIN_DIR holds the built `corvantide` (default build/bin), OUT_DIR receives main-window-en.png and
# main-window-zh-cn.png (default docs). The program runs on a private X server (Xvfb) with a copy of
# the shipped Config.ini whose language is set for each picture. Fails when the window does not
# appear.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/deps.sh"
corvantide_ensure_packages xvfb x11-apps x11-utils fonts-wqy-microhei

bin_dir=$(cd "${1:-$root/build/bin}" && pwd)
out_dir=${2:-$root/docs}
mkdir -p "$out_dir"
out_dir=$(cd "$out_dir" && pwd)
work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; fi
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
    if DISPLAY=$display xwininfo -root >/dev/null 2>&1; then break; fi
    sleep 0.1
done

shoot() {
    local language=$1 picture=$2
    local folder="$work/$language"
    mkdir -p "$folder"
    cp "$bin_dir/corvantide" "$folder/"
    sed "s/^language=.*/language=$language/" "$root/data/Config.ini" >"$folder/Config.ini"
    (cd "$folder" && DISPLAY=$display QT_QPA_PLATFORM=xcb exec ./corvantide) >"$work/app.log" 2>&1 &
    app_pid=$!
    local info=""
    for _ in $(seq 100); do
        if info=$(DISPLAY=$display xwininfo -name "Corvantide v1.2" 2>/dev/null); then break; fi
        info=""
        sleep 0.1
    done
    if [ -z "$info" ]; then
        echo "The main window did not appear ($language)." >&2
        cat "$work/app.log" >&2
        exit 1
    fi
    sleep 1 # let the first paint finish
    info=$(DISPLAY=$display xwininfo -name "Corvantide v1.2")
    local x y w h
    x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
    y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
    w=$(awk '/Width:/ {print $2}' <<<"$info")
    h=$(awk '/Height:/ {print $2}' <<<"$info")
    DISPLAY=$display xwd -root -silent >"$work/screen.xwd"
    python3 "$root/tools/xwd2png.py" "$work/screen.xwd" "$out_dir/$picture" "$x" "$y" "$w" "$h"
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
    echo "$out_dir/$picture"
}

shoot en main-window-en.png
shoot zh-cn main-window-zh-cn.png
