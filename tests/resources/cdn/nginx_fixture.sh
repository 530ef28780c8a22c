# Sourced by with_nginx.sh and the benchmark: a private nginx on a free loopback port.
#   nginx_start DIR   serves DIR/www; sets NGINX_PORT and NGINX_PID; logs and temp files in DIR
#   nginx_stop        stops the nginx that nginx_start started
nginx_fixture_conf=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/nginx.conf.in

nginx_start() {
  local dir=$1 nginx user_line="" port
  nginx=$(command -v nginx || echo /usr/sbin/nginx)
  chmod 755 "$dir"
  mkdir -p "$dir/www"
  # Run as the current user: as root the workers would otherwise become nobody.
  [ "$(id -u)" = 0 ] && user_line="user $(id -un) $(id -gn);"
  NGINX_PID=
  for _ in 1 2 3 4 5; do
    port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
    sed -e "s|@DIR@|$dir|g" -e "s|@ROOT@|$dir/www|g" -e "s|@PORT@|$port|g" -e "s|@USER@|$user_line|" \
      "$nginx_fixture_conf" > "$dir/nginx.conf"
    rm -f "$dir/error.log"
    "$nginx" -p "$dir" -e "$dir/error.log" -c "$dir/nginx.conf" &
    NGINX_PID=$!
    for _ in $(seq 100); do
      kill -0 "$NGINX_PID" 2>/dev/null || break
      if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
        NGINX_PORT=$port
        return 0
      fi
      sleep 0.05
    done
    # Most likely the port was taken in the meantime: try another one.
    kill "$NGINX_PID" 2>/dev/null
    wait "$NGINX_PID" 2>/dev/null
    NGINX_PID=
  done
  echo "nginx did not start:" >&2
  cat "$dir/error.log" >&2 2>/dev/null
  return 1
}

nginx_stop() {
  if [ -n "${NGINX_PID:-}" ]; then
    kill "$NGINX_PID" 2>/dev/null
    wait "$NGINX_PID" 2>/dev/null
    NGINX_PID=
  fi
}
