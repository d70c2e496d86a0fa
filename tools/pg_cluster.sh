#!/usr/bin/env bash
# A throwaway PostgreSQL cluster on loopback for the test run.
#   tools/pg_cluster.sh start FOLDER PORT   initdb + start, as the postgres account
#   tools/pg_cluster.sh stop FOLDER         stop and remove
# The cluster trusts connections from 127.0.0.1, with "postgres" as the
# superuser; the tests create their own databases in it.
set -euo pipefail

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[ -n "$bin" ] || { echo "PostgreSQL no está instalado" >&2; exit 1; }

as_postgres() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

case "${1:-}" in
start)
    folder=$2 port=$3
    rm -rf "$folder"
    mkdir -p "$folder"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$folder"
    as_postgres "$bin/initdb" -D "$folder/data" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 >"$folder/initdb.log" 2>&1 \
        || { cat "$folder/initdb.log" >&2; exit 1; }
    as_postgres "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 60 \
        -o "-c listen_addresses=127.0.0.1 -p $port -k $folder -c fsync=off -c max_connections=200" start >/dev/null \
        || { cat "$folder/server.log" >&2; exit 1; }
    ;;
stop)
    folder=$2
    if [ -d "$folder/data" ]; then
        as_postgres "$bin/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$folder"
    ;;
*)
    echo "uso: tools/pg_cluster.sh start CARPETA PUERTO | stop CARPETA" >&2
    exit 2
    ;;
esac
