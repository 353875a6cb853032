#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests, with an ODBC data source for it.
#
#   pg-throwaway.sh start        creates and starts a cluster in a new temporary folder and prints
#                                that folder; "source FOLDER/env.sh" sets what the tests read
#   pg-throwaway.sh stop FOLDER  stops the cluster and removes the folder
#
# The cluster listens only on 127.0.0.1, on a free port, trusts local connections and runs
# without fsync (its data is thrown away). PostgreSQL refuses to run as root, so under root the
# server runs as the unprivileged "postgres" user.
set -euo pipefail

BASE_TESTE="terminal_test"
UTILIZADOR="terminal"
DRIVER_ODBC="/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so"

pg_bin() {
    local d
    d="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
    if [ -z "$d" ] || [ ! -x "$d/initdb" ]; then
        echo "pg-throwaway: PostgreSQL server binaries not found (install the postgresql package)" >&2
        exit 1
    fi
    echo "$d"
}

# Runs a command as the cluster's owner.
como_dono() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

porta_livre() {
    python3 - <<'PY'
import socket
s = socket.socket()
s.bind(("127.0.0.1", 0))
print(s.getsockname()[1])
s.close()
PY
}

iniciar() {
    local bin pasta porta
    bin="$(pg_bin)"
    pasta="$(mktemp -d "${TMPDIR:-/tmp}/terminal-pg.XXXXXX")"
    chmod 755 "$pasta"
    if [ "$(id -u)" -eq 0 ]; then
        chown postgres "$pasta"
    fi
    como_dono "$bin/initdb" -D "$pasta/data" -U "$UTILIZADOR" --auth=trust -E UTF8 --locale=C --no-sync \
        >"$pasta/initdb.log" 2>&1 || {
        cat "$pasta/initdb.log" >&2
        rm -rf "$pasta"
        exit 1
    }
    local tentativa
    for tentativa in 1 2 3; do
        porta="$(porta_livre)"
        if como_dono "$bin/pg_ctl" -D "$pasta/data" -l "$pasta/server.log" -w -t 60 \
            -o "-p $porta -k $pasta -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=150" \
            start >/dev/null; then
            break
        fi
        porta=""
        echo "pg-throwaway: the server did not start on port attempt $tentativa" >&2
    done
    if [ -z "$porta" ]; then
        cat "$pasta/server.log" >&2 || true
        rm -rf "$pasta"
        exit 1
    fi
    "$bin/createdb" -h 127.0.0.1 -p "$porta" -U "$UTILIZADOR" "$BASE_TESTE"

    mkdir -p "$pasta/odbc"
    cat >"$pasta/odbc/odbcinst.ini" <<INI
[PostgreSQL Unicode]
Description = PostgreSQL ODBC driver (Unicode)
Driver = $DRIVER_ODBC
INI
    # The data source keeps psqlODBC's defaults, as an installation's would: the terminal adds the
    # per-statement settings it needs to its own connection string.
    cat >"$pasta/odbc/odbc.ini" <<INI
[$BASE_TESTE]
Driver = PostgreSQL Unicode
Servername = 127.0.0.1
Port = $porta
Database = $BASE_TESTE
UserName = $UTILIZADOR
INI
    cat >"$pasta/env.sh" <<ENV
export TERMINAL_PG_HOST=127.0.0.1 TERMINAL_PG_PORT=$porta TERMINAL_PG_DB=$BASE_TESTE TERMINAL_PG_USER=$UTILIZADOR TERMINAL_PG_PASSWORD=
export ODBCSYSINI=$pasta/odbc ODBCINI=$pasta/odbc/odbc.ini TERMINAL_ODBC_DSN=$BASE_TESTE
ENV
    echo "$pasta"
}

parar() {
    local pasta="${1:-}"
    case "$pasta" in
    "${TMPDIR:-/tmp}"/terminal-pg.*) ;;
    *)
        echo "pg-throwaway: not a throwaway cluster folder: '$pasta'" >&2
        exit 1
        ;;
    esac
    [ -d "$pasta" ] || return 0
    if [ -f "$pasta/data/postmaster.pid" ]; then
        como_dono "$(pg_bin)/pg_ctl" -D "$pasta/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$pasta"
}

case "${1:-}" in
start) iniciar ;;
stop) parar "${2:-}" ;;
*)
    echo "Uso: $0 start | stop PASTA" >&2
    exit 2
    ;;
esac
