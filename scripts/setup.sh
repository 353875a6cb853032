#!/usr/bin/env bash
# Installs every Debian package the terminal needs to build, run and test.
# Idempotent: packages already installed are not asked for again, so a second run is quick.
set -euo pipefail

PACOTES=(
    build-essential cmake ninja-build ccache pkg-config python3
    qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc
    libsodium-dev libgtest-dev libgmock-dev libbenchmark-dev
    postgresql odbc-postgresql unixodbc sqlite3
    fonts-dejavu-core xvfb xauth
    libzint-dev poppler-utils zbar-tools lintian
)

em_falta=()
for p in "${PACOTES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        em_falta+=("$p")
    fi
done

if [ ${#em_falta[@]} -eq 0 ]; then
    echo "setup: all packages are installed."
    exit 0
fi

SUDO=()
if [ "$(id -u)" -ne 0 ]; then
    SUDO=(sudo)
fi
echo "setup: installing ${em_falta[*]}"
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -q
"${SUDO[@]}" apt-get install -y -q --no-install-recommends "${em_falta[@]}"
