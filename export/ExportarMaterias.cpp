// First step: one ASIGNOMT row for every distinct subject name, with a short code made from the
// name (distinct within the run, at most 10 characters) and a long code.
#include "export/ExportSteps.h"

#include "stores/TableCatalogue.h"
#include "text/Clipper.h"
#include "text/LetterCase.h"

#include <optional>

namespace exportrun {
namespace {

using namespace stores::fields;

bool isCapital(char c) { return c >= 'A' && c <= 'Z'; }

// The code before it is made distinct: the first character when it is no capital, then the
// capitals; a code of one character is made from the name's start or its initials instead.
std::string codeFromName(const std::string& name) {
    std::string code;
    if (!isCapital(name.front())) code = name.front();
    code += text::SoloMayusculas(name);
    if (code.size() == 1) {
        if (name.find(' ') == std::string::npos)
            code = text::Left(name, 6);
        else
            code = name.front() + text::Iniciales(name);
    }
    return code;
}

struct SubjectRow {
    std::string cod, codLargo, nombre;
};

// Nothing when the name is empty or was already written in another letter case of "a" to "z".
std::optional<SubjectRow> subjectRow(ExportContext& context, const std::string& name) {
    if (name.empty()) return std::nullopt;
    std::string code = codeFromName(name);
    const std::string codLargo = code.size() <= 4 ? text::Left(name, 10) : code;
    code = text::Left(code, 10);
    if (!context.nombresUsados.insert(text::UpperAscii(name)).second) return std::nullopt;
    code = shortenedCode(context.codigosUsados.distinct(code));
    context.codigosUsados.add(code);
    return SubjectRow{code, codLargo, name};
}

}  // namespace

void ExportarMaterias(ExportContext& context) {
    const auto& dir = context.exchangeDir;
    stores::deleteTableFiles(dir, stores::tables::ASIGNOMT);
    stores::createExchangeTable(dir, stores::tables::ASIGNOMT);
    auto records = context.document.records(stores::blocks::MATERIAS);
    auto table = stores::dbf::Table::open(dir, "ASIGNOMT.DBF");
    for (const auto& record : records) {
        if (!record.isUsed()) continue;
        const auto row = subjectRow(context, record.trimmed(2));
        if (!row) continue;
        table.append();
        table.setText(COD, row->cod);
        table.setText(CODLARGO, row->codLargo);
        table.setText(NOMBRE, row->nombre);
        table.setLogical(ESTAREA, false);
        table.post();
    }
    table.close();
}

}  // namespace exportrun
