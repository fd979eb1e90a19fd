// The activity step: activities appended behind the subjects with their own codes.
#include "support/ExportFixture.h"

#include "stores/dbf/Table.h"

#include <gtest/gtest.h>

namespace {

using exporttest::ExportFixture;
using exporttest::oneFrame;

TEST(ExportarActividades, AppendsTheActivitiesWithTheirOwnCodes) {
    ExportFixture fixture;
    fixture.run({{"MATERIAS", {{"3001", "M1", "Lengua Castellana"}}},
                 {"ACTIVIDADES",
                  {{"0", "GUA", "Guardia de recreo"},
                   {"1", "LC", "Lectura compartida"},          // a subject's code, kept all the same
                   {"2", "REUNIONDEPTO1", "Reunión de departamento"},
                   {"3"},                                     // one dato: not used
                   {"4", "TUT"}}},                            // no name: empty
                 oneFrame()});
    EXPECT_EQ(fixture.rows("ASIGNOMT", {"COD", "CODLARGO", "NOMBRE", "CODTAREA"}),
              (std::vector<std::string>{"LC|Lengua Cas|Lengua Castellana|",
                                        "GUA|Guardia|Guardia de recreo|GUA",
                                        "LC|Lectura|Lectura compartida|LC",
                                        "REUNIONDEP|Reunión|Reunión de departamento|REUNIONDEPTO",
                                        "TUT|||TUT"}));
    auto table = stores::dbf::Table::open(fixture.exchangeDir(), "ASIGNOMT");
    std::vector<bool> estarea;
    for (table.first(); !table.atEnd(); table.next()) estarea.push_back(table.logical("ESTAREA"));
    EXPECT_EQ(estarea, (std::vector<bool>{false, true, true, true, true}));
}

}  // namespace
