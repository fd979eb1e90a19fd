// Tables written by other programs: level 7, FoxPro, Horavia's SOLUC in every numeric type,
// other code pages, counts that disagree with the file, numeric text in its many forms.
#include "stores/dbf/Table.h"

#include "DbfTestSupport.h"
#include "stores/RunError.h"

#include <gtest/gtest.h>

namespace {

using namespace dbftest;
using stores::RunError;
using stores::dbf::Table;
using namespace std::string_literals;

const fs::path kFixtures = FIXTURE_DIR;

// Copies a committed fixture into the test's own folder under the given name.
fs::path copyFixture(const TempDir& dir, const std::string& fixture, const std::string& as) {
    fs::copy_file(kFixtures / fixture, dir / as);
    return dir / as;
}

TEST(TableReading, Level7TableWithLongNamesBinaryNumbersAndAPropertiesBlock) {
    TempDir dir;
    copyFixture(dir, "level7_long_names.dbf", "NIVELES.DBF");
    Table table = Table::open(dir.path(), "NIVELES");
    const std::vector<std::pair<std::string, char>> expectedFields = {
        {"X_OFERTAMATRIG", 'I'}, {"NIVEL_ABREV", 'C'}, {"ESTUDIO_COMPLETO", 'C'}, {"PESO", 'O'},
        {"ALTA", 'D'},           {"ACTIVO", 'L'},      {"MARCA_TIEMPO", '@'},     {"NUMERO", '+'}};
    ASSERT_EQ(table.fields().size(), expectedFields.size());
    for (std::size_t i = 0; i < expectedFields.size(); ++i) {
        EXPECT_EQ(table.fields()[i].name, expectedFields[i].first);
        EXPECT_EQ(table.fields()[i].type, expectedFields[i].second);
    }
    EXPECT_EQ(table.fields()[2].width, 40);
    EXPECT_EQ(table.rowCount(), 3) << "the deleted record is skipped";

    const char* columns[] = {"X_OFERTAMATRIG", "NIVEL_ABREV", "ESTUDIO_COMPLETO", "PESO",
                             "ALTA", "ACTIVO", "MARCA_TIEMPO", "NUMERO"};
    const std::vector<std::vector<std::string>> expected = {
        {"5001", "ESO", "Educaci\xF3n Secundaria Obligatoria", "1.5", "01/09/2024", "True", "", "1"},
        {"-7", "BACH", "Bachillerato de Ciencias", "-2.25", "", "False", "", "3"},
        {"", "", "", "", "", "", "", "4"},
    };
    std::vector<std::vector<std::string>> seen;
    for (table.first(); !table.atEnd(); table.next()) {
        seen.emplace_back();
        for (const char* column : columns) seen.back().push_back(table.text(column));
    }
    EXPECT_EQ(seen, expected);

    EXPECT_TRUE(table.locate("X_OFERTAMATRIG", -7));
    EXPECT_EQ(table.integer("X_OFERTAMATRIG"), -7);
    EXPECT_EQ(table.number("PESO"), -2.25);
    EXPECT_EQ(table.integer("NUMERO"), 3);
    EXPECT_FALSE(table.locate("X_OFERTAMATRIG", 5002)) << "deleted rows are not found";
    table.next();
    EXPECT_EQ(table.integer("X_OFERTAMATRIG"), 0) << "a null integer reads as 0";
    EXPECT_EQ(table.number("PESO"), 0.0);
}

struct SolucRow {
    std::string prof;
    int dia;
    std::string diaText;
    int hora;
    std::string marco, asig, aula;
    bool operator==(const SolucRow&) const = default;
};

std::ostream& operator<<(std::ostream& out, const SolucRow& r) {
    return out << r.prof << "|" << r.dia << "|" << r.diaText << "|" << r.hora << "|" << r.marco
               << "|" << r.asig << "|" << r.aula;
}

class SolucInEveryType : public testing::TestWithParam<const char*> {};

TEST_P(SolucInEveryType, DiaAndHoraComeOutAsWholeNumbers) {
    TempDir dir;
    copyFixture(dir, GetParam(), "soluc.dbf");
    Table table = Table::open(dir.path(), "SOLUC", stores::dbf::OpenMode::Exclusive);
    std::vector<SolucRow> rows;
    for (table.first(); !table.atEnd(); table.next())
        rows.push_back({table.text("PROF"), table.integer("DIA"), table.text("DIA"),
                        table.integer("HORA"), table.text("MARCO"), table.text("ASIG"),
                        table.text("AULA")});
    const std::vector<SolucRow> expected = {
        {"ANA", 1, "1", 3, "1", "MAT", "A1"},
        {"ANA", 0, "0", 0, "1", "GUARDIA", ""},
        {"O'NEIL", 5, "5", 12, "2", "LEN", " B2"},
        {"ANA", 2, "2", 1, "12", "MAT", ""},
    };
    EXPECT_EQ(rows, expected);

    table.setFilter("PROF= 'O''NEIL'");
    ASSERT_FALSE(table.atEnd());
    EXPECT_EQ(table.integer("HORA"), 12);
    table.next();
    EXPECT_TRUE(table.atEnd());
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SolucInEveryType,
                         testing::Values("soluc_dia_n.dbf", "soluc_dia_c.dbf",
                                         "soluc_dia_float.dbf", "soluc_dia_i.dbf",
                                         "soluc_dia_o.dbf", "soluc_foxpro.dbf"),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

TEST(TableReading, TableWrittenByPythonDbf) {
    TempDir dir;
    int status = 0;
    const std::string output =
        runCommand(std::string(PYTHON3) + " " + shellQuoted(std::string(TOOLS_DIR) +
                                                            "/write_with_python_dbf.py") +
                       " " + shellQuoted((dir / "PYDBF.DBF").string()),
                   status);
    ASSERT_EQ(status, 0) << output;
    Table table = Table::open(dir.path(), "pydbf");
    std::vector<std::tuple<std::string, char, int, int>> fields;
    for (const auto& f : table.fields()) fields.emplace_back(f.name, f.type, f.width, f.decimals);
    EXPECT_EQ(fields, (std::vector<std::tuple<std::string, char, int, int>>{
                          {"NOMBRE", 'C', 20, 0}, {"NUM", 'N', 5, 0}, {"PRECIO", 'N', 8, 2},
                          {"ACTIVO", 'L', 1, 0}, {"FECHA", 'D', 8, 0}}));
    std::vector<std::string> rows;
    for (table.first(); !table.atEnd(); table.next())
        rows.push_back(table.text("NOMBRE") + "|" + table.text("NUM") + "|" +
                       table.text("PRECIO") + "|" + table.text("ACTIVO") + "|" +
                       table.text("FECHA"));
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "Pe\xF1" "a \xD1" "and\xFA \x80|42|3.5|True|01/09/2024",
                        "x|-7|-0.25|False|",
                        "||||"}));  // python3-dbf leaves an unset logical as "?": blank
    table.first();
    EXPECT_EQ(table.number("PRECIO"), 3.5);
    EXPECT_EQ(table.integer("NUM"), 42);
}

TEST(TableReading, TextComesBackInCp1252WhateverTheTableDeclares) {
    struct Case {
        const char* name;
        int version;
        int driver;
        std::string driverName;
        std::string stored;
        std::string cp1252;
    };
    const Case cases[] = {
        {"1252 by WEurope ANSI", 0x03, 0x58, "", "Pe\xF1" "a \x80", "Pe\xF1" "a \x80"},
        {"1252 by FoxPro mark", 0x30, 0x03, "", "\xC1" "ngel", "\xC1" "ngel"},
        {"unknown driver is 1252", 0x03, 0x64, "", "Pe\xF1" "a", "Pe\xF1" "a"},
        {"no driver is 1252", 0x03, 0x00, "", "Pe\xF1" "a", "Pe\xF1" "a"},
        {"437", 0x03, 0x01, "", "Pe\xA4" "a \xB5", "Pe\xF1" "a ?"},
        {"850", 0x03, 0x02, "", "Pe\xA4" "a \xB5", "Pe\xF1" "a \xC1"},
        {"Spanish 850", 0x03, 0x14, "", "\xA5", "\xD1"},
        {"level 7 by name", 0x04, 0x00, "DB850ES0", "\xA4", "\xF1"},
        {"level 7 Windows name", 0x04, 0x00, "DBWINUS0", "\xF1", "\xF1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Image image;
        image.version = c.version;
        image.languageDriver = c.driver;
        image.driverName = c.driverName;
        image.fields = {{"NOMBRE", 'C', 10}};
        image.records = {" " + c.stored};
        image.records[0].resize(11, ' ');
        writeBytes(dir / "T.DBF", image.file());
        Table table = Table::open(dir.path(), "T");
        EXPECT_EQ(table.text("NOMBRE"), c.cp1252);
        EXPECT_TRUE(table.locate("NOMBRE", {c.cp1252}));
    }
}

TEST(TableReading, TextWrittenToA850TableIsStoredIn850) {
    TempDir dir;
    Image image;
    image.languageDriver = 0x02;
    image.fields = {{"NOMBRE", 'C', 6}};
    writeBytes(dir / "T.DBF", image.file());
    {
        Table table = Table::open(dir.path(), "T");
        table.append();
        table.setText("NOMBRE", "\xC1" "\xF1" "o \x80");  // Á ñ o, and € which 850 lacks
        table.close();
    }
    EXPECT_EQ(readBytes(dir / "T.DBF").substr(image.header().size(), 7), " \xB5\xA4o ? ");
    Table table = Table::open(dir.path(), "T");
    EXPECT_EQ(table.text("NOMBRE"), "\xC1\xF1o ?");
}

TEST(TableReading, RecordsAreWhatTheFileHoldsWhateverTheCountSays) {
    struct Case {
        const char* name;
        long long declared;
        bool endMarker;
        std::string trailing;  // bytes after the records
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"count matches", 3, true, "", {"a", "b", "c"}},
        {"count too large: read what is there", 1000000, true, "", {"a", "b", "c"}},
        {"count too large, half a record at the end", 4000000000LL, false, " d", {"a", "b", "c"}},
        {"count smaller than the records", 2, true, "", {"a", "b"}},
        {"no end marker", 3, false, "", {"a", "b", "c"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Image image;
        image.fields = {{"V", 'C', 2}};
        image.records = {" a ", " b ", " c "};
        image.declaredRecords = c.declared;
        image.endMarker = c.endMarker;
        writeBytes(dir / "T.DBF", image.file() + c.trailing);
        {
            Table table = Table::open(dir.path(), "T");
            std::vector<std::string> rows;
            for (; !table.atEnd(); table.next()) rows.push_back(table.text("V"));
            EXPECT_EQ(rows, c.rows);
            EXPECT_EQ(table.rowCount(), static_cast<std::int64_t>(c.rows.size()));
            table.append();
            table.setText("V", "z");
            table.close();
        }
        // Appending writes a consistent table again: the count, the rows, the marker.
        const std::string file = readBytes(dir / "T.DBF");
        const std::size_t count = c.rows.size() + 1;
        EXPECT_EQ(file.substr(4, 4), le32(static_cast<std::uint32_t>(count)));
        EXPECT_EQ(file.size(), image.header().size() + 3 * count + 1);
        EXPECT_EQ(file.substr(file.size() - 4), " z \x1A");
    }
}

TEST(TableReading, MemoFieldsAreSkippedWithoutOpeningTheMemoFile) {
    TempDir dir;
    Image image;
    image.version = 0x83;  // dBase III with memo; there is no .DBT beside it
    image.fields = {{"NOTAS", 'M', 10}, {"ABREV", 'C', 3}};
    image.records = {"          7ANA", "*         8BOR"};
    writeBytes(dir / "T.DBF", image.file());
    Table table = Table::open(dir.path(), "T");
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(table.text("NOTAS"), "");
    EXPECT_EQ(table.text("ABREV"), "ANA");
    try {
        table.integer("NOTAS");
        ADD_FAILURE() << "no error";
    } catch (const RunError& e) {
        EXPECT_EQ(std::string(e.what()), "Tabla " + (dir / "T.DBF").string() +
                                             ", registro 1, campo NOTAS: un campo de tipo M no "
                                             "se puede leer como número entero.");
    }
}

TEST(TableReading, NumericTextInTheFormsWritersLeaveIt) {
    struct Case {
        std::string stored;  // an N(12,2) field
        std::string text;
        std::string integer;  // the whole number, or the end of the error message
    };
    const Case cases[] = {
        {"        3.50", "3.5", "el valor «3.5» no es un número entero."},
        {"       -0.00", "0", "0"},
        {"       +5.00", "5", "5"},
        {"1,50        ", "1.5", "el valor «1.5» no es un número entero."},
        {"        0007", "7", "7"},
        {"************", "", "0"},  // overflow marker: blank
        {"      1.5E+3", "1500", "1500"},
        {"   \0\0\0\0\0\0\0\0\0"s, "", "0"},
        {"      12abc ", "12abc", "el valor «12abc» no es un número."},
        {"  4294967296", "4294967296", "el valor «4294967296» queda fuera del intervalo admitido."},
    };
    TempDir dir;
    Image image;
    image.fields = {{"N", 'N', 12, 2}};
    for (const auto& c : cases) image.records.push_back(" " + c.stored);
    writeBytes(dir / "T.DBF", image.file());
    Table table = Table::open(dir.path(), "T");
    int record = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(table.text("N"), c.text);
        std::string integer;
        try {
            integer = std::to_string(table.integer("N"));
        } catch (const RunError& e) {
            const std::string prefix = "Tabla " + (dir / "T.DBF").string() + ", registro " +
                                       std::to_string(record) + ", campo N: ";
            integer = std::string(e.what()).substr(prefix.size());
            EXPECT_EQ(std::string(e.what()).substr(0, prefix.size()), prefix);
        }
        EXPECT_EQ(integer, c.integer);
        table.next();
        ++record;
    }
}

}  // namespace
