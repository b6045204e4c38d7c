#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests and benchmarks: made in a new temporary folder,
# listening only on a Unix socket, and removed whole when stopped.
#
#   scripts/pg-cluster.sh start   prints the folder, then a connection URI to a database "tovin"
#   scripts/pg-cluster.sh stop FOLDER
#
# The data goes under $TMPDIR (the test scripts point it into the build folder, so that a small
# /tmp is not filled); the socket goes in a folder of its own under /tmp, because a socket's
# path may not be longer than about a hundred characters. As root the server runs as the
# "postgres" user, which PostgreSQL requires.
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
    folder=$(mktemp -d "${TMPDIR:-/tmp}/tovin-pg.XXXXXX")
    chown "$owner" "$folder"
    chmod 700 "$folder"
    # The server's user may not be let into the folder's parents; /tmp always lets it in.
    if ! "${as_owner[@]}" test -w "$folder"; then
        rmdir "$folder"
        folder=$(mktemp -d /tmp/tovin-pg.XXXXXX)
        chown "$owner" "$folder"
        chmod 700 "$folder"
    fi
    socket=$(mktemp -d /tmp/tovin-pg-socket.XXXXXX)
    chown "$owner" "$socket"
    chmod 700 "$socket"
    echo "$socket" >"$folder/socket-folder"
    "${as_owner[@]}" "$bin/initdb" -D "$folder/data" -U "$owner" -A trust -E UTF8 \
        --locale=C.UTF-8 >"$folder/initdb.log" 2>&1 ||
        { cat "$folder/initdb.log" >&2; exit 2; }
    # Nothing here needs to survive a crash or feed a replica: no flushing to disk, and as little
    # write-ahead log kept as the server allows.
    "${as_owner[@]}" "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w \
        -o "-k $socket -c listen_addresses='' -c fsync=off -c full_page_writes=off \
            -c wal_level=minimal -c max_wal_senders=0 -c max_wal_size=64MB -c min_wal_size=32MB \
            -c max_connections=200" \
        start >/dev/null || { cat "$folder/server.log" >&2; exit 2; }
    "${as_owner[@]}" "$bin/createdb" -h "$socket" -U "$owner" tovin
    echo "$folder"
    echo "postgresql://$owner@/tovin?host=$socket"
    ;;
stop)
    folder=${2:?"the cluster's folder"}
    case "$(basename "$folder")" in tovin-pg.*) ;; *) echo "not a test cluster: $folder" >&2; exit 2 ;; esac
    [ -f "$folder/socket-folder" ] || { echo "not a test cluster: $folder" >&2; exit 2; }
    socket=$(cat "$folder/socket-folder")
    "${as_owner[@]}" "$bin/pg_ctl" -D "$folder/data" -m fast -w stop >/dev/null 2>&1 || true
    case "$socket" in /tmp/tovin-pg-socket.*) rm -rf "$socket" ;; esac
    rm -rf "$folder"
    ;;
*)
    echo "usage: $0 start | stop FOLDER" >&2
    exit 2
    ;;
esac
