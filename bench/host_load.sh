#!/usr/bin/env bash
# Loads kel-host over loopback with wrk: requests per second and latency for
# the champion list and for one champion, with 1 and 8 connections, side by
# side with nginx serving the same champion list as a static file (the
# floor). Prints the ratio of each host figure to nginx's.
#
#   bash bench/host_load.sh [BUILD_DIR] [SECONDS]
#
# BUILD_DIR defaults to build/default (kel-host is built there if needed).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
seconds=${2:-5}

if [[ ! -x $build/kel-host ]]; then
  cmake --preset default >/dev/null
  cmake --build "$build" --target kel-host -j2
fi

work=$(mktemp -d /tmp/kel-host-load-XXXXXX)
host_pid=""
nginx_pid=""
cleanup() {
  [[ -n $host_pid ]] && kill -TERM "$host_pid" 2>/dev/null && wait "$host_pid" 2>/dev/null || true
  [[ -n $nginx_pid ]] && kill -QUIT "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

# The host, logged in at once, on a port of its own.
"$build/kel-host" --quiet --port 0 --port-file "$work/port" --login-delay-ms 0 >"$work/host.out" 2>&1 &
host_pid=$!
for _ in $(seq 100); do [[ -s $work/port ]] && break; sleep 0.1; done
host_port=$(cat "$work/port")
summoner=$(grep -o 'inventories/[0-9]*' "$work/host.out" | head -1 | cut -d/ -f2)
inventory="/kel-champions/v1/inventories/$summoner"

# Wait until the whole inventory is published (the list stops growing).
previous=-1
for _ in $(seq 300); do
  size=$(curl -sf "http://127.0.0.1:$host_port$inventory/champions" | wc -c || echo 0)
  [[ $size -gt 2 && $size -eq $previous ]] && break
  previous=$size
  sleep 0.2
done
if [[ $size -le 2 ]]; then
  echo "kel-host does not serve the champion list:" >&2
  cat "$work/host.out" >&2
  exit 1
fi
champion=$(curl -sf "http://127.0.0.1:$host_port$inventory/champions" | python3 -c 'import json,sys; print(json.load(sys.stdin)[0]["id"])')

# nginx serves the very same bytes as a static file at the same path.
mkdir -p "$work/root$inventory" "$work/nginx"
curl -sf "http://127.0.0.1:$host_port$inventory/champions" >"$work/root$inventory/champions"
# nginx's workers drop to an unprivileged user, who must be able to read it.
chmod -R a+rX "$work"
nginx_port=$(free_port)
cat >"$work/nginx/nginx.conf" <<CONF
worker_processes 1;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 256; }
http {
  access_log off;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  default_type application/json;
  server {
    listen 127.0.0.1:$nginx_port;
    root $work/root;
  }
}
CONF
nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" -g 'daemon off;' &
nginx_pid=$!
for _ in $(seq 50); do curl -sf -o /dev/null "http://127.0.0.1:$nginx_port$inventory/champions" && break; sleep 0.1; done

# "requests/s avg-latency" of one wrk run.
measure() {
  local connections=$1 url=$2 threads=$(( $1 < 2 ? 1 : 2 ))
  wrk -t"$threads" -c"$connections" -d"${seconds}s" --latency "$url" |
    awk '/Requests\/sec/ {rps=$2} /^    Latency/ {lat=$2} END {print rps, lat}'
}

printf '%-28s %6s %12s %12s %10s\n' "resource" "conns" "requests/s" "latency" "vs nginx"
for connections in 1 8; do
  read -r floor floor_latency < <(measure "$connections" "http://127.0.0.1:$nginx_port$inventory/champions")
  printf '%-28s %6s %12s %12s %10s\n' "nginx: champion list" "$connections" "$floor" "$floor_latency" "1.00"
  for resource in "champion list:$inventory/champions" "one champion:$inventory/champions/$champion"; do
    name=${resource%%:*}
    path=${resource#*:}
    read -r rps latency < <(measure "$connections" "http://127.0.0.1:$host_port$path")
    ratio=$(python3 -c "print(f'{$rps / $floor:.2f}')")
    printf '%-28s %6s %12s %12s %10s\n' "kel-host: $name" "$connections" "$rps" "$latency" "$ratio"
  done
done
