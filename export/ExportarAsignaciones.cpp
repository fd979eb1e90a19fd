// Sixth step: ASIGT, one row for every subject and every class group of the subject's course,
// the subject's code found by its name in ASIGNOMT.
#include "export/ExportSteps.h"

#include "stores/TableCatalogue.h"
#include "text/Clipper.h"
#include "text/LetterCase.h"

#include <unordered_map>
#include <vector>

namespace exportrun {
namespace {

using namespace stores::fields;
using stores::dbf::Table;

// Every subject gets 240 minutes a week: 4 hours, one session of an hour each.
constexpr double kHoras = 4;
constexpr std::string_view kSesiones = "1111";
constexpr std::string_view kCTarea = "1";

// Names are matched upper-cased in "a" to "z" only and trimmed.
std::string comparisonForm(std::string_view name) { return text::AllTrim(text::UpperAscii(name)); }

// Comparison form of NOMBRE -> COD of the first row with it.
std::unordered_map<std::string, std::string> codesByName(Table& asignomt) {
    std::unordered_map<std::string, std::string> codes;
    for (asignomt.first(); !asignomt.atEnd(); asignomt.next())
        codes.try_emplace(comparisonForm(asignomt.text(NOMBRE)), asignomt.text(COD));
    return codes;
}

struct GroupRow {
    std::string abrev, nivel, curso, grupo;
};

// CLAVECURSO -> the groups of that course, in stored order.
std::unordered_map<std::string, std::vector<GroupRow>> groupsByCourse(Table& grupost) {
    std::unordered_map<std::string, std::vector<GroupRow>> groups;
    for (grupost.first(); !grupost.atEnd(); grupost.next())
        groups[grupost.text(CLAVECURSO)].push_back(GroupRow{
            grupost.text(ABREV), grupost.text(NIVEL), grupost.text(CURSO), grupost.text(GRUPO)});
    return groups;
}

void appendAssignment(Table& asigt, const std::string& code, const GroupRow& group,
                      const std::string& subjectKey, const std::string& courseKey) {
    asigt.append();
    asigt.setText(CASIG, code);
    asigt.setText(CGRUP, group.abrev);
    asigt.setText(CAULA, "");
    asigt.setText(TURNO, "");
    asigt.setText(NIVEL, group.nivel);
    asigt.setText(CURSO, group.curso);
    asigt.setText(GRUPO, group.grupo);
    asigt.setFloat(HORAS, kHoras);
    asigt.setText(SESIONES, kSesiones);
    asigt.setText(CLAVE, subjectKey);
    asigt.setText(CLAVECURSO, courseKey);
    asigt.setText(CTAREA, kCTarea);
    asigt.post();
}

}  // namespace

void ExportarAsignaciones(ExportContext& context) {
    const auto& dir = context.exchangeDir;
    stores::deleteTableFiles(dir, stores::tables::ASIGT);
    stores::createExchangeTable(dir, stores::tables::ASIGT);
    auto asigt = Table::open(dir, "ASIGT.DBF");
    auto grupost = Table::open(dir, stores::tables::GRUPOST, stores::dbf::OpenMode::Exclusive);
    auto asignomt = Table::open(dir, stores::tables::ASIGNOMT, stores::dbf::OpenMode::Exclusive);
    const auto groups = groupsByCourse(grupost);
    const auto codes = codesByName(asignomt);
    auto records = context.document.records(stores::blocks::MATERIAS);
    for (const auto& record : records) {
        if (!record.isUsed()) continue;
        const std::string courseKey = record.trimmed(0);
        const std::string subjectKey = record.trimmed(1);
        const std::string name = record.trimmed(2);
        // As in the subject step, a subject without a name has no code; it must not take the
        // code of an activity whose name is missing too.
        if (name.empty()) continue;
        const auto code = codes.find(comparisonForm(text::Left(name, 80)));
        if (code == codes.end() || code->second.empty()) continue;
        const auto courseGroups = groups.find(courseKey);
        if (courseGroups == groups.end()) continue;
        for (const auto& group : courseGroups->second)
            appendAssignment(asigt, code->second, group, subjectKey, courseKey);
    }
    asigt.close();
    grupost.close();
    asignomt.close();
}

}  // namespace exportrun
