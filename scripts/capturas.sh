#!/usr/bin/env bash
# Regenerates the screenshots of the documentation: builds, runs the two screenshot tests
# (Capturas.1920x1080 and Capturas.1024x768, the same that run in CI) and copies what they saved
# in build/capturas/<size> to docs/ecras/<size>. Run it after any change to what the screens or
# dialogs look like, and commit the pictures with the change.
set -euo pipefail

RAIZ="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${TERMINAL_BUILD_DIR:-$RAIZ/build}"
cd "$RAIZ"
bash scripts/build.sh >/dev/null

rm -rf "$BUILD/capturas"
(cd "$BUILD" && ctest --output-on-failure -R '^Capturas\.')
for ecra in 1920x1080 1024x768; do
    origem="$BUILD/capturas/$ecra"
    destino="$RAIZ/docs/ecras/$ecra"
    if ! compgen -G "$origem/*.png" >/dev/null; then
        echo "capturas: no pictures in $origem" >&2
        exit 1
    fi
    mkdir -p "$destino"
    rm -f "$destino"/*.png
    cp "$origem"/*.png "$destino"/
    echo "capturas: $(ls "$destino" | wc -l) pictures in docs/ecras/$ecra"
done
