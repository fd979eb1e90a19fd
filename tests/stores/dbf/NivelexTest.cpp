// The reference table that the build generates beside the programs, and the tool that makes it.
#include "stores/dbf/Table.h"

#include "DbfTestSupport.h"
#include "stores/TableCatalogue.h"
#include "text/Cp1252.h"

#include <gtest/gtest.h>

namespace {

using namespace dbftest;
using stores::dbf::Table;

const fs::path kBin = BIN_DIR;
const fs::path kCsv = fs::path(FIXTURE_DIR) / ".." / ".." / "data" / "nivelex.csv";

TEST(Nivelex, GeneratedTableHoldsEveryCsvRowAtLevel7) {
    const std::string file = readBytes(kBin / "NIVELEX.DBF");
    ASSERT_FALSE(file.empty()) << "the build writes " << (kBin / "NIVELEX.DBF");
    EXPECT_EQ(static_cast<unsigned char>(file[0]), 0x04);

    // The component opens it as "NIVELEX.dbf", shared.
    Table table = Table::open(kBin, "NIVELEX.dbf");
    std::vector<std::pair<std::string, char>> fields;
    for (const auto& f : table.fields()) fields.emplace_back(f.name, f.type);
    EXPECT_EQ(fields, (std::vector<std::pair<std::string, char>>{
                          {"X_OFERTAMATRIG", 'I'}, {"NIVEL_ABREV", 'C'}, {"ESTUDIO", 'C'}}));

    std::ifstream csv(kCsv);
    std::string line;
    std::getline(csv, line);  // header
    int rows = 0;
    while (std::getline(csv, line)) {
        if (line.empty()) continue;
        ++rows;
        const auto first = line.find(';');
        const auto second = line.find(';', first + 1);
        SCOPED_TRACE(line);
        ASSERT_TRUE(table.locate(stores::fields::X_OFERTAMATRIG, std::stoi(line.substr(0, first))));
        EXPECT_EQ(text::utf8FromCp1252(table.text(stores::fields::NIVEL_ABREV)),
                  line.substr(first + 1, second - first - 1));
        EXPECT_EQ(text::utf8FromCp1252(table.text(stores::fields::ESTUDIO)), line.substr(second + 1));
    }
    EXPECT_GE(rows, 24);
    EXPECT_EQ(table.rowCount(), rows);
    EXPECT_TRUE(table.locate(stores::fields::X_OFERTAMATRIG, 106003));
    EXPECT_EQ(table.text(stores::fields::ESTUDIO), "Cuidados Auxiliares de Enfermer\xED" "a");
    EXPECT_FALSE(table.locate(stores::fields::X_OFERTAMATRIG, 999999));
}

TEST(Nivelex, ToolRefusesBadLinesNamingThemAndWritesNothing) {
    struct Case {
        const char* name;
        std::string csv;
        std::string error;  // after "<file>, línea "
    };
    const Case cases[] = {
        {"key not a number", "X_OFERTAMATRIG;NIVEL_ABREV;ESTUDIO\n1;ESO;a\n2a;ESO;b\n",
         "3: la clave «2a» no es un número entero."},
        {"missing field", "X_OFERTAMATRIG;NIVEL_ABREV;ESTUDIO\n1;ESO\n",
         "2: se esperan 3 campos separados por ';' y hay 2."},
        {"repeated key", "X_OFERTAMATRIG;NIVEL_ABREV;ESTUDIO\n1;ESO;a\n\n1;ESO;b\n",
         "4: la clave 1 está repetida."},
        {"not cp1252", "X_OFERTAMATRIG;NIVEL_ABREV;ESTUDIO\n1;ESO;\xE2\x88\x9E\n",
         "2: el texto «∞» tiene caracteres que no caben en cp1252."},
        {"abbreviation too long", "X_OFERTAMATRIG;NIVEL_ABREV;ESTUDIO\n1;ABCDEFGHIJK;a\n",
         "2: el texto «ABCDEFGHIJK» pasa de 10 caracteres."},
        {"wrong header", "CLAVE;NIVEL;ESTUDIO\n1;ESO;a\n",
         "1: la cabecera debe ser X_OFERTAMATRIG;NIVEL_ABREV;ESTUDIO."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        writeBytes(dir / "nivelex.csv", c.csv);
        fs::create_directory(dir / "out");
        int status = 0;
        const std::string output = runCommand(shellQuoted((kBin / "make_nivelex").string()) + " " +
                                                  shellQuoted((dir / "nivelex.csv").string()) + " " +
                                                  shellQuoted((dir / "out").string()),
                                              status);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(output, (dir / "nivelex.csv").string() + ", línea " + c.error + "\n");
        EXPECT_TRUE(fs::is_empty(dir / "out"));
    }
}

}  // namespace
