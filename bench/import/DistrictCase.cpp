// Writes the generated district through the table engine, row by row.
#include "DistrictCase.h"

#include "stores/TableCatalogue.h"
#include "stores/dbf/Table.h"

#include <fstream>
#include <string>

namespace bench {
namespace {

namespace fields = stores::fields;
namespace tables = stores::tables;
using stores::dbf::Table;

constexpr int kSubjectsPerGroup = 40;
constexpr int kActivities = 10;
constexpr int kDays = 7;
constexpr int kSlotsPerDay = 8;
constexpr int kSessionsPerAssignment = 4;

std::string num(std::int64_t n) { return std::to_string(n); }

template <typename Fill>
void writeTable(const std::filesystem::path& dir, std::string_view name, std::int64_t rows, Fill fill) {
    stores::createExchangeTable(dir, name);
    auto table = Table::open(dir, name, stores::dbf::OpenMode::Exclusive);
    for (std::int64_t i = 0; i < rows; ++i) {
        table.append();
        fill(table, i);
        table.post();
    }
    table.close();
}

std::string clock(int minutes) {
    const auto two = [](int n) { return (n < 10 ? "0" : "") + std::to_string(n); };
    return two(minutes / 60) + ":" + two(minutes % 60);
}

void writeSlots(const std::filesystem::path& dir) {
    writeTable(dir, tables::DIASHORAST, kDays * kSlotsPerDay, [](Table& t, std::int64_t i) {
        const int day = static_cast<int>(i / kSlotsPerDay) + 1;
        const int slot = static_cast<int>(i % kSlotsPerDay) + 1;
        const int start = 8 * 60 + (slot - 1) * 60;
        t.setText(fields::DIHO, num(day) + num(slot));
        t.setText(fields::CODDIHO, "T" + num(slot));
        t.setText(fields::DIA, num(day));
        t.setText(fields::HORA, num(slot));
        t.setText(fields::HORADESDE, clock(start));
        t.setText(fields::HORAHASTA, clock(start + 55));
        t.setText(fields::MINUTOS, "55");
        t.setText(fields::MARCO, "0");
        t.setText(fields::MARCOXML, "J1");
    });
}

void writeSolution(const std::filesystem::path& dir, const CaseSize& size) {
    using stores::dbf::FieldType;
    Table::create(dir, {"SOLUC.DBF",
                        {{"PROF", FieldType::Character, 10}, {"DIA", FieldType::Integer, 0},
                         {"HORA", FieldType::Integer, 0}, {"MARCO", FieldType::Character, 1},
                         {"ASIG", FieldType::Character, 10}, {"CODGRUPO", FieldType::Character, 10},
                         {"TAREA", FieldType::Character, 12}, {"AULA", FieldType::Character, 10}},
                        {},
                        stores::dbf::TableLevel::DBase4});
    auto soluc = Table::open(dir, tables::SOLUC, stores::dbf::OpenMode::Exclusive);
    for (std::int64_t row = 0; row < size.solutionRows; ++row) {
        const std::int64_t assignment = row / kSessionsPerAssignment % size.assignments;
        const std::int64_t session = row % kSessionsPerAssignment;
        const bool unplaced = row % 50 == 49;
        soluc.append();
        soluc.setText(fields::PROF, "P" + num(assignment % size.teachers));
        soluc.setInteger(fields::DIA, unplaced ? 0 : static_cast<std::int32_t>(1 + (assignment + session) % 5));
        soluc.setInteger(fields::HORA, static_cast<std::int32_t>(1 + (assignment / 5 + session) % kSlotsPerDay));
        soluc.setText(fields::MARCO, "0");
        const bool activity = assignment % 13 == 0;
        soluc.setText(fields::ASIG, activity ? "A" + num(assignment % kActivities)
                                             : "S" + num(assignment % kSubjectsPerGroup));
        soluc.setText(fields::CODGRUPO, "G" + num(assignment / kSubjectsPerGroup));
        soluc.setText(fields::TAREA, row % 10 == 3 ? "TX" + num(row % 7) : "");
        soluc.setText(fields::AULA, row % 7 == 0 ? "" : "R" + num(row % (size.teachers / 5 + 1)));
        soluc.post();
    }
    soluc.close();
}

}  // namespace

CaseSize districtSize(int factor) {
    return {5000LL * factor, 1250LL * factor, 50000LL * factor, 200000LL * factor};
}

void writeDistrictCase(const std::filesystem::path& dir, const CaseSize& size) {
    writeTable(dir, tables::ASIGNOMT, kSubjectsPerGroup + kActivities, [](Table& t, std::int64_t i) {
        const bool activity = i >= kSubjectsPerGroup;
        t.setText(fields::COD, activity ? "A" + num(i - kSubjectsPerGroup) : "S" + num(i));
        t.setText(fields::NOMBRE, "Materia " + num(i));
        if (activity) t.setText(fields::CODTAREA, "TA" + num(i));
        t.setLogical(fields::ESTAREA, activity);
    });
    writeTable(dir, tables::PROFT, size.teachers, [](Table& t, std::int64_t i) {
        t.setText(fields::ABREV, "P" + num(i));
        t.setText(fields::NOMBRE, "Profesor " + num(i));
        t.setText(fields::X_EMPLEADO, num(100000 + i));
        t.setText(fields::F_TOMAPOS, "01/09/2020");
    });
    writeTable(dir, tables::AULAT, size.teachers / 5, [](Table& t, std::int64_t i) {
        t.setText(fields::ABREV, "R" + num(i));
    });
    writeTable(dir, tables::CURSOST, size.groups / 4, [](Table& t, std::int64_t i) {
        t.setText(fields::CLAVE, "C" + num(i));
    });
    writeTable(dir, tables::GRUPOST, size.groups, [](Table& t, std::int64_t i) {
        t.setText(fields::ABREV, "G" + num(i));
        t.setText(fields::MARCO, "0");
        t.setText(fields::CLAVE, "U" + num(i));
        t.setText(fields::CLAVECURSO, "C" + num(i / 4));
    });
    writeTable(dir, tables::ASIGT, size.assignments, [](Table& t, std::int64_t i) {
        t.setText(fields::CASIG, "S" + num(i % kSubjectsPerGroup));
        t.setText(fields::CGRUP, "G" + num(i / kSubjectsPerGroup));
        t.setFloat(fields::HORAS, kSessionsPerAssignment);
        t.setText(fields::CLAVE, "M" + num(i % kSubjectsPerGroup));
        t.setText(fields::CLAVECURSO, "C" + num(i / kSubjectsPerGroup / 4));
    });
    writeSlots(dir);
    writeTable(dir, tables::PERIODOS, 1, [](Table& t, std::int64_t) {
        t.setText(fields::CJORNADA, "J1");
        t.setText(fields::FECINI, "15/09/2024");
        t.setText(fields::FECFIN, "23/06/2025");
    });
    writeSolution(dir, size);
    std::ofstream(dir / "centro.xml")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"ANNO\"><dato>2024</dato></grupo_datos>"
           "</BLOQUE_DATOS></SERVICIO>\n";
}

}  // namespace bench
