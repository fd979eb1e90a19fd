// The teacher step: full names and abbreviations made distinct ignoring letter case.
#include "support/ExportFixture.h"

#include <gtest/gtest.h>

namespace {

using exporttest::ExportFixture;
using exporttest::oneFrame;

TEST(ExportarProfesores, AssemblesNamesAndDistinctAbbreviations) {
    ExportFixture fixture;
    fixture.run({{"EMPLEADOS",
                  {
                      {"E1", "2001", "Lengua", "García", "López", "Ana"},
                      {"E2", "", "Lengua", "gil", "lara", "aurora"},     // gla after GLA: gla1
                      {"E3", "", "", "Gómez", "Luna", "Alba"},           // GLA, gla1 taken: GLA2
                      {"E4", "", "", "García", "", "Ana"},               // empty middle part
                      {"E5", "", "", "", "", ""},                        // no name at all
                      {"E6", "", "", "", "", ""},
                      {"E7", "", "", " Pérez", "Ruiz", "Eva"},           // leading blank kept
                      {"E8", "", "", "Álvarez", "Íñiguez", "Óscar"},
                      {"E9", "", "", "álvarez", "íñiguez", "óscar"},     // accents fold too
                      {"E10", "X"},                                       // parts missing
                      {"E11"},                                            // one dato: not used
                      {"  E12  ", " 1999 ", " Música ", " Ana ", " Sanz ", " Vidal "},
                  }},
                 oneFrame()});
    EXPECT_EQ(fixture.rows("PROFT", {"ABREV", "NOMBRE", "DEPART", "EMAIL", "DNI", "X_EMPLEADO",
                                     "F_TOMAPOS"}),
              (std::vector<std::string>{
                  "GLA|García López, Ana|Lengua|||E1|2001",
                  "gla1|gil lara, aurora|Lengua|||E2|",
                  "GLA2|Gómez Luna, Alba||||E3|",
                  "GA|García , Ana||||E4|",
                  "| ,||||E5|",  // " , ", read back without its trailing blank
                  "1| ,||||E6|",
                  " RE|Pérez Ruiz, Eva||||E7|",
                  "ÁÍÓ|Álvarez Íñiguez, Óscar||||E8|",
                  "áíó1|álvarez íñiguez, óscar||||E9|",
                  "2| ,||||E10|X",
                  "|Ana Sanz, Vidal|Música|||E12|1999",  // three blanks, read back empty
              }));
}

}  // namespace
