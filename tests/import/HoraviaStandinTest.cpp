#include "stores/TableCatalogue.h"
#include "stores/dbf/Table.h"
#include "support/ImportFixture.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

namespace {

using namespace importtest;
namespace tables = stores::tables;

const std::string kStandin = std::string(BIN_DIR) + "/horavia-standin";

// Three groups of one frame, four slots on each of the seven days, two teachers for nine
// four-hour assignments: more sessions than the teachers can give, so some stay unplaced.
void writeExportedTables(const std::filesystem::path& dir) {
    writeExchangeTable(dir, tables::PROFT, {{{"ABREV", "GLA"}}, {{"ABREV", "O'NE"}}});
    writeExchangeTable(dir, tables::AULAT, {{{"ABREV", "A1"}}, {{"ABREV", "A2"}}});
    writeExchangeTable(dir, tables::GRUPOST, {{{"ABREV", "1A"}, {"MARCO", "0"}},
                                              {{"ABREV", "1B"}, {"MARCO", "0"}},
                                              {{"ABREV", "2A"}, {"MARCO", "0"}}});
    std::vector<Row> slots;
    for (int day = 1; day <= 7; ++day)
        for (int hour = 1; hour <= 4; ++hour)
            slots.push_back({{"DIHO", std::to_string(day * 10 + hour)}, {"DIA", std::to_string(day)},
                             {"HORA", std::to_string(hour)}, {"MARCO", "0"}});
    writeExchangeTable(dir, tables::DIASHORAST, slots);
    std::vector<Row> assignments;
    for (const char* subject : {"MAT", "LEN", "ING"})
        for (const char* group : {"1A", "1B", "2A"})
            assignments.push_back({{"CASIG", subject}, {"CGRUP", group}});
    writeExchangeTable(dir, tables::ASIGT, assignments);
    auto asigt = stores::dbf::Table::open(dir, tables::ASIGT, stores::dbf::OpenMode::Exclusive);
    for (asigt.first(); !asigt.atEnd(); asigt.next()) {
        asigt.edit();
        asigt.setFloat("HORAS", 4);
    }
    asigt.close();
    writeExchangeTable(dir, tables::ASIGNOMT, {{{"COD", "GUA"}, {"CODTAREA", "TG"}}});
}

struct Placed {
    std::string prof, dia, hora, marco, asig, grupo, aula;
};

std::vector<Placed> readSolution(const std::filesystem::path& dir) {
    std::vector<Placed> rows;
    auto soluc = stores::dbf::Table::open(dir, tables::SOLUC);
    for (soluc.first(); !soluc.atEnd(); soluc.next())
        rows.push_back({soluc.text("PROF"), soluc.text("DIA"), soluc.text("HORA"), soluc.text("MARCO"),
                        soluc.text("ASIG"), soluc.text("CODGRUPO"), soluc.text("AULA")});
    return rows;
}

TEST(HoraviaStandin, PlacesEverySessionOnceWithoutDoubleBookings) {
    ScratchFolder dir;
    writeExportedTables(dir.path());
    const auto first = runCommand(shellQuoted(kStandin) + " " + shellQuoted(dir.path().string()));
    ASSERT_EQ(first.status, 0) << first.err;
    const auto rows = readSolution(dir.path());

    std::map<std::pair<std::string, std::string>, int> sessions;
    std::set<std::tuple<std::string, std::string, std::string, std::string>> teachers, groups, rooms;
    int unplaced = 0;
    for (const auto& row : rows) {
        ++sessions[{row.asig, row.grupo}];
        if (row.dia == "0") {
            ++unplaced;
            continue;
        }
        SCOPED_TRACE(row.prof + " " + row.dia + "/" + row.hora + " " + row.grupo + " " + row.aula);
        EXPECT_TRUE(row.prof == "GLA" || row.prof == "O'NE");
        EXPECT_EQ(row.marco, "0");
        EXPECT_TRUE(teachers.insert({row.prof, row.dia, row.hora, row.marco}).second) << "teacher twice";
        EXPECT_TRUE(groups.insert({row.grupo, row.dia, row.hora, row.marco}).second) << "group twice";
        if (!row.aula.empty()) {
            EXPECT_TRUE(rooms.insert({row.aula, row.dia, row.hora, row.marco}).second) << "room twice";
        }
    }
    EXPECT_EQ(sessions.size(), 9u);
    for (const auto& [assignment, count] : sessions) EXPECT_EQ(count, 4) << assignment.first << assignment.second;
    EXPECT_GT(unplaced, 0);
    EXPECT_GT(teachers.size(), 30u);

    const std::string before = ScratchFolder::read(dir.path() / "SOLUC.DBF");
    const auto second = runCommand(shellQuoted(kStandin) + " " + shellQuoted(dir.path().string()));
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(ScratchFolder::read(dir.path() / "SOLUC.DBF"), before) << "the same tables give the same solution";
    EXPECT_EQ(second.out, first.out);
}

}  // namespace
