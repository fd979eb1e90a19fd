#!/usr/bin/python3
"""Prints what python3-dbfread, an independent reader, finds in a dBase table: its encoding,
one line per field (name, type, width, decimals) and one line per record (Python values).
Usage: dump_with_dbfread.py TABLE.DBF"""
import sys

import dbfread

table = dbfread.DBF(sys.argv[1], char_decode_errors="strict", load=True)
print("encoding", table.encoding)
for field in table.fields:
    print("field", field.name, field.type, field.length, field.decimal_count)
for record in table.records:
    print("record", " | ".join(f"{name}={value!r}" for name, value in record.items()))
