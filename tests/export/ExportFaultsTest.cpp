// A disk that fills up in the middle of an export, at many points along the run: the run stops
// naming the step and the table, every table on disk opens in an independent reader (dbfread),
// the tables written before are whole, and the one being written holds the rows stored so far or
// is absent.
#include "support/ExportFixture.h"

#include "stores/RunError.h"
#include "stores/TableCatalogue.h"
#include "stores/dbf/Testing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <regex>
#include <set>
#include <sys/wait.h>

namespace {

using exporttest::Block;
using exporttest::ExportFixture;
namespace fs = std::filesystem;

struct FailingWrites {
    explicit FailingWrites(std::uint64_t bytes) { stores::dbf::testing::failWritesAfter(bytes); }
    ~FailingWrites() { stores::dbf::testing::stopFailingWrites(); }
};

std::vector<Block> school() {
    return {{"MATERIAS", {{"3001", "M1", "Matemáticas"}, {"3001", "M2", "Lengua Castellana"},
                          {"3001", "M3", "Educación Física"}}},
            {"ACTIVIDADES", {{"A", "GUARDIA", "Guardia"}}},
            {"EMPLEADOS", {{"1001", "01/09/2015", "Matemáticas", "García", "López", "Ana"},
                           {"1002", "01/09/2018", "Lengua", "Pérez", "Ruiz", "Luis"}}},
            {"DEPENDENCIAS", {{"A101", "Aula 1.01"}, {"LAB", "Laboratorio"}}},
            {"CURSOS_DEL_CENTRO", {{"3001", "1º ESO"}}},
            {"UNIDADES", {{"U1", "1º ESO A", "3001"}, {"U2", "1º ESO B", "3001"}}},
            {"JORNADAS_ESCOLARES", {{"ORD", "Ordinaria", "15/09/2026", "31/05/2027"},
                                    {"INT", "Intensiva", "01/06/2027", "22/06/2027"}}},
            {"TRAMOS_HORARIOS", {{"O1", "1ª", "495", "550", "ORD"}, {"O2", "2ª", "550", "605", "ORD"},
                                 {"I1", "1ª", "480", "530", "INT"}}}};
}

// One table as dbfread reads it: its header lines (version, fields) and its rows.
struct Dumped {
    std::vector<std::string> header;
    std::vector<std::string> rows;
};

// Every table of the folder, read by dbfread; a table it cannot read fails the test.
std::map<std::string, Dumped> readWithDbfread(const fs::path& folder) {
    const std::string command = std::string(PYTHON3) + " " TOOLS_DIR "/dump_tables.py '" + folder.string() + "' 2>&1";
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[4096];
    for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    const int status = pipe ? ::pclose(pipe) : -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "dbfread cannot read a table:\n" << out;
    std::map<std::string, Dumped> tables;
    Dumped* current = nullptr;
    std::size_t start = 0;
    for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = out.substr(start, end - start);
        if (line.rfind("== ", 0) == 0) {
            current = &tables[line.substr(3, line.find(".DBF") - 3)];
        } else if (current != nullptr) {
            const bool header = line.rfind("version ", 0) == 0 || line.rfind("campo ", 0) == 0;
            (header ? current->header : current->rows).push_back(line);
        }
    }
    return tables;
}

bool isPrefix(const std::vector<std::string>& part, const std::vector<std::string>& whole) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

// The steps in their order, and the last step that writes each table.
const std::vector<std::string> kSteps = {"ExportarMaterias", "ExportarActividades",
                                         "ExportarProfesores", "ExportarAulas",
                                         "ExportarCursosGrupos", "ExportarAsignaciones",
                                         "ExportarTramos"};
const std::map<std::string, std::string> kWrittenLastBy = {
    {"ASIGNOMT", "ExportarActividades"}, {"PROFT", "ExportarProfesores"},
    {"AULAT", "ExportarAulas"},          {"CURSOST", "ExportarCursosGrupos"},
    {"GRUPOST", "ExportarCursosGrupos"}, {"ASIGT", "ExportarAsignaciones"},
    {"DIASHORAST", "ExportarTramos"},    {"DIASHORAST2", "ExportarTramos"},
    {"PERIODOS", "ExportarTramos"}};

std::size_t stepIndex(const std::string& step) {
    return static_cast<std::size_t>(std::find(kSteps.begin(), kSteps.end(), step) - kSteps.begin());
}

stores::RunOutcome runSchool(ExportFixture& fixture) {
    fixture.frontEnd.answers.push_back(exporttest::chosen({"ORD", "INT"}));
    return fixture.run(school());
}

TEST(ExportFaults, AFullDiskAnywhereInTheRunLeavesWholeTablesAndNamesWhatFailed) {
    ExportFixture complete;
    ASSERT_EQ(runSchool(complete), stores::RunOutcome::Finished);
    const auto finished = readWithDbfread(complete.exchangeDir());
    ASSERT_EQ(finished.size(), 9u);

    const std::regex failure(R"(^(Exportar[A-Za-z]+): .*/KTEMP/([A-Z0-9]+)\.DBF.*: no queda espacio en el disco$)");
    // Every table takes more than 211 bytes to create, so stepping the budget by 211 stops the
    // run at least once inside the writing of each of the nine.
    std::set<std::string> stoppedIn;
    for (std::uint64_t budget = 0;; budget += 211) {
        SCOPED_TRACE("writes fail after " + std::to_string(budget) + " bytes");
        ExportFixture fixture;
        std::string message;
        {
            FailingWrites failing(budget);
            try {
                EXPECT_EQ(runSchool(fixture), stores::RunOutcome::Finished);
            } catch (const stores::RunError& e) {
                message = e.what();
            }
        }
        const auto& dir = fixture.exchangeDir();
        const auto found = readWithDbfread(dir);
        for (const auto& entry : fs::directory_iterator(dir))
            EXPECT_NE(entry.path().filename().string().front(), '.') << "temporary file " << entry.path();
        EXPECT_EQ(fs::exists(dir / "DIASHORAST2.DBF"), fs::exists(dir / "DIASHORAST2.MDX"))
            << "a table whose header names an index goes with its index file";
        if (message.empty()) {
            for (const auto& [table, dumped] : finished) EXPECT_EQ(found.at(table).rows, dumped.rows) << table;
            break;
        }
        std::smatch named;
        ASSERT_TRUE(std::regex_match(message, named, failure)) << message;
        const std::size_t failedStep = stepIndex(named[1]);
        ASSERT_LT(failedStep, kSteps.size()) << message;
        stoppedIn.insert(named[2]);
        for (const auto& [table, dumped] : found) {
            SCOPED_TRACE(table);
            const auto& whole = finished.at(table);
            EXPECT_EQ(dumped.header, whole.header);
            EXPECT_TRUE(isPrefix(dumped.rows, whole.rows));
        }
        for (const auto& [table, step] : kWrittenLastBy) {
            if (stepIndex(step) >= failedStep) continue;
            SCOPED_TRACE(table + " is whole: " + step + " ran before " + kSteps[failedStep]);
            ASSERT_TRUE(found.contains(table));
            EXPECT_EQ(found.at(table).rows, finished.at(table).rows);
        }
    }
    std::set<std::string> all;
    for (const auto table : stores::exchangeTablesInCreationOrder()) all.insert(std::string(table));
    EXPECT_EQ(stoppedIn, all);
}

}  // namespace
