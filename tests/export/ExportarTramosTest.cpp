// The time frames: which are used, the slots of each day, their numbers and times, the frame
// numbers by start time, and the periods.
#include "support/ExportFixture.h"

#include "stores/RunError.h"

#include <gtest/gtest.h>

namespace {

using exporttest::Block;
using exporttest::chosen;
using exporttest::ExportFixture;

Block frames(const std::vector<std::string>& codes) {
    Block block{"JORNADAS_ESCOLARES", {}};
    for (const auto& code : codes)
        block.records.push_back({code, "Jornada " + code, "01/09/2026", "30/06/2027"});
    return block;
}

// `count` slots of one hour each for the frame, the first starting at `firstStart` minutes.
std::vector<std::vector<std::string>> slotsOf(const std::string& frame, int count, int firstStart) {
    std::vector<std::vector<std::string>> slots;
    for (int n = 0; n < count; ++n) {
        const int start = firstStart + 60 * n;
        slots.push_back({frame + std::to_string(n + 1), std::to_string(n + 1) + "ª hora",
                         std::to_string(start), std::to_string(start + 60), frame});
    }
    return slots;
}

Block slotBlock(std::vector<std::vector<std::vector<std::string>>> groups) {
    Block block{"TRAMOS_HORARIOS", {}};
    for (auto& group : groups)
        for (auto& slot : group) block.records.push_back(std::move(slot));
    return block;
}

const std::vector<std::string> kGrid = {"DIHO", "HORA", "DIA", "MARCOXML", "MARCO"};

TEST(ExportarTramos, OneFrameGivesEverySlotOnEachDayOfTheWeek) {
    ExportFixture fixture;
    auto slots = slotsOf("ORD", 6, 540);
    slots.push_back({"X1", "otra", "600", "660", "OTRO"});   // a frame that is not chosen
    slots.push_back({"X2", "sin marco", "600", "660"});      // no frame code
    fixture.run({frames({"ORD"}), slotBlock({slots})});
    EXPECT_EQ(fixture.frontEnd.questions, 0);
    std::vector<std::string> expected;
    for (int day = 1; day <= 7; ++day)
        for (int n = 1; n <= 6; ++n)
            expected.push_back(std::to_string(day * 10 + n) + "|" + std::to_string(n) + "|" +
                               std::to_string(day) + "|ORD|0");
    EXPECT_EQ(fixture.rows("DIASHORAST", kGrid), expected);
    EXPECT_EQ(fixture.rows("DIASHORAST", {"CODDIHO", "TEXTOHOR", "HORADESDE", "HORAHASTA",
                                          "MINUTOS", "TEXTODIA"})[5],
              "ORD6|6ª hora|14:00|15:00|60|");
    EXPECT_EQ(fixture.rows("PERIODOS", {"CJORNADA", "JORNADA", "FECINI", "FECFIN"}),
              std::vector<std::string>{"ORD|Jornada ORD|01/09/2026|30/06/2027"});
    EXPECT_TRUE(fixture.rows("DIASHORAST2", {"DIHO"}).empty());
}

TEST(ExportarTramos, SlotTimesBecomeHoursAndMinutes) {
    struct Case { const char* start; const char* end; const char* written; };
    const Case cases[] = {
        {"540", "600", "09:00|10:00|60"},
        {"615", "0", "10:15|00:00|-615"},     // an end before the start
        {"1439", "", "23:59|00:00|-1439"},    // an empty time reads as 0
        {"5", "65", "00:05|01:05|60"},        // "0" put in front: "05", "065"
        {" 90 ", "1500", "01:30|25:00|1410"},
        {"0540", "-600", "09:00|-10:00|-1140"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        ExportFixture fixture;
        fixture.run({frames({"ORD"}),
                     slotBlock({{{"S1", "1ª", c.start, c.end, "ORD"}}})});
        EXPECT_EQ(fixture.rows("DIASHORAST", {"HORADESDE", "HORAHASTA", "MINUTOS"})[0], c.written);
    }
}

TEST(ExportarTramos, ASlotTimeThatIsNoNumberEndsTheRun) {
    ExportFixture fixture;
    try {
        fixture.run({frames({"ORD"}),
                     slotBlock({{{"S1", "1ª", "540", "600", "ORD"},
                                 {"S2", "2ª", "9:00", "660", "ORD"}}})});
        FAIL() << "the run went on";
    } catch (const stores::RunError& error) {
        EXPECT_STREQ(error.what(),
                     "ExportarTramos: la hora de inicio «9:00» del registro 2 de "
                     "TRAMOS_HORARIOS no es un número entero de minutos.");
    }
    EXPECT_EQ(fixture.rows("DIASHORAST", {"DIHO"}), std::vector<std::string>{"11"});
    EXPECT_TRUE(fixture.rows("PERIODOS", {"CJORNADA"}).empty());
    EXPECT_TRUE(fixture.rows("DIASHORAST2", {"DIHO"}).empty());
}

TEST(ExportarTramos, TwoFramesAreNumberedByTheStartOfTheirFirstSlot) {
    struct Case { int ordStart, intStart; const char* ordFrame; const char* intFrame; };
    const Case cases[] = {
        {540, 480, "1", "0"},  // the second chosen frame starts earlier: it is frame 0
        {480, 540, "0", "1"},
        {540, 540, "0", "1"},  // equal starts: the first chosen frame is frame 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.intStart);
        ExportFixture fixture;
        fixture.frontEnd.answers.push_back(chosen({"ORD", "INT"}));
        fixture.run({frames({"ORD", "INT"}),
                     slotBlock({slotsOf("ORD", 2, c.ordStart), slotsOf("INT", 3, c.intStart)})});
        EXPECT_EQ(fixture.frontEnd.questions, 1);
        const auto grid = fixture.rows("DIASHORAST", kGrid);
        ASSERT_EQ(grid.size(), 35u);
        const std::string o = c.ordFrame, i = c.intFrame;
        EXPECT_EQ(std::vector<std::string>(grid.begin(), grid.begin() + 5),
                  (std::vector<std::string>{"11|1|1|ORD|" + o, "12|2|1|ORD|" + o,
                                            "11|1|1|INT|" + i, "12|2|1|INT|" + i,
                                            "13|3|1|INT|" + i}));
        EXPECT_EQ(grid.back(), "73|3|7|INT|" + i);
        EXPECT_EQ(fixture.rows("PERIODOS", {"CJORNADA"}),
                  (std::vector<std::string>{"ORD", "INT"}));
    }
}

TEST(ExportarTramos, AsksAgainUntilTheChoiceIsValid) {
    ExportFixture fixture;
    fixture.frontEnd.answers.push_back(chosen({"ORD", "INT", "TAR"}));  // three: not valid
    fixture.frontEnd.answers.push_back(chosen({}));                     // none: not valid
    fixture.frontEnd.answers.push_back(chosen({"ORD", "TAR"}));
    const auto outcome =
        fixture.run({frames({"ORD", "INT", "TAR"}),
                     slotBlock({slotsOf("TAR", 1, 900), slotsOf("INT", 1, 480),
                                slotsOf("ORD", 1, 540)})});
    EXPECT_EQ(outcome, stores::RunOutcome::Finished);
    EXPECT_EQ(fixture.frontEnd.questions, 3);
    EXPECT_EQ(fixture.rows("DIASHORAST", kGrid)[0], "11|1|1|TAR|1");
    EXPECT_EQ(fixture.rows("DIASHORAST", kGrid)[1], "11|1|1|ORD|0");
    EXPECT_EQ(fixture.rows("DIASHORAST", kGrid).size(), 14u);
    EXPECT_EQ(fixture.rows("PERIODOS", {"CJORNADA"}), (std::vector<std::string>{"ORD", "TAR"}));
}

// With one frame chosen there is no second frame: a slot or a frame record without a code is
// not taken for one, and the chosen frame is frame 0 whenever it starts.
TEST(ExportarTramos, OneFrameChosenAmongSeveralTakesOnlyThatFrame) {
    ExportFixture fixture;
    fixture.frontEnd.answers.push_back(chosen({"NOC"}));
    auto slots = slotsOf("NOC", 2, 1500);
    slots.push_back({"S0", "sin marco", "480", "540", ""});
    slots.push_back({"S9", "sin marco", "480", "540"});
    fixture.run({{"JORNADAS_ESCOLARES",
                  {{"", "Sin código", "01/09/2026", "30/06/2027"},
                   {"NOC", "Nocturno", "01/09/2026", "30/06/2027"}}},
                 slotBlock({slots})});
    const auto grid = fixture.rows("DIASHORAST", kGrid);
    ASSERT_EQ(grid.size(), 14u);
    EXPECT_EQ(grid[0], "11|1|1|NOC|0");
    EXPECT_EQ(fixture.rows("DIASHORAST", {"HORADESDE"})[0], "25:00");
    EXPECT_EQ(fixture.rows("PERIODOS", {"CJORNADA", "JORNADA"}),
              std::vector<std::string>{"NOC|Nocturno"});
}

TEST(ExportarTramos, FrameCodesAreCutToTenCharacters) {
    ExportFixture fixture;
    fixture.run({frames({" JORNADA_ORDINARIA "}), slotBlock({slotsOf("JORNADA_ORDINARIA", 1, 540)})});
    // The slots match once cut; the frame record, compared uncut, gives no period.
    EXPECT_EQ(fixture.rows("DIASHORAST", kGrid)[0], "11|1|1|JORNADA_OR|0");
    EXPECT_TRUE(fixture.rows("PERIODOS", {"CJORNADA"}).empty());
}

TEST(ExportarTramos, AQuestionGivenUpStopsTheRunBeforeTheFrameTablesAreTouched) {
    ExportFixture fixture;
    exporttest::writeFile(fixture.exchangeDir() / "DIASHORAST.DBF", "tabla anterior");
    const auto outcome = fixture.run({{"MATERIAS", {{"3001", "M1", "Dibujo"}}},
                                      frames({"ORD", "INT"}), slotBlock({slotsOf("ORD", 1, 540)})});
    EXPECT_EQ(outcome, stores::RunOutcome::Stopped);
    EXPECT_EQ(fixture.frontEnd.messages,
              std::vector<std::string>{
                  "Exportación detenida: no se ha elegido ningún marco horario. Las tablas de "
                  "los pasos anteriores ya están escritas; DIASHORAST, DIASHORAST2 y PERIODOS "
                  "no se han modificado."});
    EXPECT_EQ(fixture.frontEnd.busyCalls, (std::vector<bool>{true, false}));
    EXPECT_EQ(fixture.rows("ASIGNOMT", {"COD"}), std::vector<std::string>{"Dibujo"});
    EXPECT_EQ(std::filesystem::file_size(fixture.exchangeDir() / "DIASHORAST.DBF"), 14u);
    EXPECT_FALSE(std::filesystem::exists(fixture.exchangeDir() / "PERIODOS.DBF"));
}

}  // namespace
