// The run's input tests, its ending, and what it does to the tables already in the exchange
// directory.
#include "support/ExportFixture.h"

#include "stores/RunError.h"
#include "stores/TableCatalogue.h"

#include <gtest/gtest.h>

namespace {

using exporttest::ExportFixture;
using exporttest::oneFrame;
using stores::RunOutcome;

// Stands for the tables of an earlier run: must be there, unchanged, after a refused run.
void writeEarlierTable(const ExportFixture& fixture) {
    exporttest::writeFile(fixture.exchangeDir() / "ASIGNOMT.DBF", "tabla anterior");
}

bool earlierTableIsUntouched(const ExportFixture& fixture) {
    const auto file = fixture.exchangeDir() / "ASIGNOMT.DBF";
    return std::filesystem::exists(file) && std::filesystem::file_size(file) == 14;
}

TEST(ExportRun, RefusesToStartWithoutItsInputs) {
    struct Case {
        const char* what;
        void (*prepare)(exportrun::ExportSettings&);
        RunOutcome outcome;
        const char* message;
    };
    const Case cases[] = {
        {"no document",
         [](exportrun::ExportSettings& s) { s.document = s.document.parent_path() / "otro.xml"; },
         RunOutcome::NoDocument, "No existe archivo"},
        {"empty document path", [](exportrun::ExportSettings& s) { s.document.clear(); },
         RunOutcome::NoDocument, "No existe archivo"},
        {"a folder as document",
         [](exportrun::ExportSettings& s) { s.document = s.exchangeDir; },
         RunOutcome::NoDocument, "No existe archivo"},
        {"no reference table",
         [](exportrun::ExportSettings& s) { s.referenceTable.replace_filename("OTRA.DBF"); },
         RunOutcome::Stopped, "ATENCIÓN - NIVELEX.DBF No encontrado - Reinstale DUZEZEROZARADIRUZIDU"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExportFixture fixture;
        writeEarlierTable(fixture);
        exporttest::writeFile(fixture.document(), exporttest::schoolXml({oneFrame()}));
        auto settings = fixture.settings();
        c.prepare(settings);
        EXPECT_EQ(exportrun::runExport(settings, fixture.frontEnd), c.outcome);
        ASSERT_EQ(fixture.frontEnd.messages.size(), 1u);
        EXPECT_EQ(fixture.frontEnd.messages[0], c.message);
        EXPECT_TRUE(fixture.frontEnd.busyCalls.empty());
        EXPECT_TRUE(earlierTableIsUntouched(fixture));
    }
}

TEST(ExportRun, AMissingExchangeDirectoryIsNamedAndNeverCreated) {
    ExportFixture fixture;
    exporttest::writeFile(fixture.document(), exporttest::schoolXml({oneFrame()}));
    auto settings = fixture.settings();
    settings.exchangeDir = fixture.exchangeDir() / "KTEMP";
    EXPECT_EQ(exportrun::runExport(settings, fixture.frontEnd), RunOutcome::Stopped);
    EXPECT_EQ(fixture.frontEnd.messages,
              std::vector<std::string>{"No existe la carpeta de intercambio " +
                                       settings.exchangeDir.string() +
                                       ". Créela o indique otra; no se ha modificado ninguna "
                                       "tabla."});
    EXPECT_FALSE(std::filesystem::exists(settings.exchangeDir));
}

TEST(ExportRun, FindsTheReferenceTableWhateverTheLetterCaseOfItsName) {
    ExportFixture fixture;
    const auto lower = fixture.referenceTable().parent_path() / "nivelex.dbf";
    std::filesystem::rename(fixture.referenceTable(), lower);
    exporttest::writeFile(fixture.document(),
                          exporttest::schoolXml({{"CURSOS_DEL_CENTRO", {{"3001", "1º ESO"}}},
                                                 oneFrame()}));
    EXPECT_EQ(exportrun::runExport(fixture.settings(), fixture.frontEnd), RunOutcome::Finished);
    EXPECT_EQ(fixture.rows("CURSOST", {"NIVEL"}), std::vector<std::string>{"ESO"});
}

TEST(ExportRun, ADocumentThatCannotBeUsedTouchesNoTable) {
    struct Case { const char* what; const char* xml; const char* messageStart; };
    const Case cases[] = {
        {"not well-formed", "<SERVICIO><BLOQUE_DATOS>\n<grupo_datos seq=\"MATERIAS\">\n</SERVICIO>",
         nullptr},
        {"another root",
         "<OTRO><BLOQUE_DATOS><grupo_datos seq=\"JORNADAS_ESCOLARES\"><grupo_datos>"
         "<dato>ORD</dato></grupo_datos></grupo_datos></BLOQUE_DATOS></OTRO>",
         "El archivo "},
        {"no frame", "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"MATERIAS\"><grupo_datos>"
                     "<dato>1</dato><dato>2</dato><dato>Dibujo</dato></grupo_datos></grupo_datos>"
                     "</BLOQUE_DATOS></SERVICIO>",
         "El documento "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExportFixture fixture;
        writeEarlierTable(fixture);
        if (c.messageStart) {
            EXPECT_EQ(fixture.runXml(c.xml), RunOutcome::Stopped);
            ASSERT_EQ(fixture.frontEnd.messages.size(), 1u);
            EXPECT_EQ(fixture.frontEnd.messages[0].rfind(c.messageStart + fixture.document().string(), 0), 0u)
                << fixture.frontEnd.messages[0];
        } else {
            try {
                fixture.runXml(c.xml);
                FAIL() << "a broken document was used";
            } catch (const stores::RunError& error) {
                EXPECT_NE(std::string(error.what()).find(fixture.document().string()), std::string::npos)
                    << error.what();
            }
        }
        EXPECT_TRUE(fixture.frontEnd.busyCalls.empty());
        EXPECT_TRUE(earlierTableIsUntouched(fixture));
    }
}

TEST(ExportRun, AFinishedRunReplacesAllNineTables) {
    ExportFixture fixture;
    const auto& dir = fixture.exchangeDir();
    for (const char* stale : {"asignomt.mdx", "DIASHORAST2.MDX", "JORNADAS.DBF", "ASIGT.MDX"})
        exporttest::writeFile(dir / stale, "resto");
    exporttest::writeFile(dir / "SOLUC.DBF", "de Horavia");
    EXPECT_EQ(fixture.run({oneFrame()}), RunOutcome::Finished);
    EXPECT_EQ(fixture.frontEnd.messages, std::vector<std::string>{"Proceso finalizado"});
    EXPECT_EQ(fixture.frontEnd.busyCalls, (std::vector<bool>{true, false}));
    for (const auto table : stores::exchangeTablesInCreationOrder()) {
        SCOPED_TRACE(std::string(table));
        const auto field = stores::exchangeTable(table).fields.front().name;
        const std::size_t expected = table == stores::tables::PERIODOS ? 1 : 0;
        EXPECT_EQ(fixture.rows(std::string(table), {field}).size(), expected);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "asignomt.mdx"));
    EXPECT_FALSE(std::filesystem::exists(dir / "JORNADAS.DBF"));
    EXPECT_FALSE(std::filesystem::exists(dir / "ASIGT.MDX"));
    EXPECT_GT(std::filesystem::file_size(dir / "DIASHORAST2.MDX"), 5u);  // written anew
    EXPECT_EQ(std::filesystem::file_size(dir / "SOLUC.DBF"), 10u);
}

TEST(ExportRun, ARunAfterAFailedOneStartsWithFreshLists) {
    ExportFixture fixture;
    const std::vector<exporttest::Block> good = {{"MATERIAS", {{"3001", "M1", "Economía Financiera"},
                                                               {"3001", "M2", "Expresión Fotográfica"}}},
                                                 {"CURSOS_DEL_CENTRO", {{"3001", "1º ESO"}}},
                                                 oneFrame()};
    auto broken = good;
    broken[1].records.push_back({"uno", "Otro"});
    EXPECT_THROW(fixture.run(broken), stores::RunError);
    EXPECT_EQ(fixture.run(good), RunOutcome::Finished);
    EXPECT_EQ(fixture.rows("ASIGNOMT", {"COD"}), (std::vector<std::string>{"EF", "EF1"}));
    EXPECT_EQ(fixture.rows("CURSOST", {"CLAVE"}), std::vector<std::string>{"3001"});
}

}  // namespace
