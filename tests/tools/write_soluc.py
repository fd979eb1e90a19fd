"""Writes a dBase table, normally Horavia's SOLUC.DBF, with python3-dbf: a writer independent of
the converter's own table engine.

Usage: write_soluc.py FILE.DBF < rows.json
  rows.json: {"fields": "PROF C(10); DIA N(2,0); ...",   (optional: SOLUC's usual fields)
              "rows": [["ABC", 1, ...], ...]}             (values in field order)
Character values are written in cp1252 exactly as given. python3-dbf trims character values,
so values with leading blanks are put back into the record bytes afterwards.
"""
import json
import struct
import sys

import dbf

SOLUC_FIELDS = ("PROF C(10); DIA N(2,0); HORA N(2,0); MARCO C(2); ASIG C(10); "
                "CODGRUPO C(10); TAREA C(12); AULA C(10)")


def field_layout(path):
    """(name, offset in record, width) of every field, read from the header."""
    with open(path, "rb") as f:
        header = f.read(32)
        header_length, = struct.unpack("<H", header[8:10])
        layout, offset = [], 1
        while f.tell() < header_length - 1:
            descriptor = f.read(32)
            if descriptor[0] == 0x0D:
                break
            name = descriptor[:11].split(b"\0")[0].decode("ascii")
            layout.append((name, offset, descriptor[16]))
            offset += descriptor[16]
    return header_length, struct.unpack("<H", header[10:12])[0], layout


def restore_leading_blanks(path, rows):
    header_length, record_length, layout = field_layout(path)
    with open(path, "r+b") as f:
        for number, row in enumerate(rows):
            for (name, offset, width), value in zip(layout, row):
                if isinstance(value, str) and value.startswith(" "):
                    f.seek(header_length + number * record_length + offset)
                    f.write(value.encode("cp1252")[:width].ljust(width, b" "))


def main():
    path = sys.argv[1]
    request = json.load(sys.stdin)
    rows = request["rows"]
    table = dbf.Table(path, request.get("fields", SOLUC_FIELDS), codepage="cp1252")
    table.open(dbf.READ_WRITE)
    for row in rows:
        table.append(tuple(row))
    table.close()
    restore_leading_blanks(path, rows)


if __name__ == "__main__":
    main()
