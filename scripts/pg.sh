#!/usr/bin/env bash
# Starts (or stops) a throwaway PostgreSQL cluster on loopback for the server tests.
#   scripts/pg.sh start DIR   prints the environment the tests read (SM_PG_*, the log SM_PG_LOG)
#   scripts/pg.sh halt DIR    stops it and keeps DIR, to be started again
#   scripts/pg.sh stop DIR    stops it and deletes DIR
set -euo pipefail
action=$1
dir=$(realpath -m "$2")
port=${SM_PG_PORT:-55432}
user=smtest
password=smtest
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
as_pg() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}
case "$action" in
  start)
    if [ ! -f "$dir/PG_VERSION" ]; then
      mkdir -p "$dir"
      [ "$(id -u)" -eq 0 ] && chown postgres: "$dir"
      chmod 700 "$dir"
      pwfile=$(mktemp)
      echo "$password" >"$pwfile"
      chmod 644 "$pwfile"
      as_pg "$bin/initdb" -D "$dir" -U "$user" --pwfile="$pwfile" -A scram-sha-256 -E UTF8 \
        --locale=C >/dev/null
      rm -f "$pwfile"
    fi
    if ! as_pg "$bin/pg_ctl" -D "$dir" status >/dev/null 2>&1; then
      as_pg "$bin/pg_ctl" -D "$dir" -w -l "$dir/server.log" \
        -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null
    fi
    echo "SM_PG_HOST=127.0.0.1 SM_PG_PORT=$port SM_PG_USER=$user SM_PG_PASSWORD=$password SM_PG_LOG=$dir/server.log"
    ;;
  halt)
    as_pg "$bin/pg_ctl" -D "$dir" -m fast stop >/dev/null 2>&1 || true
    ;;
  stop)
    as_pg "$bin/pg_ctl" -D "$dir" -m fast stop >/dev/null 2>&1 || true
    # The cluster is thrown away: the databases the tests leave behind add up to gigabytes.
    rm -rf "$dir"
    ;;
esac
