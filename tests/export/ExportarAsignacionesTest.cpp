// The subject assignments: one ASIGT row per subject and group of its course.
#include "support/ExportFixture.h"

#include <gtest/gtest.h>

namespace {

using exporttest::ExportFixture;
using exporttest::oneFrame;

TEST(ExportarAsignaciones, WritesARowForEveryGroupOfTheSubjectsCourse) {
    const std::string longName = "P" + std::string(79, 'a');
    ExportFixture fixture;
    fixture.run({{"MATERIAS",
                  {
                      {"3001", "M1", "Lengua Castellana"},
                      {"3001", "M2", "  LENGUA castellana  "},  // no ASIGNOMT row; matches LC
                      {"3002", "M3", longName + " Uno"},         // PU
                      {"3002", "M4", longName + " Dos"},         // PD, but the first 80 match PU
                      {"3009", "M5", "Dibujo"},                  // a course without groups
                      {"3001", "M6"},                            // no name: no rows
                      {"3001"},                                  // one dato: not used
                  }},
                 {"ACTIVIDADES", {{"0", "GUA"}}},                // an activity without a name
                 {"CURSOS_DEL_CENTRO", {{"3001", "1º ESO"}, {"3002", "2º ESO"}}},
                 {"UNIDADES",
                  {{"G1", "1A", "3001"}, {"G4", "2A", "3002"}, {"G2", "1B", "3001"},
                   {"G3", "1C", "3001"}}},
                 oneFrame()});
    EXPECT_EQ(fixture.rows("ASIGNOMT", {"COD"}),
              (std::vector<std::string>{"LC", "PU", "PD", "Dibujo", "GUA"}));
    EXPECT_EQ(fixture.rows("ASIGT", {"CASIG", "CPROF", "CGRUP", "CAULA", "TURNO", "NIVEL", "CURSO",
                                     "GRUPO", "HORAS", "SESIONES", "NCONEX", "CLAVE",
                                     "CLAVECURSO", "CTAREA"}),
              (std::vector<std::string>{
                  "LC||1A|||ESO|1|A|4|1111||M1|3001|1",
                  "LC||1B|||ESO|1|B|4|1111||M1|3001|1",
                  "LC||1C|||ESO|1|C|4|1111||M1|3001|1",
                  "LC||1A|||ESO|1|A|4|1111||M2|3001|1",
                  "LC||1B|||ESO|1|B|4|1111||M2|3001|1",
                  "LC||1C|||ESO|1|C|4|1111||M2|3001|1",
                  "PU||2A|||Niv|2|A|4|1111||M3|3002|1",
                  "PU||2A|||Niv|2|A|4|1111||M4|3002|1",
              }));
}

TEST(ExportarAsignaciones, ASubjectWithoutGroupsOrSubjectsLeavesAnEmptyTable) {
    ExportFixture fixture;
    fixture.run({{"MATERIAS", {{"3001", "M1", "Dibujo"}}}, oneFrame()});
    EXPECT_EQ(fixture.rows("ASIGNOMT", {"COD"}), std::vector<std::string>{"Dibujo"});
    EXPECT_TRUE(fixture.rows("ASIGT", {"CASIG"}).empty());
}

}  // namespace
