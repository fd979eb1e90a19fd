// Tables written by the engine, read back by independent readers from Debian's packages:
// python3-dbfread, GDAL's ogrinfo and Perl's XBase (table and production index). A reader that
// is missing or says anything else fails the test.
#include "stores/dbf/Table.h"

#include "DbfTestSupport.h"
#include "stores/TableCatalogue.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace dbftest;
using stores::dbf::FieldType;
using stores::dbf::Table;
using stores::dbf::TableLevel;

// Accented letters, the euro sign and curly quotes (cp1252 0x80..0x9F), negative and extreme
// numbers, and a row where nothing is written.
void writeSampleTable(const fs::path& dir) {
    Table::create(dir, {"CRUCE.DBF",
                        {{"NOMBRE", FieldType::Character, 20},
                         {"ACTIVO", FieldType::Logical, 0},
                         {"NUM", FieldType::Integer, 0},
                         {"HORAS", FieldType::Float, 0}},
                        {},
                        TableLevel::DBase4});
    Table table = Table::open(dir, "CRUCE");
    table.append();
    table.setText("NOMBRE", "Pe\xF1" "a \xC1ngel \x80 \x93q\x94");
    table.setLogical("ACTIVO", true);
    table.setInteger("NUM", -42);
    table.setFloat("HORAS", 3.5);
    table.append();
    table.setText("NOMBRE", "x");
    table.setLogical("ACTIVO", false);
    table.setInteger("NUM", 2147483647);
    table.setFloat("HORAS", -1234567.891);
    table.append();
    table.close();
}

std::string run(const std::string& command) {
    int status = 0;
    const std::string output = runCommand(command, status);
    EXPECT_EQ(status, 0) << command << "\n" << output;
    return output;
}

TEST(CrossReader, DbfreadReadsNamesTypesWidthsAndValues) {
    TempDir dir;
    writeSampleTable(dir.path());
    const std::string output =
        run(std::string(PYTHON3) + " " + shellQuoted(std::string(TOOLS_DIR) + "/dump_with_dbfread.py") +
            " " + shellQuoted((dir / "CRUCE.DBF").string()));
    EXPECT_EQ(output,
              "encoding cp1252\n"
              "field NOMBRE C 20 0\n"
              "field ACTIVO L 1 0\n"
              "field NUM N 11 0\n"
              "field HORAS N 20 4\n"
              "record NOMBRE='Peña Ángel € “q”' | ACTIVO=True | NUM=-42 | HORAS=3.5\n"
              "record NOMBRE='x' | ACTIVO=False | NUM=2147483647 | HORAS=-1234567.891\n"
              "record NOMBRE='' | ACTIVO=None | NUM=None | HORAS=None\n");
}

TEST(CrossReader, OgrinfoReadsNamesTypesWidthsAndValues) {
    TempDir dir;
    writeSampleTable(dir.path());
    const std::string output =
        run("ogrinfo -ro -al -nomd " + shellQuoted((dir / "CRUCE.DBF").string()));
    const auto layer = output.find("Layer name:");
    ASSERT_NE(layer, std::string::npos) << output;
    EXPECT_EQ(output.substr(layer),
              "Layer name: CRUCE\n"
              "Geometry: None\n"
              "Feature Count: 3\n"
              "Layer SRS WKT:\n"
              "(unknown)\n"
              "NOMBRE: String (20.0)\n"
              "ACTIVO: String (1.0)\n"
              "NUM: Integer64 (11.0)\n"
              "HORAS: Real (20.4)\n"
              "OGRFeature(CRUCE):0\n"
              "  NOMBRE (String) = Peña Ángel € “q”\n"
              "  ACTIVO (String) = T\n"
              "  NUM (Integer64) = -42\n"
              "  HORAS (Real) = 3.5000\n"
              "\n"
              "OGRFeature(CRUCE):1\n"
              "  NOMBRE (String) = x\n"
              "  ACTIVO (String) = F\n"
              "  NUM (Integer64) = 2147483647\n"
              "  HORAS (Real) = -1234567.8910\n"
              "\n"
              "OGRFeature(CRUCE):2\n"
              "  NOMBRE (String) = (null)\n"
              "  ACTIVO (String) = (null)\n"
              "  NUM (Integer64) = (null)\n"
              "  HORAS (Real) = (null)\n"
              "\n");
}

TEST(CrossReader, XBaseOpensEmptyDiashorast2AndListsItsTagOrden) {
    TempDir dir;
    // Written twice: the second export run replaces the index with a new one.
    stores::createExchangeTable(dir.path(), stores::tables::DIASHORAST2);
    stores::createExchangeTable(dir.path(), stores::tables::DIASHORAST2);
    const std::string output =
        run("perl " + shellQuoted(std::string(TOOLS_DIR) + "/list_mdx_tags.pl") + " " +
            shellQuoted((dir / "DIASHORAST2.DBF").string()) + " " +
            shellQuoted((dir / "DIASHORAST2.MDX").string()));
    EXPECT_EQ(output,
              "fields DIHO,CODDIHO,DIA,TEXTODIA,HORA,TEXTOHOR,HORADESDE,HORAHASTA,MINUTOS,MARCO,"
              "MARCOXML,ORDEN\n"
              "records 0\n"
              "tag ORDEN type N key_length 12 keys_per_node 63 item_length 16 keys 0\n");
}

TEST(CrossReader, XBaseListsEveryTagOfATableWithSeveralIndexes) {
    TempDir dir;
    Table::create(dir.path(), {"VARIOS.DBF",
                               {{"CODIGO", FieldType::Character, 8},
                                {"ORDEN", FieldType::Integer, 0},
                                {"PESO", FieldType::Float, 0}},
                               {{"PESO", "PESO"}, {"CODIGO", "CODIGO"}, {"ORDEN", "ORDEN"}},
                               TableLevel::DBase4});
    const std::string output =
        run("perl " + shellQuoted(std::string(TOOLS_DIR) + "/list_mdx_tags.pl") + " " +
            shellQuoted((dir / "VARIOS.DBF").string()) + " " +
            shellQuoted((dir / "VARIOS.MDX").string()));
    EXPECT_EQ(output,
              "fields CODIGO,ORDEN,PESO\n"
              "records 0\n"
              "tag CODIGO type C key_length 8 keys_per_node 84 item_length 12 keys 0\n"
              "tag ORDEN type N key_length 12 keys_per_node 63 item_length 16 keys 0\n"
              "tag PESO type N key_length 12 keys_per_node 63 item_length 16 keys 0\n");
}

}  // namespace
