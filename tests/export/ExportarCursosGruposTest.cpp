// The courses with their level and study from the reference table, and the class groups.
#include "support/ExportFixture.h"

#include "stores/RunError.h"

#include <gtest/gtest.h>

namespace {

using exporttest::ExportFixture;
using exporttest::oneFrame;

// The fixture's reference table: 3001 ESO with its study, 3002 without level, 3003 FP without
// study.
TEST(ExportarCursosGrupos, CoursesTakeLevelAndStudyFromTheReferenceTable) {
    ExportFixture fixture;
    fixture.run({{"CURSOS_DEL_CENTRO",
                  {
                      {"3001", "1º ESO"},
                      {"3002", "1º Bachillerato"},     // empty level: Niv
                      {"3003", "2º FP Básica"},        // empty study is taken as it is
                      {"9999", "Curso de adultos"},    // unknown: Niv and the course's own name
                      {" +0042 ", " Aula taller "},
                      {"3001"},                        // one dato: not used
                  }},
                 oneFrame()});
    EXPECT_EQ(fixture.rows("CURSOST", {"ABREV", "TURNO", "NIVEL", "CURSO", "CLAVE", "ESTUD"}),
              (std::vector<std::string>{
                  "||ESO|1|3001|Educación Secundaria Obligatoria",
                  "||Niv|1|3002|Bachillerato",
                  "||FP|2|3003|",
                  "||Niv|C|9999|Curso de adultos",
                  "||Niv|A|+0042|Aula taller",
              }));
}

TEST(ExportarCursosGrupos, GroupsTakeTheirCourseAndADistinctAbbreviation) {
    ExportFixture fixture;
    fixture.run({{"CURSOS_DEL_CENTRO", {{"3001", "1º ESO"}, {"3002", "4º Bachillerato"},
                                        {"3003", "2º FP"}, {"3001", "Repetido"}}},
                 {"UNIDADES",
                  {
                      {"G1", "1A", "3001"},
                      {"G2", "1a", "3001"},                 // 1A taken, ignoring case: 1a1
                      {"G3", "1A", "3001"},                 // 1A and 1a1 taken: 1A2
                      {"G4", "2FPB", "3003"},               // empty study: assembled text
                      {"G5", "X", "nada"},                  // no such course
                      {"G6", "Diversificación 1", "3002"},  // cut to 8 + 2
                      {"G7", "Diversificación 1", "3002"},  // looked up uncut: same ABREV
                      {"G8", "ABCDEFGHIJ", "3001"},         // 10 characters: kept
                      {"G9", "ABCDEFGHIJK", "3001"},        // 11 characters: cut
                      {"G10", "1A"},                        // no course key
                      {"G11"},                              // one dato: not used
                  }},
                 oneFrame()});
    EXPECT_EQ(fixture.rows("GRUPOST", {"ABREV", "TURNO", "NIVEL", "CURSO", "GRUPO", "DESCRIP",
                                       "MARCO", "CLAVE", "CLAVECURSO"}),
              (std::vector<std::string>{
                  "1A||ESO|1|A|Educación Secundaria Obligatoria|0|G1|3001",
                  "1a1||ESO|1|a|Educación Secundaria Obligatoria|0|G2|3001",
                  "1A2||ESO|1|A|Educación Secundaria Obligatoria|0|G3|3001",
                  "2FPB||FP|2|B| FP 2 B|0|G4|3003",
                  "X||||X|   X|0|G5|nada",
                  "Diversif 1||Niv|4|1|Bachillerato|0|G6|3002",
                  "Diversif 1||Niv|4|1|Bachillerato|0|G7|3002",
                  "ABCDEFGHIJ||ESO|1|J|Educación Secundaria Obligatoria|0|G8|3001",
                  "ABCDEFGHJK||ESO|1|K|Educación Secundaria Obligatoria|0|G9|3001",
                  "1A3||||A|   A|0|G10|",
              }));
}

TEST(ExportarCursosGrupos, ACourseKeyThatIsNoNumberEndsTheRunAndNamesTheRecord) {
    ExportFixture fixture;
    try {
        fixture.run({{"MATERIAS", {{"3001", "M1", "Dibujo"}}},
                     {"CURSOS_DEL_CENTRO", {{"3001", "1º ESO"}, {"3002", "2º ESO"}, {"1A", "Otro"}}},
                     {"UNIDADES", {{"G1", "1A", "3001"}}},
                     oneFrame()});
        FAIL() << "the run went on";
    } catch (const stores::RunError& error) {
        EXPECT_STREQ(error.what(),
                     "ExportarCursosGrupos: la clave de curso «1A» del registro 3 de "
                     "CURSOS_DEL_CENTRO no es un número entero.");
    }
    EXPECT_EQ(fixture.rows("ASIGNOMT", {"COD"}), std::vector<std::string>{"Dibujo"});
    EXPECT_EQ(fixture.rows("CURSOST", {"CLAVE"}), (std::vector<std::string>{"3001", "3002"}));
    EXPECT_TRUE(fixture.rows("GRUPOST", {"CLAVE"}).empty());
    EXPECT_FALSE(std::filesystem::exists(fixture.exchangeDir() / "ASIGT.DBF"));
    EXPECT_EQ(fixture.frontEnd.busyCalls, (std::vector<bool>{true, false}));
    EXPECT_TRUE(fixture.frontEnd.messages.empty());
}

}  // namespace
