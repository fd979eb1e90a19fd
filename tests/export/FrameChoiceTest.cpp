// The frame question without a window: what it lists and shows, and its closing check.
#include "support/ExportFixture.h"

#include "export/FrameChoice.h"

#include <gtest/gtest.h>

namespace {

using exportrun::FrameChoice;
using exporttest::Block;
using exporttest::TempDir;

std::filesystem::path writeDocument(const TempDir& dir, const std::vector<Block>& blocks) {
    const auto file = dir.path() / "centro.xml";
    exporttest::writeFile(file, exporttest::schoolXml(blocks));
    return file;
}

TEST(FrameChoice, ListsTheFramesAndShowsTheLastRecordOfTheChosenCode) {
    TempDir dir;
    const FrameChoice choice(writeDocument(
        dir, {{"JORNADAS_ESCOLARES",
               {{" ORD ", "Ordinaria", "01/09/2026", "30/06/2027"},
                {"INT", "Intensiva", "01/06/2027", "30/06/2027"},
                {"INT", "Intensiva de verano", "15/06/2027"},
                {"NOC"}}},
              {"TRAMOS_HORARIOS",
               {{"1", " 1ª hora ", "540", "600", " ORD "},
                {"2", "1ª intensiva", "480", "530", "INT"},
                {"3", "2ª hora", "600", "660", " ORD "},
                {"4", "sin código", "600", "660", "ORD"}}}}));
    ASSERT_TRUE(choice.loaded());
    EXPECT_EQ(choice.frameCodes(), (std::vector<std::string>{" ORD ", "INT", "INT", "NOC"}));

    struct Case { const char* code; const char* name; const char* start; const char* end; };
    const Case cases[] = {
        {" ORD ", "Ordinaria", "01/09/2026", "30/06/2027"},
        {"INT", "Intensiva de verano", "15/06/2027", ""},  // the last record wins, as it is
        {"NOC", "", "", ""},
        {"ORD", "-", "-", "-"},                             // values are compared untrimmed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        const auto details = choice.details(c.code);
        EXPECT_EQ(details.name, c.name);
        EXPECT_EQ(details.startDate, c.start);
        EXPECT_EQ(details.endDate, c.end);
    }
    EXPECT_EQ(choice.slotCaptions(" ORD "),
              (std::vector<std::string>{" 1\xAA hora ", "2\xAA hora"}));  // cp1252 "ª"
    EXPECT_EQ(choice.slotCaptions("NOC"), std::vector<std::string>{});
}

TEST(FrameChoice, OffersNothingWithFewerThanTwoRecords) {
    TempDir dir;
    const FrameChoice choice(writeDocument(
        dir, {{"JORNADAS_ESCOLARES", {{"ORD", "Ordinaria", "01/09/2026", "30/06/2027"}}},
              {"TRAMOS_HORARIOS", {{"1", "1ª hora", "540", "600", "ORD"}}}}));
    EXPECT_TRUE(choice.frameCodes().empty());
    EXPECT_EQ(choice.recordCodes(), std::vector<std::string>{"ORD"});
    EXPECT_EQ(choice.details("ORD").name, "-");
    EXPECT_FALSE(choice.slotCaptions("ORD").has_value());  // the list keeps what it held
}

TEST(FrameChoice, ADocumentThatDoesNotLoadOffersNoFrame) {
    TempDir dir;
    exporttest::writeFile(dir.path() / "roto.xml", "<SERVICIO><BLOQUE_DATOS>");
    const FrameChoice broken(dir.path() / "roto.xml");
    EXPECT_FALSE(broken.loaded());
    EXPECT_TRUE(broken.frameCodes().empty());
    const FrameChoice missing(dir.path() / "no-existe.xml");
    EXPECT_FALSE(missing.loaded());
}

TEST(FrameChoice, ClosingCheckBuildsTenCharacterPiecesInListOrder) {
    const std::vector<std::string> items = {"ORD", "INTENSIVA_1", "TARDE", "X"};
    struct Case {
        std::vector<bool> selected;
        bool valid;
        const char* marcos;
        const char* message;
    };
    const Case cases[] = {
        {{true, false, false, false}, true, "ORD       ", ""},
        {{false, true, false, true}, true, "INTENSIVA_X         ", ""},  // cut, padded
        {{true, false, true, false}, true, "ORD       TARDE     ", ""},
        {{true, true, true, false}, false, "ORD       INTENSIVA_TARDE     ",
         "Demasiados Marcos Horarios seleccionados.\r\n"
         "Como máximo puede seleccionar 2 Marcos Horarios"},
        {{false, false, false, false}, false, "", "Debe al menos seleccionar 1 Marco Horario."},
    };
    for (const auto& c : cases) {
        const auto check = FrameChoice::close(items, c.selected);
        SCOPED_TRACE(c.marcos);
        EXPECT_EQ(check.eleccionValida, c.valid);
        EXPECT_EQ(check.marcosElegidos, c.marcos);
        EXPECT_EQ(check.message, c.message);
    }
    EXPECT_EQ(FrameChoice::close({}, {}).message, "Debe al menos seleccionar 1 Marco Horario.");
}

}  // namespace
