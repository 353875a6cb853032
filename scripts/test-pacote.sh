#!/usr/bin/env bash
# The package test: builds the Debian package (cpack -G DEB in build/), checks it with lintian,
# installs it with dpkg -i (apt-get for what it depends on and recommends), runs the installed
# terminal-admin init, demo and verificar on /var/lib/terminal, starts the installed terminal
# offscreen and under cage (the kiosk service's command) until its screen is loaded, checks
# owners and modes, removes the package (the data stays), installs it again (the configuration
# is kept) and purges it (the data goes).
#
# It installs, removes and purges a system package and deletes /var/lib/terminal, so it runs
# only as root and only when asked: CI=true (as .ci/run is run) or TERMINAL_TESTE_PACOTE=1.
set -euo pipefail

RAIZ="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${TERMINAL_BUILD_DIR:-$RAIZ/build}"
PASTA=/var/lib/terminal
inicio=$SECONDS

if [ "${CI:-}" != "true" ] && [ "${TERMINAL_TESTE_PACOTE:-0}" != "1" ]; then
    echo "test-pacote: skipped (it installs and purges the package: run with TERMINAL_TESTE_PACOTE=1)"
    exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "test-pacote: must run as root (dpkg)" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
TMP="$(mktemp -d)"
pids=()
limpar() {
    for p in "${pids[@]}"; do
        kill "$p" 2>/dev/null || true
    done
    if dpkg-query -W -f='${Status}' terminal 2>/dev/null | grep -qv 'not-installed'; then
        dpkg --purge terminal >/dev/null 2>&1 || true
    fi
    rm -rf "$TMP" "${XDG:-}"
}
trap limpar EXIT

passo() { echo "test-pacote: $*"; }
falha() {
    echo "test-pacote: FAILED: $*" >&2
    exit 1
}
# owner:group and octal mode of a path.
dono_modo() { stat -c '%U:%G %a' "$1"; }
esperar_dono_modo() {
    local r
    r="$(dono_modo "$1")"
    [ "$r" = "$2" ] || falha "$1 is $r, expected $2"
}
# Waits up to 30 s for the line that says the screen was loaded in file $1; the process $2 must
# still be running then.
esperar_ecra() {
    local ficheiro="$1" processo="$2" ecra="$3"
    for _ in $(seq 1 120); do
        if grep -q "Terminal pronto: ecrã $ecra carregado" "$ficheiro"; then
            sleep 1
            kill -0 "$processo" 2>/dev/null || falha "the terminal stopped after loading its screen: $(cat "$ficheiro")"
            return 0
        fi
        kill -0 "$processo" 2>/dev/null || falha "the terminal ended before loading its screen: $(cat "$ficheiro")"
        sleep 0.25
    done
    falha "no screen loaded within 30 s: $(cat "$ficheiro")"
}
# Ends the terminal run by the user terminal (what Sair does) and waits for its parent $1.
terminar() {
    local pai="$1"
    pkill -TERM -u terminal -x terminal || falha "no terminal process to end"
    local estado=0
    wait "$pai" || estado=$?
    pids=("${pids[@]/$pai/}")
    return $estado
}

passo "build and package"
bash "$RAIZ/scripts/setup.sh" >/dev/null
TERMINAL_BUILD_DIR="$BUILD" bash "$RAIZ/scripts/build.sh" >/dev/null
rm -f "$BUILD"/terminal_*.deb
(cd "$BUILD" && cpack -G DEB >/dev/null)
DEB="$(ls "$BUILD"/terminal_*_amd64.deb)"
echo "test-pacote: $(basename "$DEB"): $(dpkg-deb -f "$DEB" Depends)"

passo "lintian (errors fail; warnings listed)"
lintian --fail-on error --suppress-tags initial-upload-closes-no-bugs "$DEB" 2>/dev/null || falha "lintian reports errors"

passo "install with dpkg -i"
if dpkg-query -W -f='${Status}' terminal 2>/dev/null | grep -qv 'not-installed'; then
    dpkg --purge terminal >/dev/null
fi
rm -rf "$PASTA"
if ! dpkg -i "$DEB" >"$TMP/dpkg.log" 2>&1; then
    apt-get install -y -q -f --no-install-recommends >>"$TMP/dpkg.log" 2>&1 || falha "dependencies: $(cat "$TMP/dpkg.log")"
fi
dpkg-query -W -f='${Status}' terminal | grep -q 'install ok installed' || falha "not installed: $(cat "$TMP/dpkg.log")"
# Every recommended package exists in the archive (the kiosk needs cage, xwayland and qt6-wayland).
IFS=', ' read -r -a recomendados <<<"$(dpkg-deb -f "$DEB" Recommends)"
apt-get install -y -q --no-install-recommends "${recomendados[@]}" >"$TMP/apt.log" 2>&1 ||
    falha "recommended packages: $(tail -5 "$TMP/apt.log")"

passo "files, owners and modes"
getent passwd terminal >/dev/null || falha "no user terminal"
for f in /usr/bin/terminal /usr/bin/terminal-admin /usr/lib/terminal/terminal /usr/lib/terminal/terminal-admin; do
    esperar_dono_modo "$f" "root:root 755"
done
esperar_dono_modo "$PASTA" "terminal:terminal 750"
esperar_dono_modo "$PASTA/Terminal_Obras.oka" "terminal:terminal 600"
grep -q '^Confirmar Sair=1' "$PASTA/Terminal_Obras.oka" || falha "the kiosk configuration does not confirm Sair"
runuser -u terminal -- test -r "$PASTA/Catalogos/bd.sql" || falha "$PASTA/Catalogos/bd.sql is not readable"
for f in /usr/share/terminal/db/sqlserver/schema.sql /usr/share/terminal/db/postgresql/schema.sql \
    /usr/share/doc/terminal/examples/Terminal_SQLServer.oka /usr/share/doc/terminal/base-de-dados.md; do
    [ -s "$f" ] || falha "$f missing"
done
if command -v systemd-analyze >/dev/null; then
    systemd-analyze verify /lib/systemd/system/terminal-quiosque.service || falha "the kiosk unit does not verify"
fi

passo "terminal-admin init, demo and verificar on $PASTA (run by root, working as terminal)"
cd /
terminal-admin init || falha "init"
# The demo password on standard input (ignored by a terminal-admin that takes it as an argument).
echo 1234 | terminal-admin demo || falha "demo"
[ "$(stat -c %U:%G "$PASTA/terminal.db")" = terminal:terminal ] || falha "terminal.db is not the user terminal's"
terminal-admin verificar >"$TMP/verificar.txt" || falha "verificar: $(cat "$TMP/verificar.txt")"
tail -1 "$TMP/verificar.txt"
# The ERP terminal on the same database: the material and posting statements too.
install -o terminal -g terminal -m 0600 /dev/null "$PASTA/Terminal_ERP.oka"
printf '[Ligação]\nTipo de Terminal=1\n[Base de Dados]\nDriver=SQLite\nBase de Dados=terminal.db\n[Kova]\nPercurso Windows=%s\nPercurso Log=%s\nEmpresa=DEMO\nUtilizador=terminal\nPalavra Passe=demo\n' \
    "$PASTA" "$PASTA" >"$PASTA/Terminal_ERP.oka"
terminal-admin -c Terminal_ERP.oka verificar >"$TMP/verificar-erp.txt" || falha "verificar ERP: $(cat "$TMP/verificar-erp.txt")"
tail -1 "$TMP/verificar-erp.txt"
grep -q '^OK    cl_GravaKova::GravaSaidas$' "$TMP/verificar-erp.txt" || falha "the posting was not checked"
if ls "$PASTA"/kova-*.log >/dev/null 2>&1; then falha "verificar wrote the ERP log"; fi

passo "the installed terminal, offscreen"
QT_QPA_PLATFORM=offscreen terminal >"$TMP/terminal.log" 2>&1 &
pids+=($!)
esperar_ecra "$TMP/terminal.log" $! frmTerminal
terminar $! || true
QT_QPA_PLATFORM=offscreen terminal Terminal_ERP.oka >"$TMP/terminal2.log" 2>&1 &
pids+=($!)
esperar_ecra "$TMP/terminal2.log" $! frmTerminal2
terminar $! || true

passo "the kiosk's command: cage (headless) running the terminal on Wayland"
install -d -m 1777 /tmp/.X11-unix
# The user's runtime folder (logind makes /run/user/UID for the service's session).
XDG="$(mktemp -d /tmp/terminal-xdg.XXXXXX)"
chown terminal:terminal "$XDG"
(cd "$PASTA" && exec runuser -u terminal -- env XDG_RUNTIME_DIR="$XDG" WLR_BACKENDS=headless WLR_RENDERER=pixman \
    WLR_LIBINPUT_NO_DEVICES=1 TERMINAL_PASTA="$PASTA" QT_QPA_PLATFORM=wayland XDG_SESSION_TYPE=wayland \
    cage -d -- /usr/bin/terminal) >"$TMP/cage.log" 2>&1 &
pids+=($!)
kiosque=$!
esperar_ecra "$TMP/cage.log" $kiosque frmTerminal
# The service's own stop command (ExecStop, with the main process cage): it ends the terminal, as
# Sair does, and cage closes after it.
parar="$(sed -n 's/^ExecStop=//p' /lib/systemd/system/terminal-quiosque.service)"
[ -n "$parar" ] || falha "the kiosk unit has no ExecStop"
cage_pid="$(pgrep -u terminal -x cage)" || falha "no cage process"
# shellcheck disable=SC2016 # ${MAINPID} is the text systemd replaces, not a shell variable
timeout 20 runuser -u terminal -- /bin/sh -c "${parar//'${MAINPID}'/$cage_pid}" || falha "ExecStop failed"
wait $kiosque || falha "cage did not end cleanly with the terminal: $(cat "$TMP/cage.log")"
pids=("${pids[@]/$kiosque/}")
if grep -q Assertion "$TMP/cage.log"; then falha "cage aborted: $(cat "$TMP/cage.log")"; fi
esperar_dono_modo "$PASTA/Terminal_Obras.oka" "terminal:terminal 600"
esperar_dono_modo "$PASTA/Terminal_ERP.oka" "terminal:terminal 600"

passo "remove: the program goes, the kiosk is disabled, the data stays"
ligacao=/etc/systemd/system/graphical.target.wants/terminal-quiosque.service
if command -v systemctl >/dev/null; then
    systemctl enable terminal-quiosque.service >/dev/null 2>&1 || falha "the kiosk unit cannot be enabled"
    [ -L "$ligacao" ] || falha "enabling made no $ligacao"
else
    echo "test-pacote: no systemctl here: enabling the kiosk is not tried"
fi
soma="$(cat "$PASTA/Terminal_Obras.oka" "$PASTA/terminal.db" | sha256sum)"
dpkg -r terminal >/dev/null
[ ! -L "$ligacao" ] || falha "removing left the kiosk enabled"
if [ -e /usr/lib/terminal/terminal ] || [ -e /usr/bin/terminal ]; then falha "the program is still installed"; fi
if [ -e "$PASTA/Catalogos" ] || [ -L "$PASTA/Catalogos" ]; then falha "the schema link stayed"; fi
[ "$(cat "$PASTA/Terminal_Obras.oka" "$PASTA/terminal.db" | sha256sum)" = "$soma" ] || falha "the data changed"
esperar_dono_modo "$PASTA/Terminal_Obras.oka" "terminal:terminal 600"

passo "install again: the configuration and the database are kept"
dpkg -i "$DEB" >/dev/null
[ "$(cat "$PASTA/Terminal_Obras.oka" "$PASTA/terminal.db" | sha256sum)" = "$soma" ] || falha "the data changed"
terminal-admin verificar >/dev/null || falha "verificar after reinstalling"

passo "purge: the data goes"
dpkg --purge terminal >/dev/null
[ ! -e "$PASTA" ] || falha "$PASTA stayed after purge"

echo "test-pacote: passed in $((SECONDS - inicio)) s"
