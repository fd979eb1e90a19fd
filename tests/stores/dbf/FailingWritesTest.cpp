// Writes that fail part-way (a full disk, an I/O error) leave a valid table holding the rows
// stored before, and the failure names the file.
#include "stores/dbf/Table.h"

#include "DbfTestSupport.h"
#include "stores/RunError.h"
#include "stores/TableCatalogue.h"
#include "stores/dbf/Testing.h"

#include <gtest/gtest.h>

namespace {

using namespace dbftest;
using stores::RunError;
using stores::dbf::FieldType;
using stores::dbf::Table;
using stores::dbf::TableLevel;
namespace testing_hook = stores::dbf::testing;

// Writes fail after `bytes` while it lives.
struct FailingWrites {
    explicit FailingWrites(std::uint64_t bytes) { testing_hook::failWritesAfter(bytes); }
    ~FailingWrites() { testing_hook::stopFailingWrites(); }
};

const stores::dbf::TableDef kGroups{"GRUPOST.DBF",
                                    {{"ABREV", FieldType::Character, 10},
                                     {"ORDEN", FieldType::Integer, 0}},
                                    {},
                                    TableLevel::DBase4};
constexpr std::uint64_t kRecord = 1 + 10 + 11;

std::vector<std::string> rowsOf(const fs::path& dir) {
    Table table = Table::open(dir, "GRUPOST");
    std::vector<std::string> rows;
    for (; !table.atEnd(); table.next())
        rows.push_back(table.text("ABREV") + "/" + table.text("ORDEN"));
    return rows;
}

void appendRows(Table& table, int from, int count) {
    for (int i = from; i < from + count; ++i) {
        table.append();
        table.setText("ABREV", "G" + std::to_string(i));
        table.setInteger("ORDEN", i);
    }
}

// A new GRUPOST holding the rows G0/0 .. G<count-1>/<count-1>.
void createGroups(const std::filesystem::path& dir, int count) {
    Table::create(dir, kGroups);
    Table table = Table::open(dir, "GRUPOST");
    appendRows(table, 0, count);
    table.close();
}

TEST(FailingWrites, AFailedStoreLeavesTheRowsStoredBeforeWhereverItStops) {
    // Storing 300 rows writes the records, the end marker, the date (3 bytes) and the count one
    // byte at a time: every budget below that total fails somewhere along the way.
    const std::uint64_t needed = 300 * kRecord + 1 + 3 + 4;
    for (std::uint64_t budget = 0; budget <= needed; budget += budget < 40 ? 1 : 97) {
        SCOPED_TRACE(budget);
        TempDir dir;
        createGroups(dir.path(), 3);
        const std::string name = (dir / "GRUPOST.DBF").string();
        Table table = Table::open(dir.path(), "GRUPOST");
        appendRows(table, 3, 300);
        std::string message = "(no error)";
        {
            FailingWrites failing(budget);
            try {
                table.close();
            } catch (const RunError& e) {
                message = e.what();
            }
        }
        EXPECT_EQ(message, "No se puede escribir en el archivo " + name +
                               ": no queda espacio en el disco");
        EXPECT_FALSE(table.isOpen()) << "the file is released even when storing failed";
        EXPECT_EQ(rowsOf(dir.path()), (std::vector<std::string>{"G0/0", "G1/1", "G2/2"}));

        // The table takes rows again once the disk has room.
        Table again = Table::open(dir.path(), "GRUPOST");
        appendRows(again, 3, 1);
        again.close();
        EXPECT_EQ(rowsOf(dir.path()).size(), 4u);
    }
}

TEST(FailingWrites, RowsStoredByAnEarlierBatchSurviveALaterFailure) {
    TempDir dir;
    Table::create(dir.path(), stores::exchangeTable(stores::tables::ASIGT));
    Table table = Table::open(dir.path(), "ASIGT");
    // Post rows until the first batch (a few megabytes of them) has reached the file.
    int posted = 0;
    const auto before = readBytes(dir / "ASIGT.DBF").size();
    while (readBytes(dir / "ASIGT.DBF").size() == before) {
        table.append();
        table.setText("CASIG", "A" + std::to_string(posted++));
        table.post();
    }
    const std::int64_t stored = table.rowCount();
    {
        FailingWrites failing(1000);
        for (int i = 0; i < 30000; ++i) {
            table.append();
            table.setText("CASIG", "B");
            table.post();
        }
        EXPECT_THROW(table.close(), RunError);
    }
    Table reread = Table::open(dir.path(), "ASIGT");
    EXPECT_EQ(reread.rowCount(), stored);
    EXPECT_TRUE(reread.locate("CASIG", {"A" + std::to_string(stored - 1)}));
    EXPECT_FALSE(reread.locate("CASIG", {"B"}));
}

TEST(FailingWrites, AFailedEditKeepsTheTableValidAndMemoryEqualToTheFile) {
    struct Case {
        std::uint64_t budget;
        const char* abrevAfter;  // what the file holds afterwards
    };
    // With no byte written the row is untouched; a write that stops half-way cannot be undone
    // on a disk that refuses every write, and then memory shows what the file holds.
    const Case cases[] = {{0, "G0"}, {5, "CAMB"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.budget);
        TempDir dir;
        createGroups(dir.path(), 2);
        const std::string before = readBytes(dir / "GRUPOST.DBF");
        Table table = Table::open(dir.path(), "GRUPOST");
        table.edit();
        table.setText("ABREV", "CAMBIADO");
        table.setInteger("ORDEN", 9);
        {
            FailingWrites failing(c.budget);
            EXPECT_THROW(table.next(), RunError);
        }
        table.first();
        EXPECT_EQ(table.text("ABREV"), c.abrevAfter);
        EXPECT_EQ(table.integer("ORDEN"), 0);
        table.close();
        const std::string after = readBytes(dir / "GRUPOST.DBF");
        ASSERT_EQ(after.size(), before.size());
        const std::size_t firstRecord = 32 + 2 * 32 + 1;
        EXPECT_EQ(after.substr(0, firstRecord), before.substr(0, firstRecord));
        EXPECT_EQ(after.substr(firstRecord + kRecord), before.substr(firstRecord + kRecord))
            << "the other row and the end marker are untouched";
        EXPECT_EQ(rowsOf(dir.path()), (std::vector<std::string>{std::string(c.abrevAfter) + "/0",
                                                                 "G1/1"}));
    }
}

TEST(FailingWrites, AFailedCreateKeepsTheOldTableAndLeavesNoTemporaryFile) {
    TempDir dir;
    createGroups(dir.path(), 2);
    const std::string before = readBytes(dir / "GRUPOST.DBF");
    std::string message;
    {
        FailingWrites failing(40);
        try {
            Table::create(dir.path(), kGroups);
        } catch (const RunError& e) {
            message = e.what();
        }
    }
    const std::string prefix = "No se puede crear la tabla " + (dir / "GRUPOST.DBF").string() +
                               ". No se puede escribir en el archivo ";
    EXPECT_EQ(message.substr(0, prefix.size()), prefix);
    EXPECT_NE(message.find(": no queda espacio en el disco"), std::string::npos) << message;
    EXPECT_EQ(readBytes(dir / "GRUPOST.DBF"), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

}  // namespace
