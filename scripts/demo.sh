#!/bin/sh
# Installs what is needed (Debian 12), builds, and takes the bundled example school the whole way
# round: export to the timetable tables, a stand-in for Horavia that solves the timetable, and
# import of the teachers' timetables back into Veltrana's format.
set -eu
cd "$(dirname "$0")/.."
[ "${SKIP_SETUP:-0}" = 1 ] || scripts/setup-debian.sh
cmake -S . -B build -G Ninja
cmake --build build -j2

bin=build/bin
demo=build/demo
rm -rf "$demo"
mkdir -p "$demo/KTEMP"
cp examples/instituto.xml "$demo/"

echo "== Exportar: examples/instituto.xml -> $demo/KTEMP"
"$bin/DuzezErozaraDiruzidu-cli" exportar "$demo/instituto.xml" --marco ORD --intercambio "$demo/KTEMP"
/usr/bin/python3 - "$demo/KTEMP" <<'PY'
import sys, pathlib, dbfread
for f in sorted(pathlib.Path(sys.argv[1]).glob("*.DBF")):
    t = dbfread.DBF(str(f), load=False)
    print(f"   {f.name:<16} {len(t):>6} filas")
PY

echo "== Horavia (sustituto de prueba) resuelve el horario -> SOLUC.DBF"
"$bin/horavia-standin" "$demo/KTEMP"

echo "== Importar: SOLUC.DBF -> horarios de los profesores"
"$bin/DuzezErozaraDiruzidu-cli" importar "$demo/instituto.xml" --intercambio "$demo/KTEMP"
