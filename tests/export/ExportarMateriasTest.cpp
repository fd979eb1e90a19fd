// The subject step, through whole runs over small documents.
#include "support/ExportFixture.h"

#include "text/Clipper.h"

#include <gtest/gtest.h>

namespace {

using exporttest::Block;
using exporttest::ExportFixture;
using exporttest::oneFrame;

Block subjects(const std::vector<std::string>& names) {
    Block block{"MATERIAS", {}};
    for (const auto& name : names) block.records.push_back({"3001", "M", name});
    return block;
}

// Texts are read back without the blanks that fill a field, so "Educación " reads "Educación".
TEST(ExportarMaterias, BuildsTheCodeAndLongCodeFromTheName) {
    struct Case { const char* name; const char* cod; const char* codLargo; };
    const Case cases[] = {
        {"Lengua Castellana y Literatura", "LCL", "Lengua Cas"},  // capitals; short: name start
        {"Matemáticas", "Matemá", "Matemá"},          // one capital, no space: first 6 characters
        {"Educación física", "Ef", "Educación"},      // one capital and a space: initials
        {"inglés", "inglés", "inglés"},               // no capital at all
        {"ÁMBITO CIENTÍFICO", "ÁMBITOCIEN", "ÁMBITOCIEN"},  // Á and Í are no capitals here
        {"Lengua  extranjera", "L e", "Lengua  ex"},  // the second blank is an initial
        {"  Física y Química  ", "FQ", "Física y Q"},
        {"3º ESO Refuerzo", "3ESOR", "3ESOR"},        // a first character that is no capital
        {"ABCDEFGHIJKLMNO", "ABCDEFGHIJ", "ABCDEFGHIJ"},  // long code stored cut to its width
        {"Ed. Física", "EF", "Ed. Física"},
        {"\tTaller", "\tT", "\tTaller"},              // a tab is no blank and no capital
        {"x", "x", "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExportFixture fixture;
        fixture.run({subjects({c.name}), oneFrame()});
        EXPECT_EQ(fixture.rows("ASIGNOMT", {"COD", "CODLARGO", "NOMBRE", "MATERIA", "CODTAREA"}),
                  std::vector<std::string>{std::string(c.cod) + "|" + c.codLargo + "|" +
                                           text::AllTrim(c.name) + "||"});
    }
}

TEST(ExportarMaterias, RepeatedNamesAreWrittenOnceAndCodesMadeDistinct) {
    ExportFixture fixture;
    fixture.run({subjects({
                     "Economía Financiera",
                     "Expresión Fotográfica",   // same capitals: EF1
                     "Educación física",        // Ef is another code than EF
                     "Educación Física",        // same name in other letter case: no row
                     "Música",
                     "MÚSICA",                  // Ú and ú differ after upper-casing: a row
                     "TECNOLOGIA",
                     "TECNOLOGIAS",             // TECNOLOGIA1, shortened to TECNOLOGA1
                     "TECNOLOGIA X",            // TECNOLOGIA1 is not in the list: TECNOLOGA1 again
                     " Economía Financiera ",   // repeated once trimmed
                     "Edición Final",
                 }),
                 oneFrame()});
    EXPECT_EQ(fixture.rows("ASIGNOMT", {"COD", "NOMBRE"}),
              (std::vector<std::string>{
                  "EF|Economía Financiera", "EF1|Expresión Fotográfica", "Ef|Educación física",
                  "Música|Música", "MSICA|MÚSICA", "TECNOLOGIA|TECNOLOGIA",
                  "TECNOLOGA1|TECNOLOGIAS", "TECNOLOGA1|TECNOLOGIA X", "EF2|Edición Final"}));
}

TEST(ExportarMaterias, PassesOverRecordsWithoutAName) {
    ExportFixture fixture;
    fixture.runXml(R"(<SERVICIO><BLOQUE_DATOS>
<grupo_datos seq="MATERIAS">
  <grupo_datos><dato>3001</dato></grupo_datos>
  <grupo_datos><dato>3001</dato><dato>M1</dato></grupo_datos>
  <grupo_datos><dato>3001</dato><dato>M2</dato><dato>   </dato></grupo_datos>
  <grupo_datos><nota>x</nota><dato>3001</dato><dato>M3</dato><dato>Dibujo</dato>
    <grupo_datos><dato>3001</dato><dato>M4</dato><dato>Anidada</dato></grupo_datos>
  </grupo_datos>
</grupo_datos>
<grupo_datos seq="materias"><grupo_datos><dato>3001</dato><dato>M5</dato><dato>Otra</dato></grupo_datos></grupo_datos>
<grupo_datos seq="JORNADAS_ESCOLARES"><grupo_datos><dato>ORD</dato></grupo_datos></grupo_datos>
</BLOQUE_DATOS></SERVICIO>)");
    EXPECT_EQ(fixture.rows("ASIGNOMT", {"COD", "NOMBRE"}), std::vector<std::string>{"Dibujo|Dibujo"});
}

}  // namespace
