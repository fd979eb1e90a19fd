#!/usr/bin/python3
"""Prints the exchange tables of a folder as text, read with dbfread (independent of our engine).

Usage: dump_tables.py FOLDER [TABLE ...]

For every table (default: every *.DBF in the folder, by name): its name and row count, its
version byte and language driver, one line per field (name, type, width, decimals) in file
order, then one line per row with the values joined by '|'. Text is decoded by the code page
the table declares; numbers are printed as dbfread parses them; a blank field prints as nothing.
"""
import pathlib
import sys

import dbfread


def value_text(value):
    if value is None:
        return ""
    if value is True:
        return "T"
    if value is False:
        return "F"
    return str(value)


def dump(path):
    with open(path, "rb") as raw:
        header = raw.read(32)
    table = dbfread.DBF(str(path), load=True, char_decode_errors="strict")
    lines = [f"== {path.name} ({len(table.records)} filas)",
             f"version 0x{header[0]:02X} idioma 0x{header[29]:02X}"]
    for field in table.fields:
        lines.append(f"campo {field.name} {field.type} {field.length} {field.decimal_count}")
    for record in table.records:
        lines.append("|".join(value_text(v) for v in record.values()))
    return lines


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    folder = pathlib.Path(argv[1])
    if len(argv) > 2:
        paths = [folder / f"{name}.DBF" for name in argv[2:]]
    else:
        paths = sorted(p for p in folder.iterdir() if p.suffix.upper() == ".DBF")
    out = []
    for path in paths:
        out.extend(dump(path))
    sys.stdout.write("\n".join(out) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
