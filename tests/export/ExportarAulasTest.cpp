// The room step: abbreviations taken from the document or the name, made distinct.
#include "support/ExportFixture.h"

#include <gtest/gtest.h>

namespace {

using exporttest::ExportFixture;
using exporttest::oneFrame;

TEST(ExportarAulas, AbbreviationsComeFromTheNameWhenMissingAndAreMadeDistinct) {
    ExportFixture fixture;
    fixture.run({{"DEPENDENCIAS",
                  {
                      {"", "Laboratorio de Física"},
                      {"", "Laboratorio de Química"},
                      {"A1", "Aula 1"},
                      {"A1", "Aula 1 bis"},
                      {"A11", "Aula 11"},             // A11 is taken by now: A111
                      {"a1", "Aula pequeña"},         // A1 and A11 taken, ignoring case: a12
                      {"GIMNASIOPRINCIPAL", "Gimnasio"},
                      {"GIMNASIOPRINCIPAL2", "Gimnasio 2"},  // compared whole, stored cut
                      {"", ""},
                      {"", ""},
                      {"  B2  ", "  Biblioteca  "},
                      {"S1"},                         // one dato: not used
                      {"S2", "Salón de actos", "x", "y"},
                  }},
                 oneFrame()});
    EXPECT_EQ(fixture.rows("AULAT", {"ABREV", "NOMBRE", "EDIFICIO", "MAXALUM", "DEPCENTRO"}),
              (std::vector<std::string>{
                  "Labora|Laboratorio de Física|||", "Labora1|Laboratorio de Química|||",
                  "A1|Aula 1|||", "A11|Aula 1 bis|||", "A111|Aula 11|||", "a12|Aula pequeña|||",
                  "GIMNASIOPR|Gimnasio|||", "GIMNASIOPR|Gimnasio 2|||", "||||", "1||||",
                  "B2|Biblioteca|||", "S2|Salón de actos|||"}));
}

}  // namespace
