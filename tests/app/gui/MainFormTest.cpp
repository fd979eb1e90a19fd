// The main window: its layout, the runs' ends, the buttons, the cursor, help, and the host
// hand-off with a fake embedder (the X11 embedding itself is tested under Xvfb).
#include "app/gui/MainForm.h"

#include "app/gui/GradientPanel.h"
#include "support/Scripted.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using apptest::FormKit;
using apptest::endsWith;
using apptest::failsWith;
using stores::RunOutcome;

template <class T>
T* child(QWidget& form, const char* name) {
    T* w = form.findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

QRect geometryOf(QWidget& form, const char* name) {
    QWidget* w = child<QWidget>(form, name);
    return w ? w->geometry() : QRect();
}

TEST(MainFormLayout, ControlsSitWhereTheFormPutsThem) {
    FormKit kit;
    app::TMForm form({}, kit.services());
    EXPECT_EQ(form.objectName(), "MForm");
    EXPECT_EQ(form.windowTitle(), "Exportar e importar datos entre Horavia y Veltrana");
    EXPECT_EQ(form.size(), QSize(632, 266));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(form.windowFlags() & Qt::WindowCloseButtonHint);

    struct Control { const char* name; QRect geometry; const char* parent; };
    const Control controls[] = {
        {"Draw3D1", {0, 168, 633, 97}, "MForm"},
        {"Label1", {8, 72, 230, 13}, "Draw3D1"},
        {"BClose", {256, 32, 89, 25}, "Draw3D1"},
        {"Button1", {264, 64, 75, 25}, "Draw3D1"},
        {"Draw3D2", {1, 0, 315, 169}, "MForm"},
        {"Label3", {24, 24, 265, 57}, "Draw3D2"},
        {"BExportar", {96, 120, 89, 25}, "Draw3D2"},
        {"Draw3D3", {316, 0, 317, 169}, "MForm"},
        {"Label4", {8, 24, 305, 57}, "Draw3D3"},
        {"BImportar", {96, 120, 89, 25}, "Draw3D3"},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(geometryOf(form, c.name), c.geometry);
        if (auto* w = form.findChild<QWidget*>(c.name)) {
            EXPECT_EQ(w->parentWidget()->objectName(), c.parent);
        }
    }

    struct Caption { const char* name; const char* text; };
    const Caption captions[] = {
        {"Label3", "Transformar datos desde Veltrana hacia Horavia "},
        {"Label4", "Transformar datos desde Horavia hacia Veltrana"},
        {"BClose", "&Salir"},
        {"Button1", "F1 Ayuda"},
        {"BExportar", "OK"},
        {"BImportar", "OK"},
    };
    for (const auto& c : captions) {
        SCOPED_TRACE(c.name);
        if (auto* l = form.findChild<QLabel*>(c.name)) {
            EXPECT_EQ(l->text(), c.text);
        }
        if (auto* b = form.findChild<QPushButton*>(c.name)) {
            EXPECT_EQ(b->text(), c.text);
        }
    }
    EXPECT_TRUE(child<QLabel>(form, "Label1")->text().startsWith("DuzezErozaraDiruzidu"));
    for (const char* name : {"BExportar", "BImportar"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(child<QPushButton>(form, name)->isDefault());
        EXPECT_FALSE(child<QPushButton>(form, name)->icon().isNull());
    }
    EXPECT_FALSE(child<QPushButton>(form, "BClose")->icon().isNull());
}

TEST(MainFormLayout, FontsAndColoursOfTheForm) {
    FormKit kit;
    app::TMForm form({}, kit.services());
    for (const char* name : {"Label3", "Label4"}) {
        SCOPED_TRACE(name);
        const QFont font = child<QLabel>(form, name)->font();
        EXPECT_EQ(font.pixelSize(), 16);
        EXPECT_TRUE(font.bold());
        EXPECT_TRUE(child<QLabel>(form, name)->wordWrap());
        EXPECT_EQ(QFontInfo(font).family(), "Liberation Sans");
    }
    EXPECT_EQ(QFontInfo(form.font()).family(), "Liberation Sans");
    EXPECT_EQ(form.font().pixelSize(), 11);

    auto* panel = child<app::GradientPanel>(form, "Draw3D1");
    EXPECT_EQ(panel->start(), QColor("#C2CDFE"));
    EXPECT_EQ(panel->middle(), QColor("#CFF2FE"));
    EXPECT_EQ(panel->end(), QColor("#CCD8E6"));
    for (const char* name : {"Draw3D2", "Draw3D3"}) {
        SCOPED_TRACE(name);
        auto* p = child<app::GradientPanel>(form, name);
        EXPECT_EQ(p->start(), QColor("#F9D37D"));
        EXPECT_EQ(p->middle(), QColor(Qt::white));
        EXPECT_EQ(p->end(), QColor("#FFEEDD"));
    }
    // The painted panel shows the gradient: top, middle and bottom rows.
    form.show();
    const QImage image = child<QWidget>(form, "Draw3D2")->grab().toImage();
    auto near = [](QColor a, QColor b) {
        return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3 &&
               std::abs(a.blue() - b.blue()) <= 3;
    };
    EXPECT_TRUE(near(image.pixel(2, 0), QColor("#F9D37D")));
    EXPECT_TRUE(near(image.pixel(2, image.height() - 1), QColor("#FFEEDD")));
    EXPECT_TRUE(near(image.pixel(2, image.height() / 2), Qt::white));
}

TEST(MainFormLayout, StandAloneWindowIsCentredAndStartsNothing) {
    FormKit kit;
    app::TMForm form({}, kit.services());
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((form.geometry().center() - screen.center()).manhattanLength(), 2);
    EXPECT_TRUE(kit.runs.exports.empty());
    EXPECT_TRUE(kit.prompts.dialogsOpened.isEmpty());
    EXPECT_EQ(form.modoHost(), 0);
}

struct MainForm : ::testing::Test {
    FormKit kit;
    std::unique_ptr<app::TMForm> form;

    app::TMForm& make(QStringList arguments = {}) {
        form = std::make_unique<app::TMForm>(arguments, kit.services());
        return *form;
    }
    QPushButton* button(const char* name) { return form->findChild<QPushButton*>(name); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    bool runButtonsEnabled() { return button("BExportar")->isEnabled() && button("BImportar")->isEnabled(); }
    bool iniWritten() const { return std::filesystem::exists(kit.iniFile); }
    std::string ini() const { return apptest::readFile(kit.iniFile); }
};

// Each end of a run, started from either button, stand-alone.
TEST_F(MainForm, RunEndsDecideOutcomeAndButtons) {
    struct Case {
        const char* what;
        apptest::ScriptedRuns::Script script;
        int codigo;
        bool buttonsEnabled;
        const char* message;
        const char* error;
    };
    const Case cases[] = {
        {"finished", endsWith(RunOutcome::Finished, "Proceso finalizado"), 1, false, "Proceso finalizado", nullptr},
        {"no document", endsWith(RunOutcome::NoDocument, "No existe archivo"), 0, true, "No existe archivo", nullptr},
        {"stopped", endsWith(RunOutcome::Stopped, "ATENCIÓN - PERIODOS.DBF No encontrado"), 0, true,
         "ATENCIÓN - PERIODOS.DBF No encontrado", nullptr},
        {"failed", failsWith("No se puede crear C:\\KTEMP\\PROFT.DBF: la carpeta no existe"), 0, true, nullptr,
         "No se puede crear C:\\KTEMP\\PROFT.DBF: la carpeta no existe"},
    };
    for (const char* buttonName : {"BExportar", "BImportar"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(buttonName) + ": " + c.what);
            kit.prompts = {};
            kit.runs.onExport = kit.runs.onImport = c.script;
            make();
            form->show();
            kit.prompts.files = {QString("/datos/horario.xml")};
            click(buttonName);
            EXPECT_EQ(form->codigoResultado(), c.codigo);
            EXPECT_EQ(runButtonsEnabled(), c.buttonsEnabled);
            EXPECT_EQ(kit.prompts.messages, c.message ? QStringList{c.message} : QStringList{});
            EXPECT_EQ(kit.prompts.errors, c.error ? QStringList{c.error} : QStringList{});
            EXPECT_EQ(QApplication::overrideCursor(), nullptr);
            EXPECT_TRUE(form->isVisible());
            form->close();
            EXPECT_FALSE(iniWritten());
            EXPECT_EQ(kit.programEnds, 1);
            kit.programEnds = 0;
        }
    }
    EXPECT_EQ(kit.runs.exports.size(), 4u);
    EXPECT_EQ(kit.runs.imports.size(), 4u);
    EXPECT_EQ(kit.runs.imports.back(), "/datos/horario.xml");
}

TEST_F(MainForm, ArchivoXMLIsKeptWhenTheDialogIsCancelled) {
    make().show();
    kit.runs.onExport = kit.runs.onImport = endsWith(RunOutcome::NoDocument, "No existe archivo");
    click("BExportar");  // cancelled with no earlier choice: the run gets the empty path
    kit.prompts.files = {QString("/datos/a.xml")};
    click("BImportar");
    click("BExportar");  // cancelled: the earlier choice again
    EXPECT_EQ(kit.prompts.dialogsOpened, (QStringList{"", "", "/datos/a.xml"}));
    EXPECT_EQ(kit.runs.exports, (std::vector<std::filesystem::path>{"", "/datos/a.xml"}));
    EXPECT_EQ(form->archivoXML(), "/datos/a.xml");
}

TEST_F(MainForm, HourglassWhileTheRunWorksAndDefaultCursorAfterEveryEnd) {
    make().show();
    std::vector<bool> busyAtMessage;
    kit.prompts.onMessage = [&](const QString&) {
        busyAtMessage.push_back(QApplication::overrideCursor() &&
                                QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    };
    kit.runs.onExport = [](const std::filesystem::path&, stores::RunFrontEnd& frontEnd) {
        frontEnd.setBusy(true);
        frontEnd.showMessage("paso");
        frontEnd.setBusy(false);
        frontEnd.showMessage("Proceso finalizado");
        return RunOutcome::Finished;
    };
    click("BExportar");
    EXPECT_EQ(busyAtMessage, (std::vector<bool>{true, false}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A failure leaves nothing half-released: the next run of either direction starts normally.
TEST_F(MainForm, ARunAfterAFailedOneWorks) {
    make().show();
    kit.prompts.files = {QString("/datos/a.xml")};
    kit.runs.onImport = failsWith("No se puede guardar /datos/ZuzezivedOvivizua.xml: disco lleno");
    click("BImportar");
    ASSERT_EQ(kit.prompts.errors.size(), 1);
    kit.runs.onImport = nullptr;  // finishes
    click("BImportar");
    EXPECT_EQ(kit.runs.imports.size(), 2u);
    EXPECT_EQ(form->codigoResultado(), 1);
    EXPECT_FALSE(runButtonsEnabled());
}

TEST_F(MainForm, AfterAFinishedRunOnlyHelpAndCloseAct) {
    make().show();
    click("BExportar");
    ASSERT_FALSE(runButtonsEnabled());
    QTest::keyClick(form.get(), Qt::Key_Return);
    click("BImportar");
    EXPECT_EQ(kit.runs.exports.size() + kit.runs.imports.size(), 1u);
    click("Button1");
    EXPECT_EQ(kit.help.calls, QStringList{"contents"});
}

TEST_F(MainForm, EnterStartsTheExportWhenNoButtonHasTheFocus) {
    make().show();
    form->setFocus();
    QTest::keyClick(form.get(), Qt::Key_Return);
    EXPECT_EQ(kit.runs.exports.size(), 1u);
}

TEST_F(MainForm, HelpButtonOpensTheContentsAndF1TheWindowTopic) {
    make().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    click("Button1");
    QTest::keyClick(form.get(), Qt::Key_F1);
    EXPECT_EQ(kit.help.calls, (QStringList{"contents", "context 3"}));
    EXPECT_TRUE(kit.prompts.messages.isEmpty());

    kit.help.problem = "No hay ningún visor de ayuda instalado.";
    click("Button1");
    EXPECT_EQ(kit.prompts.messages, QStringList{"No hay ningún visor de ayuda instalado."});
}

// Host mode: the run of the direction word starts before the window shows; its end closes the
// window and leaves the outcome in Horavia.ini.
TEST_F(MainForm, HostModeRunsTheDirectionWordAndLeavesTheOutcome) {
    struct Case {
        const char* word;
        const char* handle;
        apptest::ScriptedRuns::Script script;
        bool closedByRun;
        const char* transformado;
    };
    const Case cases[] = {
        {"exportar", "1A2B", endsWith(RunOutcome::Finished, "Proceso finalizado"), true, "1"},
        {"EXPORTAR", "1a2b", endsWith(RunOutcome::Finished, "Proceso finalizado"), true, "1"},
        {"importar", "1A2B", endsWith(RunOutcome::Finished, "Proceso finalizado"), true, "1"},
        {"importar", "1A2B", endsWith(RunOutcome::NoDocument, "No existe archivo"), true, "-1"},
        {"exportar", "1A2B", endsWith(RunOutcome::NoDocument, "No existe archivo"), true, "-1"},
        {"exportar", "1A2B", endsWith(RunOutcome::Stopped, "ATENCIÓN - NIVELEX.DBF No encontrado"), false, "0"},
        {"importar", "1A2B", failsWith("No se puede abrir SOLUC.DBF"), false, "0"},
        {"abrir", "1A2B", nullptr, false, "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.word) + " " + c.handle);
        std::filesystem::remove(kit.iniFile);
        kit.prompts = {};
        kit.runs = {};
        kit.runs.onExport = kit.runs.onImport = c.script;
        bool visibleDuringRun = true;
        kit.runs.whenStarted = [&] { visibleDuringRun = form->isVisible(); };
        kit.programEnds = 0;
        make({c.word, c.handle});
        EXPECT_EQ(form->modoHost(), 2);
        EXPECT_EQ(kit.host.embedded, 0x1A2Bu);
        EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);

        form->show();
        const bool ran = c.script != nullptr;
        EXPECT_EQ(kit.runs.exports.size() + kit.runs.imports.size(), ran ? 1u : 0u);
        if (ran) {
            EXPECT_FALSE(visibleDuringRun);
        }
        EXPECT_EQ(form->isVisible(), !c.closedByRun);
        if (!c.closedByRun) {
            EXPECT_FALSE(iniWritten());
            click("BClose");
        }
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(ini(), std::string("[Transformadores]\r\nTransformado=") + c.transformado + "\r\n");
        EXPECT_EQ(kit.programEnds, 1);
    }
}

TEST_F(MainForm, HostModeCloseReplacesAnEarlierValue) {
    apptest::writeFile(kit.iniFile, "[Transformadores]\r\nTransformado=1\r\n[Otra]\r\nk=v\r\n");
    make({"abrir", "1A2B"}).show();
    form->close();
    EXPECT_EQ(ini(), "[Transformadores]\r\nTransformado=0\r\n[Otra]\r\nk=v\r\n");
}

// A handle that does not convert, or names no window: the error box, then a stand-alone window
// in which the direction word still starts its run; that run neither closes the window nor
// writes the ini file.
TEST_F(MainForm, AHandleThatCannotBeUsedGivesAStandAloneWindow) {
    struct Case { const char* handle; const char* hostProblem; const char* error; };
    const Case cases[] = {
        {"xyz", "", "'$xyz' is not a valid integer value"},
        {"$1A2B", "", "'$$1A2B' is not a valid integer value"},
        {"0x1A2B", "", "'$0x1A2B' is not a valid integer value"},
        {" 1A2B", "", "'$ 1A2B' is not a valid integer value"},
        {"1A2B", "No existe ninguna ventana con el identificador 1A2B.", "No existe ninguna ventana con el identificador 1A2B."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.handle);
        kit.prompts = {};
        kit.runs = {};
        kit.host.problem = c.hostProblem;
        kit.programEnds = 0;
        make({"exportar", c.handle});
        EXPECT_EQ(kit.prompts.errors, QStringList{c.error});
        EXPECT_EQ(form->modoHost(), 0);
        EXPECT_FALSE(form->windowFlags() & Qt::FramelessWindowHint);
        form->show();
        EXPECT_EQ(kit.runs.exports.size(), 1u);
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(form->codigoResultado(), 1);
        form->close();
        EXPECT_FALSE(iniWritten());
        EXPECT_EQ(kit.programEnds, 1);
    }
}

TEST_F(MainForm, OtherArgumentCountsAreStandAloneAndStartNothing) {
    for (const QStringList& arguments : {QStringList{"exportar"}, QStringList{"exportar", "1A2B", "x"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        kit.runs = {};
        make(arguments).show();
        EXPECT_EQ(form->modoHost(), 0);
        EXPECT_TRUE(kit.runs.exports.empty());
        EXPECT_TRUE(kit.prompts.errors.isEmpty());
        form->close();
        EXPECT_FALSE(iniWritten());
    }
}

// A failed write of Horavia.ini is told; the window stays open once so that the user can mend
// it, and a second close closes whatever happens.
TEST_F(MainForm, AFailedIniWriteIsToldAndTheWindowCanStillBeClosed) {
    kit.iniFile = kit.folder / "falta" / "Horavia.ini";
    make({"abrir", "1A2B"}).show();
    form->close();
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(kit.prompts.errors.size(), 1);
    EXPECT_TRUE(kit.prompts.errors[0].startsWith(
        QString("No se puede escribir en %1.").arg(QString::fromStdString(kit.iniFile.string()))));
    EXPECT_EQ(kit.programEnds, 0);

    std::filesystem::create_directory(kit.folder / "falta");  // mended: the next close writes
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(ini(), "[Transformadores]\r\nTransformado=0\r\n");
    EXPECT_EQ(kit.programEnds, 1);
}

TEST_F(MainForm, ASecondFailedIniWriteStillClosesTheWindow) {
    kit.iniFile = kit.folder / "falta" / "Horavia.ini";
    make({"exportar", "1A2B"});
    form->show();  // the run finishes and closes: the write fails and the window shows
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(runButtonsEnabled());
    click("BClose");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(kit.prompts.errors.size(), 2);
    EXPECT_EQ(kit.programEnds, 1);
}

TEST_F(MainForm, TheHostWindowGoingAwayLeavesTheOutcomeAndEndsTheProgram) {
    make({"abrir", "1A2B"}).show();
    ASSERT_TRUE(kit.host.hostGone);
    kit.host.hostGone();
    EXPECT_EQ(ini(), "[Transformadores]\r\nTransformado=0\r\n");
    EXPECT_EQ(kit.programEnds, 1);
    form->close();  // what Qt may still do on the way out changes nothing
    EXPECT_EQ(kit.programEnds, 1);
}

}  // namespace
