#!/usr/bin/env bash
# Installs what is missing, builds, creates the embedded demo database on the first run (an
# existing database is never touched) and starts the terminal. Arguments go to the terminal:
# they name another configuration file in the program folder.
set -euo pipefail

RAIZ="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$RAIZ"

bash scripts/setup.sh
bash scripts/build.sh

PASTA="${TERMINAL_PASTA:-$RAIZ/build}"
CONFIG="${*:-Terminal_Obras.oka}"
case "$CONFIG" in
/*) FICHEIRO="$CONFIG" ;;
*) FICHEIRO="$PASTA/$CONFIG" ;;
esac

# Value of a key in a section of the configuration file ("" when absent).
ler_ini() {
    local seccao="$1" chave="$2"
    [ -f "$FICHEIRO" ] || return 0
    tr -d '\r' <"$FICHEIRO" | awk -v s="$seccao" -v k="$chave" '
        function apara(t) { gsub(/^[ \t]+|[ \t]+$/, "", t); return t }
        /^[ \t]*\[/ { t = apara($0); dentro = (tolower(substr(t, 2, length(t) - 2)) == tolower(s)); next }
        dentro && index($0, "=") > 0 {
            c = apara(substr($0, 1, index($0, "=") - 1))
            if (tolower(c) == tolower(k)) { print apara(substr($0, index($0, "=") + 1)); exit }
        }'
}

driver="$(ler_ini "Base de Dados" "Driver")"
base="$(ler_ini "Base de Dados" "Base de Dados")"
case "${driver,,}" in
"" | sqlite)
    if [ -n "$base" ]; then
        case "$base" in
        /*) ficheiro_bd="$base" ;;
        *) ficheiro_bd="$PASTA/$base" ;;
        esac
        if [ ! -e "$ficheiro_bd" ]; then
            echo "run: creating the demo database $ficheiro_bd"
            # Standard input closed: the demo keeps its documented password, 1234.
            if ! "$RAIZ/build/terminal-admin" -c "$CONFIG" demo </dev/null; then
                rm -f "$ficheiro_bd" "$ficheiro_bd-wal" "$ficheiro_bd-shm"
                exit 1
            fi
        fi
    fi
    ;;
esac

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "run: no display; starting under xvfb-run (set DISPLAY to see the screen, or QT_QPA_PLATFORM=offscreen)."
    exec xvfb-run -a "$RAIZ/build/terminal" "$@"
fi
exec "$RAIZ/build/terminal" "$@"
