#!/usr/bin/env bash
# Installs what is missing, builds, starts a throwaway PostgreSQL (with an ODBC data source for
# it) and runs every test: the data tests run on SQLite, PostgreSQL and the ODBC path. The
# cluster is removed at the end, also when tests fail. Exits with the tests' status.
#
# With TERMINAL_ASAN=1 (always in CI) the core tests run once more, built with AddressSanitizer
# and UndefinedBehaviorSanitizer in build-asan/.
set -euo pipefail

RAIZ="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$RAIZ"
inicio=$SECONDS
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$RAIZ}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"

bash scripts/setup.sh
bash scripts/build.sh

PG_PASTA="$(bash scripts/pg-throwaway.sh start)"
parar_pg() { bash "$RAIZ/scripts/pg-throwaway.sh" stop "$PG_PASTA" || true; }
trap parar_pg EXIT
trap 'exit 130' INT TERM
# shellcheck disable=SC1091
source "$PG_PASTA/env.sh"
echo "test: PostgreSQL on 127.0.0.1:$TERMINAL_PG_PORT, ODBC data source $TERMINAL_ODBC_DSN"

estado=0
(cd build && ctest --output-on-failure -j2) || estado=$?
lista="$(cd build && ctest -N)"
echo "test: data tests per backend: SQLite $(grep -c '/SQLite' <<<"$lista" || true)," \
    "PostgreSQL $(grep -c '/PostgreSQL' <<<"$lista" || true), ODBC $(grep -c '/ODBC' <<<"$lista" || true)"

if [ "${TERMINAL_ASAN:-0}" = "1" ] || [ "${CI:-}" = "true" ]; then
    echo "test: core tests with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/)"
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTERMINAL_SANITIZE=ON -DTERMINAL_BENCH=OFF >/dev/null
    alvos=()
    for camada in base dataaccess engine erp; do
        if compgen -G "tests/$camada/*.cpp" >/dev/null; then
            alvos+=("tests_$camada")
        fi
    done
    if [ ${#alvos[@]} -gt 0 ]; then
        ninja -C build-asan -j"${TERMINAL_JOBS:-2}" "${alvos[@]}"
        export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:suppressions=$RAIZ/scripts/asan.supp"
        export LSAN_OPTIONS="suppressions=$RAIZ/scripts/lsan.supp:print_suppressions=0"
        export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
        for alvo in "${alvos[@]}"; do
            echo "test: $alvo (sanitizers)"
            (cd build-asan && QT_QPA_PLATFORM=offscreen "./tests/$alvo" --gtest_brief=1) || estado=$?
        done
    fi
fi

echo "test: finished in $((SECONDS - inicio)) s, status $estado"
exit $estado
