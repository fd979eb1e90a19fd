// What the conversion steps rely on from an open table: walking, appending, editing, reading and
// writing fields in every form, locating and filtering, and the errors of each.
#include "stores/dbf/Table.h"

#include "DbfTestSupport.h"
#include "stores/RunError.h"

#include <gtest/gtest.h>

namespace {

using namespace dbftest;
using stores::RunError;
using stores::dbf::FieldType;
using stores::dbf::Table;
using stores::dbf::TableDef;
using stores::dbf::TableLevel;

const TableDef kTeachers{"PROFT.DBF",
                         {{"ABREV", FieldType::Character, 10},
                          {"NOMBRE", FieldType::Character, 20},
                          {"DNI", FieldType::Integer, 0},
                          {"HORAS", FieldType::Float, 0},
                          {"ACTIVO", FieldType::Logical, 0}},
                         {},
                         TableLevel::DBase4};

struct Teacher {
    const char* abrev;
    const char* nombre;
};

// The table PROFT with one row per teacher (only ABREV and NOMBRE written), closed.
void makeTeachers(const fs::path& dir, std::initializer_list<Teacher> rows) {
    Table::create(dir, kTeachers);
    Table table = Table::open(dir, "PROFT");
    for (const auto& row : rows) {
        table.append();
        table.setText("ABREV", row.abrev);
        table.setText("NOMBRE", row.nombre);
        table.post();
    }
    table.close();
}

std::vector<std::string> walk(Table& table, const char* field) {
    std::vector<std::string> seen;
    for (table.first(); !table.atEnd(); table.next()) seen.push_back(table.text(field));
    return seen;
}

TEST(TableOperations, WalkingVisitsEveryRowInStoredOrderAndReadsBlankPastTheEnd) {
    TempDir dir;
    makeTeachers(dir.path(), {{"B", "uno"}, {"A", "dos"}, {"C", "tres"}});
    {
    Table table = Table::open(dir.path(), "proft");
    EXPECT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.text("ABREV"), "B") << "the first row is current after opening";
    EXPECT_EQ(walk(table, "NOMBRE"), (std::vector<std::string>{"uno", "dos", "tres"}));
    EXPECT_TRUE(table.atEnd());
    table.next();
    EXPECT_TRUE(table.atEnd());
    EXPECT_EQ(table.text("ABREV"), "");
    EXPECT_EQ(table.integer("DNI"), 0);
    EXPECT_FALSE(table.logical("ACTIVO"));
    }

    Table::create(dir.path(), kTeachers);
    Table empty = Table::open(dir.path(), "PROFT");
    EXPECT_TRUE(empty.atEnd());
    EXPECT_EQ(empty.rowCount(), 0);
    EXPECT_EQ(empty.text("NOMBRE"), "");
    EXPECT_EQ(empty.number("HORAS"), 0.0);
}

TEST(TableOperations, AppendedRowsKeepWhatWasWrittenAndBlanksElsewhere) {
    TempDir dir;
    Table::create(dir.path(), kTeachers);
    {
        Table table = Table::open(dir.path(), "PROFT.DBF");
        table.append();
        table.setText("ABREV", "  PEDRO  ");
        table.setText("NOMBRE", "Mar\xED" "a Jos\xE9 de la Pe\xF1" "a y Cort\xE9s");
        table.setInteger("DNI", 12345678);
        table.setFloat("HORAS", 2.25);
        table.setLogical("ACTIVO", false);
        table.append();  // posts the first row; the second is left pending until close
        table.setText("ABREV", "ANA");
        table.close();
    }
    Table table = Table::open(dir.path(), "PROFT");
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.text("ABREV"), "  PEDRO") << "leading blanks stay, trailing ones go";
    EXPECT_EQ(table.text("NOMBRE"), "Mar\xED" "a Jos\xE9 de la Pe\xF1") << "cut to the width of 20";
    EXPECT_EQ(table.integer("DNI"), 12345678);
    EXPECT_EQ(table.text("DNI"), "12345678");
    EXPECT_EQ(table.number("HORAS"), 2.25);
    EXPECT_EQ(table.text("HORAS"), "2.25");
    EXPECT_EQ(table.text("ACTIVO"), "False");
    table.next();
    EXPECT_EQ(table.text("ABREV"), "ANA");
    EXPECT_EQ(table.text("NOMBRE"), "");
    EXPECT_EQ(table.text("DNI"), "");
    EXPECT_EQ(table.integer("DNI"), 0);
    EXPECT_EQ(table.text("ACTIVO"), "");
}

TEST(TableOperations, AnEditIsStoredByNextByPostAndByClose) {
    TempDir dir;
    makeTeachers(dir.path(), {{"A", "uno"}, {"B", "dos"}, {"C", "tres"}});
    {
        Table table = Table::open(dir.path(), "PROFT");
        table.edit();
        table.setText("NOMBRE", "UNO");
        table.next();  // stores the change
        table.edit();
        table.setInteger("NOMBRE", 2);  // a whole number into a character field: its text
        table.post();
        EXPECT_EQ(table.text("NOMBRE"), "2");
        table.next();
        table.edit();
        table.setText("NOMBRE", "");
        table.close();
    }
    Table table = Table::open(dir.path(), "PROFT");
    EXPECT_EQ(walk(table, "NOMBRE"), (std::vector<std::string>{"UNO", "2", ""}));
    EXPECT_EQ(walk(table, "ABREV"), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(table.rowCount(), 3);
}

TEST(TableOperations, NumbersReadAsTextHaveNoPaddingAndNoTrailingZeros) {
    TempDir dir;
    Table::create(dir.path(), kTeachers);
    Table table = Table::open(dir.path(), "PROFT");
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {{4, "4"}, {3.5, "3.5"}, {-0.25, "-0.25"}, {1234.56789, "1234.5679"},
                          {0, "0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        table.append();
        table.setFloat("HORAS", c.value);
        table.post();
        EXPECT_EQ(table.text("HORAS"), c.text);
    }
    table.append();
    table.setText("DNI", " 7");
    table.setText("HORAS", "2,5");
    table.post();
    EXPECT_EQ(table.text("DNI"), "7");
    EXPECT_EQ(table.number("HORAS"), 2.5);
}

TEST(TableOperations, CharacterFieldsReadAsNumbersConvertOrNameTheBadValue) {
    TempDir dir;
    makeTeachers(dir.path(), {{"12", "x"}, {"", "x"}, {" -3 ", "x"}, {"1\xAA", "x"}, {"2.5", "x"},
                              {"9999999999", "x"}});
    Table table = Table::open(dir.path(), "PROFT");
    const std::string where = "Tabla " + (dir / "PROFT.DBF").string() + ", registro ";
    EXPECT_EQ(table.integer("ABREV"), 12);
    table.next();
    EXPECT_EQ(table.integer("ABREV"), 0) << "blank reads as 0";
    table.next();
    EXPECT_EQ(table.integer("ABREV"), -3);
    table.next();
    EXPECT_EQ(errorOf([&] { table.integer("ABREV"); }),
              where + "4, campo ABREV: el valor «1ª» no es un número.");
    EXPECT_EQ(errorOf([&] { table.number("ABREV"); }),
              where + "4, campo ABREV: el valor «1ª» no es un número.");
    table.next();
    EXPECT_EQ(table.number("ABREV"), 2.5);
    EXPECT_EQ(errorOf([&] { table.integer("ABREV"); }),
              where + "5, campo ABREV: el valor «2.5» no es un número entero.");
    table.next();
    EXPECT_EQ(errorOf([&] { table.integer("ABREV"); }),
              where + "6, campo ABREV: el valor «9999999999» queda fuera del intervalo admitido.");
}

TEST(TableOperations, BadValuesForAFieldAreRefusedNamingTableRecordAndField) {
    TempDir dir;
    makeTeachers(dir.path(), {{"A", "uno"}});
    Table table = Table::open(dir.path(), "PROFT");
    const std::string where = "Tabla " + (dir / "PROFT.DBF").string() + ", registro 2, campo ";
    table.append();
    EXPECT_EQ(errorOf([&] { table.setText("DNI", "doce"); }),
              where + "DNI: el valor «doce» no es un número.");
    EXPECT_EQ(errorOf([&] { table.setFloat("DNI", 1e12); }),
              where + "DNI: el valor «1000000000000» no cabe en el ancho del campo (11).");
    EXPECT_EQ(errorOf([&] { table.setInteger("ABREV", 12345678); }), "(no error)");
    EXPECT_EQ(errorOf([&] { table.setLogical("DNI", true); }),
              where + "DNI: un campo de tipo N no admite un valor lógico.");
    EXPECT_EQ(errorOf([&] { table.setText("ACTIVO", "quiz\xE1s"); }),
              where + "ACTIVO: el valor «quizás» no es un valor lógico.");
    EXPECT_EQ(errorOf([&] { table.logical("DNI"); }),
              where + "DNI: un campo de tipo N no se puede leer como valor lógico.");
}

TEST(TableOperations, AWholeNumberTooWideForACharacterFieldIsNotCut) {
    TempDir dir;
    Table::create(dir.path(), {"M.DBF", {{"MARCO", FieldType::Character, 1}}, {}, TableLevel::DBase4});
    Table table = Table::open(dir.path(), "M");
    table.append();
    table.setInteger("MARCO", 2);
    EXPECT_EQ(table.text("MARCO"), "2");
    EXPECT_EQ(errorOf([&] { table.setInteger("MARCO", 12); }),
              "Tabla " + (dir / "M.DBF").string() +
                  ", registro 1, campo MARCO: el valor «12» no cabe en el ancho del campo (1).");
    EXPECT_EQ(table.text("MARCO"), "2") << "a refused value leaves the field as it was";
}

TEST(TableOperations, FieldsAreFoundByNameIgnoringCaseAndUnknownNamesAreErrors) {
    TempDir dir;
    makeTeachers(dir.path(), {{"A", "uno"}});
    Table table = Table::open(dir.path(), "PROFT");
    EXPECT_EQ(table.fieldIndex("nombre"), 1);
    EXPECT_EQ(table.text(1), "uno");
    const std::string missing = "La tabla " + (dir / "PROFT.DBF").string() + " no tiene el campo ";
    EXPECT_EQ(errorOf([&] { table.text("X_EMPLEADO"); }), missing + "X_EMPLEADO.");
    EXPECT_EQ(errorOf([&] { table.text(5); }), missing + "número 5.");
    EXPECT_EQ(errorOf([&] { table.setText("NOMBRE", "x"); }),
              "Tabla " + (dir / "PROFT.DBF").string() +
                  ", campo NOMBRE: no se puede escribir sin añadir o modificar una fila.");
    table.close();
    EXPECT_FALSE(table.isOpen());
    EXPECT_EQ(errorOf([&] { table.first(); }),
              "La tabla " + (dir / "PROFT.DBF").string() + " no está abierta.");
    table.close();  // a second close does nothing
}

TEST(TableOperations, LocateFindsTheFirstRowWhoseFieldsAllMatchExactly) {
    TempDir dir;
    makeTeachers(dir.path(), {{"13", "M1"}, {"13", "M2"}, {"13", "M2"}, {"14", "m2"}, {"14 ", "M2"}});
    Table table = Table::open(dir.path(), "PROFT");
    struct Case {
        std::vector<std::string> values;
        bool found;
        int rowAfter;  // the current row afterwards, by the number written into DNI below
    };
    int mark = 1;
    for (table.first(); !table.atEnd(); table.next(), ++mark) {
        table.edit();
        table.setInteger("DNI", mark);
    }
    table.first();
    table.next();
    table.next();
    table.next();  // on row 4
    const Case cases[] = {
        {{"13", "M2"}, true, 2},    // the first of two matches
        {{"14", "M2"}, true, 5},    // "14 " is stored as "14": trailing blanks are not read
        {{"14", "M3"}, false, 5},   // not found: the current row stays
        {{"13", "m1"}, false, 5},   // letter case counts
        {{"1", "M1"}, false, 5},    // whole values, no prefix match
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.values[0] + ";" + c.values[1]);
        EXPECT_EQ(table.locate("ABREV;NOMBRE", c.values), c.found);
        EXPECT_EQ(table.integer("DNI"), c.rowAfter);
    }
    EXPECT_EQ(errorOf([&] { table.locate("ABREV;NOMBRE", {"13"}); }),
              "La búsqueda en la tabla " + (dir / "PROFT.DBF").string() +
                  " nombra 2 campos (ABREV;NOMBRE) y da 1 valores.");
    EXPECT_EQ(errorOf([&] { table.locate("ABREV;NOMBR", {"13", "M1"}); }),
              "La tabla " + (dir / "PROFT.DBF").string() + " no tiene el campo NOMBR.");
}

TEST(TableOperations, LocateByWholeNumberComparesValuesNotText) {
    TempDir dir;
    Table::create(dir.path(), kTeachers);
    Table table = Table::open(dir.path(), "PROFT");
    const int values[] = {7, 0, 12};
    for (const int v : values) {
        table.append();
        table.setInteger("DNI", v);
        table.setText("ABREV", std::to_string(v * 10));
        table.post();
    }
    table.append();  // DNI blank: never equal to 0
    table.setText("ABREV", "blank");
    table.post();
    EXPECT_TRUE(table.locate("DNI", 12));
    EXPECT_EQ(table.text("ABREV"), "120");
    EXPECT_TRUE(table.locate("DNI", 0));
    EXPECT_EQ(table.text("ABREV"), "0");
    EXPECT_FALSE(table.locate("DNI", 8));
    EXPECT_EQ(table.text("ABREV"), "0");
    EXPECT_TRUE(table.locate("ABREV", 70)) << "a character field is compared as text";
    EXPECT_EQ(table.integer("DNI"), 7);
}

TEST(TableOperations, FilterVisitsOnlyRowsWhoseTextEqualsTheQuotedValue) {
    TempDir dir;
    makeTeachers(dir.path(), {{"O'NEIL", "1"}, {"ANA", "2"}, {"O'NEIL", "3"}, {"ana", "4"},
                              {"O''NEIL", "5"}, {"ANA ", "6"}});
    Table table = Table::open(dir.path(), "PROFT");
    struct Case {
        const char* filter;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"ABREV= 'O''NEIL'", {"1", "3"}},
        {"ABREV= 'O''''NEIL'", {"5"}},
        {"ABREV= 'ANA'", {"2", "6"}},  // case counts; trailing blanks are not part of the text
        {"abrev='ana'", {"4"}},
        {"ABREV= 'NADIE'", {}},
        {"ABREV= ''", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        table.setFilter(c.filter);
        EXPECT_EQ(table.atEnd(), c.rows.empty());
        if (!c.rows.empty()) {
            EXPECT_EQ(table.text("NOMBRE"), c.rows.front()) << "the first match is current";
        }
        EXPECT_EQ(walk(table, "NOMBRE"), c.rows);
        EXPECT_EQ(table.rowCount(), 6) << "the row count ignores the filter";
    }
    table.setFilter("ABREV= 'ANA'");
    table.next();
    table.setFilter("");
    EXPECT_EQ(table.text("NOMBRE"), "6") << "switching the filter off keeps the current row";
    EXPECT_EQ(walk(table, "NOMBRE").size(), 6u);

    const std::string name = (dir / "PROFT.DBF").string();
    EXPECT_EQ(errorOf([&] { table.setFilter("ABREV= ANA"); }),
              "El filtro «ABREV= ANA» de la tabla " + name + " no tiene la forma CAMPO= 'valor'.");
    EXPECT_EQ(errorOf([&] { table.setFilter("ABREV= 'O'NEIL'"); }),
              "El filtro «ABREV= 'O'NEIL'» de la tabla " + name +
                  " no tiene la forma CAMPO= 'valor'.");
    EXPECT_EQ(errorOf([&] { table.setFilter("PROF= 'ANA'"); }),
              "La tabla " + name + " no tiene el campo PROF.");
}

TEST(TableOperations, AFilterFollowsRowsWrittenWhileItIsOn) {
    TempDir dir;
    makeTeachers(dir.path(), {{"A", "1"}, {"B", "2"}});
    Table table = Table::open(dir.path(), "PROFT");
    table.setFilter("ABREV= 'A'");
    table.append();
    table.setText("ABREV", "A");
    table.setText("NOMBRE", "3");
    table.post();
    EXPECT_EQ(table.text("NOMBRE"), "3") << "the new row is current";
    table.edit();
    table.setText("NOMBRE", "three");
    table.setFilter("ABREV= 'A'");
    EXPECT_EQ(walk(table, "NOMBRE"), (std::vector<std::string>{"1", "three"}));
}

TEST(TableOperations, ALevel7TableIsWrittenAndReadThroughTheSameOperations) {
    TempDir dir;
    Table::create(dir.path(), {"NIVEL7.DBF",
                               {{"X_OFERTAMATRIG", FieldType::Integer, 0},
                                {"NIVEL_ABREV", FieldType::Character, 10},
                                {"PESO", FieldType::Float, 0}},
                               {},
                               TableLevel::DBase7});
    Table table = Table::open(dir.path(), "nivel7.dbf");
    const std::pair<int, double> rows[] = {{-5, -1.5}, {0, 0}, {2147483647, 1e300}, {42, 0.1}};
    for (const auto& [key, weight] : rows) {
        table.append();
        table.setInteger("X_OFERTAMATRIG", key);
        table.setFloat("PESO", weight);
        table.setText("NIVEL_ABREV", std::to_string(key));
    }
    table.close();
    table = Table::open(dir.path(), "NIVEL7");
    for (const auto& [key, weight] : rows) {
        SCOPED_TRACE(key);
        ASSERT_TRUE(table.locate("X_OFERTAMATRIG", key));
        EXPECT_EQ(table.integer("X_OFERTAMATRIG"), key);
        EXPECT_EQ(table.number("PESO"), weight);
        EXPECT_EQ(table.text("NIVEL_ABREV"), std::to_string(key));
    }
    EXPECT_EQ(table.fields()[0].type, 'I');
    EXPECT_EQ(table.fields()[2].type, 'O');
}

TEST(TableOperations, ATableGivenUpByAssignmentOrDestructionStoresItsRows) {
    TempDir dir;
    Table::create(dir.path(), kTeachers);
    {
        Table table = Table::open(dir.path(), "PROFT");
        table.append();
        table.setText("ABREV", "A");  // left pending: the destructor stores it
    }
    Table::create(dir.path(), {"OTRA.DBF", {{"A", FieldType::Logical, 0}}, {}, TableLevel::DBase4});
    Table table = Table::open(dir.path(), "PROFT");
    table.append();
    table.setText("ABREV", "B");  // pending when the object is given another table
    table = Table::open(dir.path(), "OTRA");
    table = Table::open(dir.path(), "PROFT");
    EXPECT_EQ(walk(table, "ABREV"), (std::vector<std::string>{"A", "B"}));
}

TEST(TableOperations, OpeningAMissingTableOrFolderNamesIt) {
    TempDir dir;
    EXPECT_EQ(errorOf([&] { Table::open(dir.path(), "SOLUC"); }),
              "No existe la tabla SOLUC.DBF en la carpeta " + dir.path().string() + ".");
    EXPECT_EQ(errorOf([&] { Table::open(dir / "no", "SOLUC"); }),
              "No existe la carpeta " + (dir / "no").string() + ".");
}

}  // namespace
