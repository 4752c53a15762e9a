#!/usr/bin/env bash
# Takes pictures of the desktop program's main window in English and in Chinese, at 1x and 2x scale.
#
#   tools/screenshot.sh [BIN_DIR] [OUT_DIR]
#
# BIN_DIR holds the built `corvantide` (default build/bin), OUT_DIR receives main-window-en.png,
# main-window-zh-cn.png and the same at 2x (main-window-en@2x.png, main-window-zh-cn@2x.png), and
# main-window-run-en.png, main-window-run-zh-cn.png taken during a longer run while the lane of
# "org" backs off after a refusal (default docs). The program runs on a private X server (Xvfb)
# with a Config.ini whose servers are a small WHOIS server on 127.0.0.1 started here (names
# starting with a, c or e are free, a .org name with "d" in its first two letters is refused; each answer takes a tenth of a second); a
# pattern is typed and searched, so the pictures show marks. Fails when the window does not appear.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/deps.sh"
corvantide_ensure_packages xvfb x11-apps x11-utils xdotool fonts-wqy-microhei

bin_dir=$(cd "${1:-$root/build/bin}" && pwd)
out_dir=${2:-$root/docs}
mkdir -p "$out_dir"
out_dir=$(cd "$out_dir" && pwd)
work=$(mktemp -d)
xvfb_pid=""
app_pid=""
whois_pid=""
cleanup() {
    if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; fi
    if [ -n "$whois_pid" ]; then kill "$whois_pid" 2>/dev/null || true; fi
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 2048x1536x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
    if DISPLAY=$display xwininfo -root >/dev/null 2>&1; then break; fi
    sleep 0.1
done

# Four WHOIS servers on 127.0.0.1 for the pictures' search; they write their ports into the file named.
python3 - "$work/port" >"$work/whois.log" 2>&1 <<'PY' &
import socketserver, sys, time
class Answer(socketserver.StreamRequestHandler):
    def handle(self):
        name = self.rfile.readline().decode().strip()
        time.sleep(0.1)
        if name.endswith(".org") and "d" in name[:2]:
            reply = "WHOIS LIMIT EXCEEDED\r\n"
        elif name[:1] in "ace":
            reply = "No match for \"%s\".\r\n" % name
        else:
            reply = "Domain Name: %s\r\n" % name
        self.wfile.write(reply.encode())
import threading
# One server per suffix, so each has a lane of its own.
servers = [socketserver.ThreadingTCPServer(("127.0.0.1", 0), Answer) for _ in range(4)]
for server in servers[1:]:
    threading.Thread(target=server.serve_forever, daemon=True).start()
with open(sys.argv[1], "w") as out:
    out.write(" ".join(str(server.server_address[1]) for server in servers) + "\n")
servers[0].serve_forever()
PY
whois_pid=$!
for _ in $(seq 50); do
    if [ -s "$work/port" ]; then break; fi
    sleep 0.1
done
read -r port1 port2 port3 port4 <"$work/port"

shoot() {
    local language=$1 picture=$2 scale=$3 moment=${4:-done}
    local folder="$work/$language-$scale-$moment"
    # After the run the pattern is short; during a run it is long and the refused lane backs off.
    local pattern="[a-f]phone" backoff=1 wait=5
    if [ "$moment" = running ]; then pattern="[a-z][a-z]phone" backoff=60 wait=4; fi
    mkdir -p "$folder"
    cp "$bin_dir/corvantide" "$folder/"
    {
        printf '[setting]\nlanguage=%s\nparallel=1\nbackoff=%s\nnum=4\n[whois]\n' "$language" "$backoff"
        printf '1=com+127.0.0.1:%s+No match for\n' "$port1"
        printf '2=net+127.0.0.1:%s+No match for\n' "$port2"
        printf '3=org+127.0.0.1:%s+No match for+WHOIS LIMIT EXCEEDED\n' "$port3"
        printf '4=cn+127.0.0.1:%s+No match for\n' "$port4"
    } >"$folder/Config.ini"
    (cd "$folder" && DISPLAY=$display QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale exec ./corvantide) >"$work/app.log" 2>&1 &
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
    # Search a short pattern, then let the run end and the free rows be shown.
    local window
    window=$(DISPLAY=$display xdotool search --name "Corvantide v1.2" | head -1)
    DISPLAY=$display xdotool windowactivate --sync "$window" 2>/dev/null || DISPLAY=$display xdotool windowfocus "$window"
    if [ "$moment" = running ]; then
        # Room for the status bar's texts and the lane view.
        DISPLAY=$display xdotool windowsize --sync "$window" 900 560 2>/dev/null || true
        sleep 0.5
    fi
    DISPLAY=$display xdotool type --delay 20 "$pattern"
    DISPLAY=$display xdotool key Return
    sleep "$wait"
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

shoot en main-window-en.png 1
shoot zh-cn main-window-zh-cn.png 1
shoot en main-window-en@2x.png 2
shoot zh-cn main-window-zh-cn@2x.png 2
shoot en main-window-run-en.png 1 running
shoot zh-cn main-window-run-zh-cn.png 1 running
