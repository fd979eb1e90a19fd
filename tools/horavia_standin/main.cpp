// horavia-standin: plays Horavia's part for tests and the demo. It reads the tables that the
// export run wrote in the exchange directory and writes SOLUC.DBF, the solved timetable, there.
#include "Timetabler.h"

#include "stores/RunError.h"
#include "stores/TableCatalogue.h"
#include "stores/dbf/Table.h"
#include "text/Clipper.h"

#include <cmath>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

namespace fields = stores::fields;
namespace tables = stores::tables;
using stores::dbf::Table;

constexpr std::uint64_t kDefaultSeed = 20240901;

template <typename Add>
void readRows(const std::filesystem::path& dir, std::string_view name, Add add) {
    auto table = Table::open(dir, name);
    for (table.first(); !table.atEnd(); table.next()) add(table);
    table.close();
}

standin::Problem readProblem(const std::filesystem::path& dir) {
    standin::Problem problem;
    readRows(dir, tables::PROFT, [&](Table& t) { problem.teachers.push_back(t.text(fields::ABREV)); });
    readRows(dir, tables::AULAT, [&](Table& t) { problem.rooms.push_back(t.text(fields::ABREV)); });
    readRows(dir, tables::GRUPOST, [&](Table& t) {
        problem.groupFrames.try_emplace(t.text(fields::ABREV), t.text(fields::MARCO));
    });
    readRows(dir, tables::DIASHORAST, [&](Table& t) {
        problem.slots.push_back({t.integer(fields::DIA), t.integer(fields::HORA), t.text(fields::MARCO)});
    });
    readRows(dir, tables::ASIGT, [&](Table& t) {
        const double hours = t.number(fields::HORAS);
        problem.assignments.push_back(
            {t.text(fields::CASIG), t.text(fields::CGRUP), hours > 0 ? static_cast<int>(std::lround(hours)) : 0});
    });
    readRows(dir, tables::ASIGNOMT, [&](Table& t) {
        const std::string code = t.text(fields::CODTAREA);
        if (t.logical(fields::ESTAREA) && !text::AllTrim(code).empty()) problem.activityCodes.push_back(code);
    });
    return problem;
}

stores::dbf::TableDef solucLayout() {
    using stores::dbf::FieldType;
    return {"SOLUC.DBF",
            {{"PROF", FieldType::Character, 10}, {"DIA", FieldType::Integer, 0},
             {"HORA", FieldType::Integer, 0}, {"MARCO", FieldType::Character, 1},
             {"ASIG", FieldType::Character, 10}, {"CODGRUPO", FieldType::Character, 10},
             {"TAREA", FieldType::Character, 12}, {"AULA", FieldType::Character, 10}},
            {},
            stores::dbf::TableLevel::DBase4};
}

void writeSolution(const std::filesystem::path& dir, const std::vector<standin::SolutionRow>& rows) {
    Table::create(dir, solucLayout());
    auto soluc = Table::open(dir, tables::SOLUC, stores::dbf::OpenMode::Exclusive);
    for (const auto& row : rows) {
        soluc.append();
        soluc.setText(fields::PROF, row.prof);
        soluc.setInteger(fields::DIA, row.dia);
        soluc.setInteger(fields::HORA, row.hora);
        soluc.setText(fields::MARCO, row.marco);
        soluc.setText(fields::ASIG, row.asig);
        soluc.setText(fields::CODGRUPO, row.codgrupo);
        soluc.setText(fields::TAREA, row.tarea);
        soluc.setText(fields::AULA, row.aula);
        soluc.post();
    }
    soluc.close();
}

int usage() {
    std::cerr << "Uso: horavia-standin CARPETA_INTERCAMBIO [--semilla N]\n"
                 "Resuelve las tablas exportadas de la carpeta como lo haría Horavia y escribe\n"
                 "en ella SOLUC.DBF. La misma semilla da siempre el mismo horario.\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::filesystem::path dir;
    std::uint64_t seed = kDefaultSeed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--semilla" && i + 1 < args.size()) {
            try {
                seed = std::stoull(args[++i]);
            } catch (const std::exception&) {
                return usage();
            }
        } else if (dir.empty() && args[i].rfind("-", 0) != 0) {
            dir = args[i];
        } else {
            return usage();
        }
    }
    if (dir.empty()) return usage();
    try {
        const auto rows = standin::solve(readProblem(dir), seed);
        writeSolution(dir, rows);
        std::size_t unplaced = 0;
        for (const auto& row : rows) unplaced += row.dia == 0 ? 1 : 0;
        std::cout << "SOLUC.DBF: " << rows.size() - unplaced << " sesiones colocadas, " << unplaced
                  << " sin colocar.\n";
        return 0;
    } catch (const stores::RunError& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}
