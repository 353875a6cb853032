#!/usr/bin/env python3
"""Checks that every #include in src/ and tests/ points down the layers.

Layers, bottom to top: base < dataaccess < engine, erp (siblings: neither includes the other)
< controls < screens < app. A file under src/<layer>/ (or tests/<layer>/) may include its own
layer and the layers below it. Tests may also include the shared fixtures (tests/support).

    python3 scripts/camadas.py [ROOT]     exit 1 and list the offending lines when one points up
    python3 scripts/camadas.py --auto-teste   checks that the checker itself catches an upward include
"""
import pathlib
import re
import sys
import tempfile

NIVEL = {"base": 0, "dataaccess": 1, "engine": 2, "erp": 2, "controls": 3, "screens": 4, "app": 5}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
EXTENSOES = {".h", ".hpp", ".cpp"}


def pode(origem: str, destino: str) -> bool:
    if origem == destino:
        return True
    if NIVEL[origem] == NIVEL[destino]:
        return False  # siblings (engine, erp)
    return NIVEL[destino] < NIVEL[origem]


def camada_de(caminho: pathlib.Path, raiz: pathlib.Path):
    partes = caminho.relative_to(raiz).parts
    if len(partes) >= 3 and partes[0] in ("src", "tests") and partes[1] in NIVEL:
        return partes[1]
    return None


def violacoes(raiz: pathlib.Path):
    achadas = []
    for pasta in ("src", "tests"):
        for f in sorted((raiz / pasta).rglob("*")):
            if f.suffix not in EXTENSOES or not f.is_file():
                continue
            origem = camada_de(f, raiz)
            if origem is None:
                continue
            for n, linha in enumerate(f.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
                m = INCLUDE.match(linha)
                if not m:
                    continue
                destino = m.group(1).split("/")[0]
                if destino in NIVEL and not pode(origem, destino):
                    achadas.append(f"{f.relative_to(raiz)}:{n}: {origem}/ includes {m.group(1)} ({destino}/ is not below it)")
    return achadas


def auto_teste() -> int:
    with tempfile.TemporaryDirectory() as t:
        raiz = pathlib.Path(t)
        for camada in NIVEL:
            (raiz / "src" / camada).mkdir(parents=True)
        (raiz / "src/engine/Bom.cpp").write_text('#include "dataaccess/LigacaoDados.h"\n#include "base/Currency.h"\n')
        if violacoes(raiz):
            print("camadas: the self-test flagged a correct include", file=sys.stderr)
            return 1
        for origem, destino in (("dataaccess", "app/Arranque.h"), ("engine", "erp/cl_GravaKova.h"),
                                ("base", "dataaccess/Registos.h"), ("controls", "screens/frmTerminal.h")):
            f = raiz / "src" / origem / "Mau.cpp"
            f.write_text(f'#include "{destino}"\n')
            if len(violacoes(raiz)) != 1:
                print(f"camadas: the self-test missed {origem}/ including {destino}", file=sys.stderr)
                return 1
            f.unlink()
    print("camadas: self-test passed")
    return 0


def main() -> int:
    if sys.argv[1:] == ["--auto-teste"]:
        return auto_teste()
    raiz = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    achadas = violacoes(raiz)
    for a in achadas:
        print(a, file=sys.stderr)
    if achadas:
        print(f"camadas: {len(achadas)} include(s) point up; each folder includes only itself and the folders below "
              "it (base < dataaccess < engine, erp < controls < screens < app)", file=sys.stderr)
        return 1
    print("camadas: every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
