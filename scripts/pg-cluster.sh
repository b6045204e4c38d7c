#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests and benchmarks: made in a new temporary folder,
# listening only on a Unix socket inside it, and removed whole when stopped.
#
#   scripts/pg-cluster.sh start   prints the folder, then a connection URI to a database "tovin"
#   scripts/pg-cluster.sh stop FOLDER
#
# As root the server runs as the "postgres" user, which PostgreSQL requires.
set -euo pipefail

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[ -x "$bin/initdb" ] || { echo "PostgreSQL is not installed (scripts/install-deps.sh)" >&2; exit 2; }

as_owner=()
owner=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
    owner=postgres
    as_owner=(runuser -u postgres --)
fi

case "${1:-}" in
start)
    folder=$(mktemp -d /tmp/tovin-pg.XXXXXX)
    chown "$owner" "$folder"
    chmod 700 "$folder"
    "${as_owner[@]}" "$bin/initdb" -D "$folder/data" -U "$owner" -A trust -E UTF8 \
        --locale=C.UTF-8 >"$folder/initdb.log" 2>&1 ||
        { cat "$folder/initdb.log" >&2; exit 2; }
    "${as_owner[@]}" "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w \
        -o "-k $folder -c listen_addresses='' -c fsync=off -c full_page_writes=off -c max_connections=200" \
        start >/dev/null || { cat "$folder/server.log" >&2; exit 2; }
    "${as_owner[@]}" "$bin/createdb" -h "$folder" -U "$owner" tovin
    echo "$folder"
    echo "postgresql://$owner@/tovin?host=$folder"
    ;;
stop)
    folder=${2:?"the cluster's folder"}
    case "$folder" in /tmp/tovin-pg.*) ;; *) echo "not a test cluster: $folder" >&2; exit 2 ;; esac
    "${as_owner[@]}" "$bin/pg_ctl" -D "$folder/data" -m fast -w stop >/dev/null 2>&1 || true
    rm -rf "$folder"
    ;;
*)
    echo "usage: $0 start | stop FOLDER" >&2
    exit 2
    ;;
esac
