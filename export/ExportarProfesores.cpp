// Third step: one PROFT row per employee, with the full name made of three parts and an
// abbreviation of their first characters, made distinct ignoring letter case.
#include "export/ExportSteps.h"

#include "stores/TableCatalogue.h"

namespace exportrun {
namespace {

struct TeacherRow {
    std::string abrev, nombre, depart, xEmpleado, fTomapos;
};

// The name takes the parts trimmed; the abbreviation takes the first character of each part as
// the document holds it, a leading blank included.
TeacherRow teacherRow(const stores::DocumentRecord& record, UsedCodes& abbreviations) {
    TeacherRow row;
    row.xEmpleado = record.trimmed(0);
    row.fTomapos = record.trimmed(1);
    row.depart = record.trimmed(2);
    row.nombre = record.trimmed(3) + " " + record.trimmed(4) + ", " + record.trimmed(5);
    const std::string initials = firstCharacter(record.field(3)) +
                                 firstCharacter(record.field(4)) + firstCharacter(record.field(5));
    row.abrev = shortenedCode(abbreviations.distinct(initials));
    abbreviations.add(row.abrev);
    return row;
}

}  // namespace

void ExportarProfesores(ExportContext& context) {
    using namespace stores::fields;
    const auto& dir = context.exchangeDir;
    stores::deleteTableFiles(dir, stores::tables::PROFT);
    UsedCodes abbreviations(UsedCodes::LetterCase::Ignored);
    stores::createExchangeTable(dir, stores::tables::PROFT);
    auto records = context.document.records(stores::blocks::EMPLEADOS);
    auto table = stores::dbf::Table::open(dir, "PROFT.DBF");
    for (const auto& record : records) {
        if (!record.isUsed()) continue;
        const TeacherRow row = teacherRow(record, abbreviations);
        table.append();
        table.setText(ABREV, row.abrev);
        table.setText(NOMBRE, row.nombre);
        table.setText(DEPART, row.depart);
        table.setText(X_EMPLEADO, row.xEmpleado);
        table.setText(F_TOMAPOS, row.fTomapos);
        table.post();
    }
    table.close();
}

}  // namespace exportrun
