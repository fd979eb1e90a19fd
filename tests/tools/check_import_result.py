"""Checks a result of the import run element by element against the tables it was made from.

Usage: check_import_result.py EXCHANGE_DIR INPUT.xml RESULT.xml

It reads the exchange tables and SOLUC with dbfread and the documents with ElementTree, builds
the result it expects, and compares names, attributes (in their order) and texts. It prints the
first difference and exits 1, or prints what it checked and exits 0.
"""
import os
import re
import sys
import xml.etree.ElementTree as ET

import dbfread

ACTIVITY_VALUES = ["N_DIASEMANA", "X_TRAMO", "X_DEPENDENCIA", "X_UNIDAD", "X_OFERTAMATRIG",
                   "X_MATERIAOMG", "F_INICIO", "F_FIN", "N_HORINI", "N_HORFIN", "X_ACTIVIDAD"]
ANY_DATE_TIME = re.compile(r".+ .+")


def table(directory, name):
    """The rows of NAME.DBF (any letter case) as dicts of texts, in stored order."""
    for entry in os.listdir(directory):
        if entry.upper() == name + ".DBF":
            rows = dbfread.DBF(os.path.join(directory, entry), encoding="cp1252",
                               char_decode_errors="strict")
            return [{field: text_of(value) for field, value in row.items()} for row in rows]
    raise SystemExit("missing table " + name)


def text_of(value):
    if value is None:
        return ""
    if isinstance(value, bool):
        return "T" if value else "F"
    if isinstance(value, float) and value.is_integer():
        return str(int(value))
    return str(value)


def first_rows(rows, *key_fields):
    found = {}
    for row in rows:
        found.setdefault(tuple(row[f] for f in key_fields), row)
    return found


def minutes(time):
    if len(time) < 5:
        time = "0" + time
    hours = time if len(time) <= 2 else time[:2]
    mins = time if len(time) <= 2 else time[-2:]
    if not (hours.isdigit() and mins.isdigit() and hours.isascii() and mins.isascii()):
        raise SystemExit("slot time is no hh:mm: " + repr(time))
    return str(int(hours) * 60 + int(mins))


def element(tag, attributes, text="", children=()):
    return (tag, list(attributes), text, list(children))


def dato(name, value):
    return element("dato", [("nombre_dato", name)], value)


def expected_result(exchange, document):
    data = ET.parse(document).getroot().find("BLOQUE_DATOS")
    # Text nodes of white space alone are dropped when the document is loaded.
    year = "".join(t for t in data[0].itertext() if t.strip(" \t\r\n"))[:4]
    periods = table(exchange, "PERIODOS")
    start, end = (periods[0]["FECINI"], periods[0]["FECFIN"]) if periods else ("", "")
    assignments = first_rows(table(exchange, "ASIGT"), "CASIG", "CGRUP")
    activities = first_rows(table(exchange, "ASIGNOMT"), "COD")
    slots = first_rows(table(exchange, "DIASHORAST"), "DIHO", "MARCO")
    units = first_rows(table(exchange, "GRUPOST"), "ABREV")
    solution = table(exchange, "SOLUC")
    teachers = table(exchange, "PROFT")

    def activity(number, row):
        assignment = assignments.get((row["ASIG"], row["CODGRUPO"]), {})
        slot = slots.get((row["DIA"] + str(int(row["HORA"] or 0)), row["MARCO"][:1]), {})
        unit = units.get((row["CODGRUPO"],), {})
        task = row["TAREA"]
        if not task.strip(" "):
            task = activities.get((row["ASIG"],), {}).get("CODTAREA", task)
        values = [slot.get("DIA", ""), slot.get("CODDIHO", ""),
                  row["AULA"] if row["AULA"].strip(" ") else "", unit.get("CLAVE", ""),
                  assignment.get("CLAVECURSO", ""), assignment.get("CLAVE", ""), start, end,
                  minutes(slot.get("HORADESDE", "")), minutes(slot.get("HORAHASTA", "")),
                  task if task.strip(" ") else "1"]
        return element("grupo_datos", [("seq", "ACTIVIDAD_%d" % number)], "",
                       [dato(n, v) for n, v in zip(ACTIVITY_VALUES, values)])

    groups = []
    for number, teacher in enumerate(teachers, 1):
        lessons = [r for r in solution if r["PROF"] == teacher["ABREV"] and int(r["DIA"] or 0) != 0]
        groups.append(element(
            "grupo_datos",
            [("seq", "HORARIO_REGULAR_PROFESOR_%d" % number), ("registros", str(len(lessons)))], "",
            [dato("X_EMPLEADO", teacher["X_EMPLEADO"]), dato("F_TOMAPOS", teacher["F_TOMAPOS"])]
            + [activity(n, r) for n, r in enumerate(lessons, 1)]))
    return element("SERVICIO", [("modulo", "HORARIOS"), ("tipo", "I"), ("autor", "HORARIOS"),
                                ("fecha", ANY_DATE_TIME)], "", [
        element("BLOQUE_DATOS", [], "", [
            element("grupo_datos", [("seq", "ANNO_ACADEMICO")], "", [dato("C_ANNO", year)]),
            element("grupo_datos", [("seq", "HORARIOS_REGULARES"), ("registros", str(len(teachers)))],
                    "", groups)])])


def actual_tree(node):
    children = [actual_tree(child) for child in node]
    text = "" if children else (node.text or "")
    return element(node.tag, node.attrib.items(), text, children)


def compare(expected, actual, where):
    """The first difference below `where`, the path of this element, or None."""
    tag, attributes, text, children = expected
    if actual[0] != tag:
        return "%s: element %s found" % (where, actual[0])
    names = [name for name, _ in attributes]
    if [name for name, _ in actual[1]] != names:
        return "%s: attributes %s, expected %s" % (where, [n for n, _ in actual[1]], names)
    for (name, want), (_, got) in zip(attributes, actual[1]):
        if (want.fullmatch(got) is None) if hasattr(want, "fullmatch") else want != got:
            return "%s@%s: %r, expected %r" % (where, name, got, want)
    if text != actual[2]:
        return "%s: text %r, expected %r" % (where, actual[2], text)
    if len(children) != len(actual[3]):
        return "%s: %d children, expected %d" % (where, len(actual[3]), len(children))
    for i, (want, got) in enumerate(zip(children, actual[3])):
        problem = compare(want, got, "%s/%s[%d]" % (where, want[0], i + 1))
        if problem:
            return problem
    return None


def count(tree, seq_prefix):
    own = 1 if any(n == "seq" and v.startswith(seq_prefix) for n, v in tree[1]) else 0
    return own + sum(count(child, seq_prefix) for child in tree[3])


def main():
    exchange, document, result = sys.argv[1:4]
    expected = expected_result(exchange, document)
    actual = actual_tree(ET.parse(result).getroot())
    problem = compare(expected, actual, "/" + expected[0])
    if problem:
        print(problem)
        return 1
    print("teachers %d activities %d" % (count(actual, "HORARIO_REGULAR_PROFESOR_"),
                                         count(actual, "ACTIVIDAD_")))
    return 0


if __name__ == "__main__":
    sys.exit(main())
