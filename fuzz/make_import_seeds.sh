#!/bin/sh
# Writes the seed corpus of fuzz_import_tables again: SOLUC as the stand-in for Horavia solves
# the export of import_school.xml, alone and followed by each other exchange table in turn.
# Usage: fuzz/make_import_seeds.sh [BUILD]   (BUILD: a normal build folder, default build)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/KTEMP"
cp fuzz/import_school.xml "$work/"
"$build/bin/DuzezErozaraDiruzidu-cli" exportar "$work/import_school.xml" --intercambio "$work/KTEMP" >/dev/null
"$build/bin/horavia-standin" "$work/KTEMP" >/dev/null
seeds=fuzz/corpus/import_tables
rm -f "$seeds"/*
printf '\000' | cat - "$work/KTEMP/SOLUC.DBF" >"$seeds/soluc"
pick=1
# The order of the target's table list.
for table in GRUPOST CURSOST PROFT AULAT ASIGNOMT DIASHORAST ASIGT PERIODOS; do
    name=$(echo "$table" | tr 'A-Z' 'a-z')
    { printf "\\$(printf '%03o' $pick)"; cat "$work/KTEMP/SOLUC.DBF"; printf '=====TABLA====='; \
      cat "$work/KTEMP/$table.DBF"; } >"$seeds/soluc_$name"
    pick=$((pick + 1))
done
