// Fifth step: the courses (CURSOST), with level and study from the reference table NIVELEX,
// and the class groups (GRUPOST), with a distinct abbreviation and the data of their course.
#include "export/ExportSteps.h"

#include "export/WholeNumber.h"
#include "stores/RunError.h"
#include "stores/TableCatalogue.h"
#include "text/Clipper.h"

#include <optional>
#include <unordered_map>

namespace exportrun {
namespace {

using namespace stores::fields;
using stores::dbf::Table;

constexpr std::string_view kNoLevel = "Niv";

struct Level {
    std::string nivel, estudio;
};

// The reference table searched by whole-number key; each key is looked up once per step.
class ReferenceLevels {
public:
    explicit ReferenceLevels(const std::filesystem::path& file)
        : m_table(Table::open(file.has_parent_path() ? file.parent_path() : ".",
                              file.filename().string())) {}

    const std::optional<Level>& find(std::int32_t key) {
        const auto known = m_found.find(key);
        if (known != m_found.end()) return known->second;
        std::optional<Level> level;
        if (m_table.locate(X_OFERTAMATRIG, key))
            level = Level{m_table.text(NIVEL_ABREV), m_table.text(ESTUDIO)};
        return m_found.emplace(key, std::move(level)).first->second;
    }

    void close() { m_table.close(); }

private:
    Table m_table;
    std::unordered_map<std::int32_t, std::optional<Level>> m_found;
};

void writeCourses(ExportContext& context, Table& cursos) {
    auto records = context.document.records(stores::blocks::CURSOS_DEL_CENTRO);
    ReferenceLevels levels(context.referenceTable);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const auto& record = records[i];
        if (!record.isUsed()) continue;
        const std::string key = record.trimmed(0);
        const auto keyNumber = parseWholeNumber(key);
        if (!keyNumber)
            throw stores::RunError(
                "la clave de curso " +
                valueInRecord(key, i, stores::blocks::CURSOS_DEL_CENTRO) +
                " no es un número entero.");
        const std::string name = record.trimmed(1);
        std::string level(kNoLevel);
        std::string study = name;
        if (const auto& found = levels.find(*keyNumber)) {
            level = found->nivel.empty() ? std::string(kNoLevel) : found->nivel;
            study = found->estudio;
        }
        cursos.append();
        cursos.setText(CLAVE, key);
        cursos.setText(NIVEL, level);
        cursos.setText(CURSO, text::Left(name, 1));
        cursos.setText(ESTUD, study);
        cursos.post();
    }
    levels.close();
}

struct CourseData {
    std::string nivel, curso, estud;
};

// CLAVE as stored -> the first course row with it.
std::unordered_map<std::string, CourseData> coursesByKey(Table& cursos) {
    std::unordered_map<std::string, CourseData> courses;
    for (cursos.first(); !cursos.atEnd(); cursos.next())
        courses.try_emplace(cursos.text(CLAVE),
                            CourseData{cursos.text(NIVEL), cursos.text(CURSO), cursos.text(ESTUD)});
    return courses;
}

void writeGroups(ExportContext& context, Table& cursos, Table& grupos) {
    const auto courses = coursesByKey(cursos);
    UsedCodes gruposUsados(UsedCodes::LetterCase::Ignored);
    auto records = context.document.records(stores::blocks::UNIDADES);
    for (const auto& record : records) {
        if (!record.isUsed()) continue;
        const std::string name = record.trimmed(1);
        const std::string courseKey = record.trimmed(2);
        CourseData course;
        if (const auto found = courses.find(courseKey); found != courses.end())
            course = found->second;
        const std::string letter = text::Right(name, 1);
        // Looked up uncut while the list holds cut forms: a name longer than 10 characters
        // never takes a number.
        const std::string abbreviation = shortenedCode(gruposUsados.distinct(name));
        gruposUsados.add(abbreviation);
        grupos.append();
        grupos.setText(ABREV, abbreviation);
        grupos.setText(TURNO, "");
        grupos.setText(NIVEL, course.nivel);
        grupos.setText(CURSO, course.curso);
        grupos.setText(GRUPO, letter);
        grupos.setText(DESCRIP, !course.estud.empty()
                                    ? course.estud
                                    : " " + course.nivel + " " + course.curso + " " + letter);
        grupos.setText(MARCO, "0");
        grupos.setText(CLAVE, record.trimmed(0));
        grupos.setText(CLAVECURSO, courseKey);
        grupos.post();
    }
}

}  // namespace

void ExportarCursosGrupos(ExportContext& context) {
    const auto& dir = context.exchangeDir;
    stores::deleteTableFiles(dir, stores::tables::GRUPOST);
    stores::deleteTableFiles(dir, stores::tables::CURSOST);
    stores::createExchangeTable(dir, stores::tables::CURSOST);
    stores::createExchangeTable(dir, stores::tables::GRUPOST);
    auto cursos = Table::open(dir, "CURSOST.DBF");
    writeCourses(context, cursos);
    auto grupos = Table::open(dir, "GRUPOST.DBF");
    writeGroups(context, cursos, grupos);
    grupos.close();
    cursos.close();
}

}  // namespace exportrun
