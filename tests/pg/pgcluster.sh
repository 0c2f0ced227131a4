#!/usr/bin/env bash
# A throwaway PostgreSQL 15 cluster for the tests and benchmarks.
#
#   pgcluster.sh start [--fast] DIR
#                            initialises a cluster in DIR/data, starts it on a
#                            free port with its socket in DIR, and writes the
#                            libpq connection string to DIR/connection
#   pgcluster.sh stop DIR    stops it and removes DIR
#
# --fast is for the test suite: the server does not wait for the disk
# (fsync, synchronous_commit and full_page_writes off), which a cluster that
# is thrown away after the run can afford. The benchmarks start it without,
# so their figures are those of a server that keeps what it commits.
#
# A cluster still running in DIR from an earlier run that did not stop it is
# stopped before the new one is made.
#
# As root the server runs as the unprivileged "postgres" user (initdb and the
# server refuse root). Any failure exits non-zero with the server's log, so a
# cluster that cannot start is never mistaken for one that did.
set -euo pipefail
cmd="${1:?start or stop}"
shift
fast=0
if [ "${1:-}" = "--fast" ]; then fast=1; shift; fi
dir="${1:?folder}"
bin="$(ls -d /usr/lib/postgresql/15/bin 2>/dev/null || true)"
[ -n "$bin" ] || { echo "pgcluster: PostgreSQL 15 is not installed (postgresql-15)" >&2; exit 1; }

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

case "$cmd" in
  start)
    mkdir -p "$dir"
    dir="$(cd "$dir" && pwd)"
    if [ -f "$dir/data/postmaster.pid" ]; then
      as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir/data" "$dir/connection"
    [ "$(id -u)" -ne 0 ] || chown postgres: "$dir"
    port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')"
    as_owner "$bin/initdb" -D "$dir/data" -U velmora -A trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 ||
      { cat "$dir/initdb.log" >&2; exit 1; }
    cat >>"$dir/data/postgresql.conf" <<CONF
port = $port
listen_addresses = '127.0.0.1'
unix_socket_directories = '$dir'
max_connections = 400
shared_buffers = 256MB
CONF
    if [ "$fast" -eq 1 ]; then
      cat >>"$dir/data/postgresql.conf" <<CONF
fsync = off
synchronous_commit = off
full_page_writes = off
CONF
    else
      echo "fsync = on" >>"$dir/data/postgresql.conf"
    fi
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start >/dev/null ||
      { cat "$dir/server.log" >&2; exit 1; }
    as_owner "$bin/createdb" -h "$dir" -p "$port" -U velmora velmora ||
      { cat "$dir/server.log" >&2; exit 1; }
    echo "host=$dir port=$port user=velmora dbname=velmora" >"$dir/connection"
    chmod a+r "$dir/connection"
    cat "$dir/connection"
    ;;
  stop)
    if [ -d "$dir/data" ]; then
      as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
    ;;
  *) echo "pgcluster: start or stop" >&2; exit 2 ;;
esac
