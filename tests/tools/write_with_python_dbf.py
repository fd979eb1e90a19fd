#!/usr/bin/python3
"""Writes a small dBase table with python3-dbf, an independent writer, for the engine to read.
Usage: write_with_python_dbf.py TABLE.DBF"""
import datetime
import sys

import dbf

table = dbf.Table(sys.argv[1], "NOMBRE C(20); NUM N(5,0); PRECIO N(8,2); ACTIVO L; FECHA D",
                  codepage="cp1252", dbf_type="db3")
table.open(dbf.READ_WRITE)
table.append(("Peña Ñandú €", 42, 3.5, True, datetime.date(2024, 9, 1)))
table.append(("x", -7, -0.25, False, None))
table.append()
table.close()
