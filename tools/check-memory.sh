#!/bin/bash
# The memory of a long `corvantide-cli check --format jsonl` run, measured by hand (not a test):
# PATTERN's names on com, net and org, asked over RDAP (plain HTTP, kept alive) of an nginx started
# here on 127.0.0.1 that answers at once (names from a to e registered, the rest free). Prints the
# resident size every INTERVAL seconds and the peak at the end.
#
#   tools/check-memory.sh [CLI] [PATTERN] [INTERVAL]
#   tools/check-memory.sh build/bin/corvantide-cli '[a-j][0-9][0-9][0-9][0-9][0-9]'   # 1,000,000 names
#
# Needs Debian's nginx-light. The journal goes to the scratch folder, removed at the end.
set -euo pipefail
cli=$(realpath "${1:-build/bin/corvantide-cli}")
pattern=${2:-'[a-j][0-9][0-9][0-9][0-9][0-9]'}
interval=${3:-5}
nginx=/usr/sbin/nginx
[ -x "$nginx" ] || { echo "nginx is not installed (Debian: nginx-light)" >&2; exit 2; }

scratch=$(mktemp -d /tmp/corvantide-memory-XXXXXX)
nginx_pid=""
cleanup() {
    [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p "$scratch/tmp"
cat > "$scratch/nginx.conf" <<CONF
worker_processes 1;
daemon off;
pid $scratch/nginx.pid;
error_log $scratch/error.log;
events { worker_connections 64; }
http {
    access_log off;
    keepalive_requests 100000000;
    keepalive_timeout 600s;
    client_body_temp_path $scratch/tmp; proxy_temp_path $scratch/tmp; fastcgi_temp_path $scratch/tmp;
    uwsgi_temp_path $scratch/tmp; scgi_temp_path $scratch/tmp;
    default_type application/rdap+json;
    server {
        listen 127.0.0.1:$port;
        location ~ ^/rdap/domain/[a-e] { return 200 '{"objectClassName":"domain","ldhName":"taken"}'; }
        location /rdap/domain/ { return 404 '{"errorCode":404,"title":"Not Found"}'; }
    }
}
CONF
"$nginx" -p "$scratch" -c "$scratch/nginx.conf" -e "$scratch/error.log" &
nginx_pid=$!
sleep 0.5
printf '[setting]\nlanguage=en\nparallel=1\n[whois]\n1=com+http://127.0.0.1:%s/rdap/\n2=net+http://127.0.0.1:%s/rdap/\n3=org+http://127.0.0.1:%s/rdap/\n' \
    "$port" "$port" "$port" > "$scratch/Config.ini"

start=$(date +%s)
/usr/bin/time -f '%M' -o "$scratch/peak" "$cli" check --quiet --config "$scratch/Config.ini" \
    --journal "$scratch/journal.sqlite" -s com,net,org --format jsonl "$pattern" > "$scratch/out.jsonl" &
time_pid=$!
sleep 0.2
cli_pid=$(pgrep -P "$time_pid" || true)
while kill -0 "$time_pid" 2>/dev/null; do
    if [ -n "$cli_pid" ] && [ -r "/proc/$cli_pid/status" ]; then
        rss=$(awk '/^VmRSS/ {print $2}' "/proc/$cli_pid/status" 2>/dev/null || true)
        rows=$(wc -l < "$scratch/out.jsonl")
        [ -n "$rss" ] && echo "$(( $(date +%s) - start )) s: $rows rows, RSS $((rss / 1024)) MB"
    fi
    sleep "$interval"
done
wait "$time_pid"
rows=$(wc -l < "$scratch/out.jsonl")
failed=$(grep -c '"failed"' "$scratch/out.jsonl" || true)
echo "done in $(( $(date +%s) - start )) s: $rows rows ($failed with a failed cell), peak RSS $(( $(cat "$scratch/peak") / 1024 )) MB"
