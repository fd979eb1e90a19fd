// The window driving the real export and import runs on files in a temporary exchange directory
// (KTEMP), with the reference table that the build puts beside the test program.
#include "app/gui/CoreRuns.h"
#include "app/gui/MainForm.h"

#include "stores/Files.h"
#include "stores/dbf/Table.h"
#include "support/FrameDocuments.h"
#include "support/Scripted.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using stores::dbf::FieldType;

struct RealRuns : ::testing::Test {
    apptest::FormKit kit;
    std::filesystem::path ktemp = kit.folder / "KTEMP";
    std::filesystem::path document = kit.folder / "horario.xml";
    QString documentText = QString::fromStdString(document.string());
    std::filesystem::path result = kit.folder / "ZuzezivedOvivizuhorario.xml";
    std::string oldKtemp = std::getenv("KTEMP") ? std::getenv("KTEMP") : "";
    app::CoreRuns runs;
    std::unique_ptr<app::TMForm> form;

    RealRuns() {
        std::filesystem::create_directory(ktemp);
        ::setenv("KTEMP", ktemp.c_str(), 1);
        apptest::writeFile(document, apptest::kThreeFrames);
    }
    ~RealRuns() override {
        if (oldKtemp.empty()) ::unsetenv("KTEMP");
        else ::setenv("KTEMP", oldKtemp.c_str(), 1);
    }

    app::TMForm& make(QStringList arguments = {}, app::Runs* other = nullptr) {
        form = std::make_unique<app::TMForm>(arguments, app::FormServices{kit.prompts, other ? *other : runs, kit.help,
                                                                          &kit.host, kit.iniFile, [this] { ++kit.programEnds; }});
        return *form;
    }
    void click(const char* name) { QTest::mouseClick(form->findChild<QPushButton*>(name), Qt::LeftButton); }
    bool runButtonsEnabled() {
        return form->findChild<QPushButton*>("BExportar")->isEnabled() && form->findChild<QPushButton*>("BImportar")->isEnabled();
    }
    bool inExchange(std::string_view table) { return stores::fileExistsIgnoringCase(ktemp, table); }
    void exportDocument() {
        kit.prompts.files = {documentText};
        kit.prompts.frames = {{false, true, "MA\xD1""ANA    "}};
        click("BExportar");
    }
    // What Horavia leaves after solving: its solution table (no lessons here).
    void writeSoluc() {
        stores::dbf::Table::create(ktemp, {"SOLUC.DBF",
            {{"PROF", FieldType::Character, 10}, {"DIA", FieldType::Integer, 0}, {"HORA", FieldType::Integer, 0},
             {"ASIG", FieldType::Character, 10}, {"CODGRUPO", FieldType::Character, 10},
             {"TAREA", FieldType::Character, 10}, {"MARCO", FieldType::Character, 1},
             {"AULA", FieldType::Character, 10}}, {}, stores::dbf::TableLevel::DBase4});
    }
};

TEST_F(RealRuns, ExportWritesTheTablesWithTheFramesChosenInTheDialog) {
    make().show();
    kit.prompts.files = {documentText};
    kit.prompts.frames = {{false, false, ""}, {false, true, "MA\xD1""ANA    TARDE     "}};  // asked again
    click("BExportar");
    EXPECT_TRUE(kit.prompts.errors.isEmpty()) << kit.prompts.errors.join('\n').toStdString();
    EXPECT_EQ(kit.prompts.messages, QStringList{"Proceso finalizado"});
    EXPECT_EQ(kit.prompts.framesAsked, (std::vector<std::filesystem::path>{document, document}));
    EXPECT_EQ(form->codigoResultado(), 1);
    EXPECT_FALSE(runButtonsEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    for (const char* table : {"ASIGNOMT.DBF", "PROFT.DBF", "AULAT.DBF", "CURSOST.DBF", "GRUPOST.DBF", "ASIGT.DBF",
                              "DIASHORAST.DBF", "DIASHORAST2.DBF", "PERIODOS.DBF"}) {
        SCOPED_TRACE(table);
        EXPECT_TRUE(inExchange(table));
    }
    auto periodos = stores::dbf::Table::open(ktemp, "PERIODOS");
    EXPECT_EQ(periodos.rowCount(), 2);
}

TEST_F(RealRuns, GivingUpTheFrameChoiceStopsTheExportAndLeavesTheButtons) {
    make().show();
    kit.prompts.files = {documentText};  // no frame answer queued: the user gives up
    click("BExportar");
    EXPECT_EQ(kit.prompts.framesAsked.size(), 1u);
    EXPECT_EQ(form->codigoResultado(), 0);
    EXPECT_TRUE(runButtonsEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(inExchange("PERIODOS.DBF"));
}

TEST_F(RealRuns, WithoutTheReferenceTableTheExportStopsBeforeAnyTable) {
    app::CoreRuns noReference(kit.folder / "NIVELEX.DBF");
    make({}, &noReference).show();
    kit.prompts.files = {documentText};
    click("BExportar");
    EXPECT_EQ(kit.prompts.messages, QStringList{"ATENCIÓN - NIVELEX.DBF No encontrado - Reinstale DUZEZEROZARADIRUZIDU"});
    EXPECT_TRUE(runButtonsEnabled());
    EXPECT_TRUE(std::filesystem::is_empty(ktemp));
}

// The import fails while Horavia has not solved yet; once SOLUC is there, the same window runs
// it again and writes the result beside the document.
TEST_F(RealRuns, ImportAfterAFailureInTheSameWindow) {
    make().show();
    exportDocument();
    ASSERT_EQ(form->codigoResultado(), 1);

    make().show();
    kit.prompts = {};
    kit.prompts.files = {documentText};
    click("BImportar");
    ASSERT_EQ(kit.prompts.errors.size(), 1);
    EXPECT_TRUE(kit.prompts.errors[0].contains("SOLUC")) << kit.prompts.errors[0].toStdString();
    EXPECT_TRUE(runButtonsEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(result));

    writeSoluc();
    click("BImportar");  // dialog cancelled: the same document again
    EXPECT_EQ(kit.prompts.messages, QStringList{"Proceso finalizado"});
    EXPECT_EQ(form->codigoResultado(), 1);
    EXPECT_FALSE(runButtonsEnabled());
    EXPECT_NE(apptest::readFile(result).find("HORARIOS_REGULARES"), std::string::npos);
    EXPECT_NE(apptest::readFile(document).find("JORNADAS_ESCOLARES"), std::string::npos);
}

// A save that fails leaves nothing half-released: a second import in the same window finishes,
// and the window then closes normally.
TEST_F(RealRuns, ASecondImportAfterAFailedSaveFinishes) {
    make().show();
    exportDocument();
    writeSoluc();
    make().show();
    kit.prompts = {};
    std::filesystem::create_directory(result);  // the result's name is taken by a folder
    kit.prompts.files = {documentText};
    click("BImportar");
    ASSERT_EQ(kit.prompts.errors.size(), 1);
    EXPECT_TRUE(runButtonsEnabled());

    std::filesystem::remove(result);
    click("BImportar");
    EXPECT_EQ(kit.prompts.messages, QStringList{"Proceso finalizado"});
    EXPECT_TRUE(std::filesystem::is_regular_file(result));
    kit.programEnds = 0;
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(kit.programEnds, 1);
}

TEST_F(RealRuns, HostModeExportFinishesClosesAndLeavesOne) {
    kit.prompts.files = {documentText};
    kit.prompts.frames = {{false, true, "TARDE     "}};
    make({"exportar", "1A2B"}).show();
    EXPECT_EQ(kit.prompts.messages, QStringList{"Proceso finalizado"});
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(inExchange("DIASHORAST.DBF"));
    EXPECT_EQ(apptest::readFile(kit.iniFile), "[Transformadores]\r\nTransformado=1\r\n");
    EXPECT_EQ(kit.programEnds, 1);
}

TEST_F(RealRuns, HostModeImportWithTheDialogCancelledLeavesMinusOne) {
    make({"importar", "1A2B"}).show();
    EXPECT_EQ(kit.prompts.messages, QStringList{"No existe archivo"});
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(apptest::readFile(kit.iniFile), "[Transformadores]\r\nTransformado=-1\r\n");
}

}  // namespace
