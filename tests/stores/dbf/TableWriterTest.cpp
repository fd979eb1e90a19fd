// The files the engine writes, checked byte for byte against layouts worked out by hand.
#include "stores/dbf/Table.h"

#include "DbfTestSupport.h"
#include "stores/RunError.h"
#include "stores/TableCatalogue.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

using namespace dbftest;
using stores::dbf::FieldType;
using stores::dbf::Table;
using stores::dbf::TableDef;
using stores::dbf::TableLevel;

std::string todayBytes() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return bytes({local.tm_year, local.tm_mon + 1, local.tm_mday});
}

// The three date bytes at `at` are today's; they are then blanked so the rest compares exactly.
void expectTodayAt(std::string& file, std::size_t at) {
    EXPECT_EQ(file.substr(at, 3), todayBytes()) << "date at offset " << at;
    file.replace(at, 3, std::string(3, '\0'));
}

std::string descriptor(const std::string& name, char type, int width, int decimals,
                       int indexFlag = 0) {
    return zeroPadded(name, 11) + std::string(1, type) + std::string(4, '\0') +
           bytes({width, decimals}) + std::string(13, '\0') + bytes({indexFlag});
}

TEST(TableWriter, SmallTableMatchesTheLayoutByteForByte) {
    TempDir dir;
    const TableDef def{"Prueba.dbf",
                       {{"NOMBRE", FieldType::Character, 5},
                        {"ACTIVO", FieldType::Logical, 0},
                        {"NUM", FieldType::Integer, 0},
                        {"HORAS", FieldType::Float, 0}},
                       {},
                       TableLevel::DBase4};
    Table::create(dir.path(), def);
    {
        Table table = Table::open(dir.path(), "PRUEBA");
        table.append();
        table.setText("NOMBRE", "Pe\xF1" "a del r\xEDo");  // cut to 5 characters
        table.setLogical("ACTIVO", true);
        table.setInteger("NUM", -42);
        table.setFloat("HORAS", 3.5);
        table.post();
        table.append();  // a row where nothing is written
        table.post();
        table.append();
        table.setInteger("NUM", 2147483647);
        table.setFloat("HORAS", -0.00004);  // rounds to zero: no "-0.0000"
        table.close();
    }
    ASSERT_TRUE(fs::exists(dir / "PRUEBA.DBF")) << "the file name is written in upper case";
    std::string file = readBytes(dir / "PRUEBA.DBF");

    // 32-byte header + 4 descriptors of 32 + terminator = 161; 1 + 5 + 1 + 11 + 20 = 38.
    std::string expected = bytes({0x03, 0, 0, 0}) + le32(3) + le16(161) + le16(38) +
                           std::string(16, '\0') + bytes({0, 0x58, 0, 0});
    expected += descriptor("NOMBRE", 'C', 5, 0) + descriptor("ACTIVO", 'L', 1, 0) +
                descriptor("NUM", 'N', 11, 0) + descriptor("HORAS", 'N', 20, 4) + "\r";
    expected += std::string(" Pe\xF1" "a ") + "T" + "        -42" + "              3.5000";
    expected += " " + std::string(37, ' ');
    expected += " " + std::string(5, ' ') + " " + " 2147483647" + "              0.0000";
    expected += "\x1A";
    ASSERT_EQ(file.size(), 161u + 3 * 38 + 1);
    expectTodayAt(file, 1);
    EXPECT_EQ(file, expected);
}

TEST(TableWriter, EmptyDiashorast2AndItsIndexMatchTheLayout) {
    TempDir dir;
    stores::createExchangeTable(dir.path(), stores::tables::DIASHORAST2);
    std::string table = readBytes(dir / "DIASHORAST2.DBF");
    std::string index = readBytes(dir / "DIASHORAST2.MDX");

    // 12 fields: 32 + 12 * 32 + 1 = 417; 1 + 118 (the eleven of DIASHORAST) + 11 = 130.
    std::string expected = bytes({0x03, 0, 0, 0}) + le32(0) + le16(417) + le16(130) +
                           std::string(16, '\0') + bytes({1, 0x58, 0, 0});
    const std::pair<const char*, int> text[] = {
        {"DIHO", 10}, {"CODDIHO", 10}, {"DIA", 20},      {"TEXTODIA", 20},
        {"HORA", 8},  {"TEXTOHOR", 15}, {"HORADESDE", 8}, {"HORAHASTA", 8},
        {"MINUTOS", 8}, {"MARCO", 1},  {"MARCOXML", 10}};
    for (const auto& [name, width] : text) expected += descriptor(name, 'C', width, 0);
    expected += descriptor("ORDEN", 'N', 11, 0, 1) + "\r\x1A";
    expectTodayAt(table, 1);
    EXPECT_EQ(table, expected);

    ASSERT_EQ(index.size(), 4096u);
    std::string mdx(4096, '\0');
    const auto put = [&mdx](std::size_t at, const std::string& b) { mdx.replace(at, b.size(), b); };
    put(0, bytes({2}));
    put(4, "DIASHORAST2");
    put(20, le16(2) + le16(1024) + bytes({1, 48, 32, 0}) + le16(1) + bytes({2, 0x58}) +
                le32(8));
    put(529, bytes({1}));
    put(544, le32(4) + "ORDEN" + std::string(6, '\0') + bytes({0x10, 0, 0, 0, 2, 'N'}));
    const std::size_t tag = 4 * 512;
    put(tag, le32(6) + le32(2) + bytes({0x10, 'N', 0, 0x58}) + le16(12) + le16(63) + le16(0) +
                 le16(16) + bytes({1}));
    put(tag + 24, "ORDEN");
    put(tag + 248, le32(6) + le32(6));
    put(tag + 480, bytes({1}));
    for (const std::size_t at : {std::size_t{1}, std::size_t{44}, tag + 257}) expectTodayAt(index, at);
    EXPECT_EQ(index, mdx);
}

TEST(TableWriter, Level7TableHasTheLongHeaderAndBinaryNumbers) {
    TempDir dir;
    const TableDef def{"LARGO.DBF",
                       {{"X_OFERTAMATRIG", FieldType::Integer, 0},
                        {"DESCRIPCION_LARGA", FieldType::Character, 3},
                        {"PESO", FieldType::Float, 0}},
                       {},
                       TableLevel::DBase7};
    Table::create(dir.path(), def);
    {
        Table table = Table::open(dir.path(), "LARGO");
        table.append();
        table.setInteger("X_OFERTAMATRIG", 1);
        table.setText("DESCRIPCION_LARGA", "ab");
        table.setFloat("PESO", -2.0);
        table.append();  // blank numbers are null: zero bytes
        table.close();
    }
    std::string file = readBytes(dir / "LARGO.DBF");
    // 68-byte header + 3 descriptors of 48 + terminator = 213; 1 + 4 + 3 + 8 = 16.
    const auto level7Descriptor = [](const std::string& name, char type, int width) {
        return zeroPadded(name, 32) + std::string(1, type) + bytes({width}) + std::string(14, '\0');
    };
    std::string expected = bytes({0x04, 0, 0, 0}) + le32(2) + le16(213) + le16(16) +
                            std::string(16, '\0') + bytes({0, 0, 0, 0}) +
                            zeroPadded("DBWINWE0", 32) + std::string(4, '\0');
    expected += level7Descriptor("X_OFERTAMATRIG", 'I', 4) +
                level7Descriptor("DESCRIPCION_LARGA", 'C', 3) + level7Descriptor("PESO", 'O', 8) +
                "\r";
    // 1 is stored big-endian with the sign bit flipped; -2.0 (0xC000...) has all bits inverted.
    expected += " " + bytes({0x80, 0, 0, 1}) + "ab " + bytes({0x3F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    expected += " " + std::string(4, '\0') + "   " + std::string(8, '\0') + "\x1A";
    expectTodayAt(file, 1);
    EXPECT_EQ(file, expected);
}

TEST(TableWriter, CreateReplacesTheTableWhateverTheLetterCaseOfItsFiles) {
    TempDir dir;
    writeBytes(dir / "diashorast2.dbf", "old table");
    writeBytes(dir / "Diashorast2.Mdx", "old index");
    writeBytes(dir / "DIASHORAST2.MDX", "old index too");
    writeBytes(dir / "OTRA.DBF", "another table");
    stores::createExchangeTable(dir.path(), stores::tables::DIASHORAST2);

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"DIASHORAST2.DBF", "DIASHORAST2.MDX", "OTRA.DBF"}));
    EXPECT_EQ(readBytes(dir / "DIASHORAST2.MDX").size(), 4096u);

    // A table without index replaces one that had an index: the old index goes too.
    TableDef plain = stores::exchangeTable(stores::tables::DIASHORAST2);
    plain.indexes.clear();
    Table::create(dir.path(), plain);
    EXPECT_FALSE(fs::exists(dir / "DIASHORAST2.MDX"));
    EXPECT_EQ(readBytes(dir / "DIASHORAST2.DBF")[28], 0) << "no production index flag";
    Table table = Table::open(dir.path(), "diashorast2");
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(table.fields().size(), 12u);
}

TEST(TableWriter, CreateLeavesNoTemporaryFileAndTheOldTableWhenItFails) {
    TempDir dir;
    writeBytes(dir / "ASIGT.DBF", "old table");
    const TableDef bad{"ASIGT.DBF", {{"CASIG", FieldType::Character, 300}}, {}, TableLevel::DBase4};
    EXPECT_THROW(Table::create(dir.path(), bad), stores::RunError);
    EXPECT_EQ(readBytes(dir / "ASIGT.DBF"), "old table");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(TableWriter, DefinitionsThatCannotBeWrittenAreRefusedWithTheReason) {
    TempDir dir;
    const auto where = "No se puede crear la tabla " + (dir / "T.DBF").string() + ": ";
    struct Case {
        const char* name;
        TableDef def;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"no fields", {"T.DBF", {}, {}, TableLevel::DBase4}, "no tiene campos."},
        {"long name at level 4",
         {"T.DBF", {{"X_OFERTAMATRIG", FieldType::Integer, 0}}, {}, TableLevel::DBase4},
         "el nombre de campo «X_OFERTAMATRIG» no es válido."},
        {"blank in a name",
         {"T.DBF", {{"MI CAMPO", FieldType::Integer, 0}}, {}, TableLevel::DBase4},
         "el nombre de campo «MI CAMPO» no es válido."},
        {"repeated field (letter case ignored)",
         {"T.DBF", {{"A", FieldType::Logical, 0}, {"a", FieldType::Logical, 0}}, {},
          TableLevel::DBase4},
         "el campo A está repetido."},
        {"character width 0",
         {"T.DBF", {{"A", FieldType::Character, 0}}, {}, TableLevel::DBase4},
         "el campo A tiene un ancho fuera de 1..254."},
        {"character width 255",
         {"T.DBF", {{"A", FieldType::Character, 255}}, {}, TableLevel::DBase4},
         "el campo A tiene un ancho fuera de 1..254."},
        {"index on a missing field",
         {"T.DBF", {{"A", FieldType::Integer, 0}}, {{"ORDEN", "B"}}, TableLevel::DBase4},
         "el índice ORDEN no se refiere a un único campo de la tabla."},
        {"index on a logical field",
         {"T.DBF", {{"A", FieldType::Logical, 0}}, {{"A", "A"}}, TableLevel::DBase4},
         "el índice A está sobre un campo lógico."},
        {"index at level 7",
         {"T.DBF", {{"A", FieldType::Integer, 0}}, {{"A", "A"}}, TableLevel::DBase7},
         "los índices solo se escriben en tablas dBase IV."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            Table::create(dir.path(), c.def);
            ADD_FAILURE() << "no error";
        } catch (const stores::RunError& e) {
            EXPECT_EQ(e.what(), where + c.message);
        }
        EXPECT_FALSE(fs::exists(dir / "T.DBF"));
    }
}

TEST(TableWriter, AFileNameWithAFolderInItIsRefused) {
    TempDir dir;
    fs::create_directory(dir / "sub");
    for (const char* name : {"../T.DBF", "", ".DBF"}) {
        SCOPED_TRACE(name);
        const TableDef def{name, {{"A", FieldType::Logical, 0}}, {}, TableLevel::DBase4};
        try {
            Table::create(dir / "sub", def);
            ADD_FAILURE() << "no error";
        } catch (const stores::RunError& e) {
            EXPECT_NE(std::string(e.what()).find(": el nombre de archivo no es válido."),
                      std::string::npos)
                << e.what();
        }
    }
    EXPECT_TRUE(fs::is_empty(dir / "sub"));
    EXPECT_FALSE(fs::exists(dir / "T.DBF"));
}

TEST(TableWriter, ATableWithAnIndexIsReadButNeverWritten) {
    TempDir dir;
    stores::createExchangeTable(dir.path(), stores::tables::DIASHORAST2);
    const std::string before = readBytes(dir / "DIASHORAST2.DBF");
    Table table = Table::open(dir.path(), "DIASHORAST2");
    EXPECT_TRUE(table.atEnd());
    try {
        table.append();
        ADD_FAILURE() << "no error";
    } catch (const stores::RunError& e) {
        EXPECT_EQ(std::string(e.what()), "La tabla " + (dir / "DIASHORAST2.DBF").string() +
                                             " tiene un índice (.MDX) que este programa no "
                                             "actualiza; no se puede modificar.");
    }
    table.close();
    EXPECT_EQ(readBytes(dir / "DIASHORAST2.DBF"), before) << "the index stays valid";
}

TEST(TableWriter, MissingFolderIsAnError) {
    TempDir dir;
    try {
        stores::createExchangeTable(dir / "KTEMP", stores::tables::PROFT);
        FAIL() << "no error";
    } catch (const stores::RunError& e) {
        EXPECT_EQ(std::string(e.what()), "No existe la carpeta " + (dir / "KTEMP").string() + ".");
    }
}

}  // namespace
