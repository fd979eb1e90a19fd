// The time-frame dialog on small documents: what it lists and shows, Ctrl-click selection, the
// closing check, and the way out when the document offers nothing to choose.
#include "app/gui/Plantihoras.h"

#include "support/FrameDocuments.h"
#include "support/Scripted.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QStringList texts(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

struct Plantihoras : ::testing::Test {
    std::filesystem::path folder = apptest::makeTempFolder();
    apptest::ScriptedPrompts prompts;
    apptest::RecordingHelp help;
    std::unique_ptr<app::TPlantillas> dialog;

    ~Plantihoras() override { std::filesystem::remove_all(folder); }

    app::TPlantillas& open(const std::string& xml) {
        const auto document = folder / "horario.xml";
        apptest::writeFile(document, xml);
        dialog = std::make_unique<app::TPlantillas>(document, prompts, &help);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return *dialog;
    }
    QListWidget* frames() { return dialog->findChild<QListWidget*>("ListBox2"); }
    QListWidget* slotList() { return dialog->findChild<QListWidget*>("ListBox1"); }
    QString label(const char* name) { return dialog->findChild<QLabel*>(name)->text(); }
    QStringList shown() { return {label("LabelNombre"), label("LabelPlanFec1"), label("LabelPlanFec2")}; }
    void click(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QListWidget* list = frames();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                          list->visualItemRect(list->item(row)).center());
    }
    void select(std::initializer_list<int> rows) {
        frames()->clearSelection();
        for (int row : rows) frames()->item(row)->setSelected(true);
    }
};

TEST_F(Plantihoras, LaidOutAsTheFormPlacesIt) {
    open(apptest::kThreeFrames);
    EXPECT_EQ(dialog->windowTitle(), "Planillas, Marcos o Jornadas Horarias");
    EXPECT_EQ(dialog->size(), QSize(370, 282));
    EXPECT_EQ(dialog->pos(), QPoint(424, 285));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    struct Control { const char* name; QRect geometry; };
    const Control controls[] = {
        {"Draw3D4", {0, 0, 369, 281}},        {"LabelPlantillas", {16, 2, 321, 33}},
        {"LabelSelec", {16, 36, 321, 50}},    {"LabelMarcos", {40, 86, 74, 16}},
        {"Label1", {215, 86, 67, 18}},        {"ListBox2", {16, 103, 127, 45}},
        {"ListBox1", {152, 103, 193, 146}},   {"LabelNombre", {9, 151, 120, 41}},
        {"LabelPlanFec1", {9, 196, 120, 23}}, {"LabelPlanFec2", {9, 226, 120, 23}},
        {"ComboBoxPlantilla", {150, 254, 81, 21}}, {"BitBtnContinuar", {255, 253, 89, 25}},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(c.name);
        auto* w = dialog->findChild<QWidget*>(c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->geometry(), c.geometry);
    }
    EXPECT_EQ(label("LabelMarcos"), "MARCOS");
    EXPECT_EQ(label("Label1"), "HORAS");
    EXPECT_TRUE(label("LabelSelec").startsWith("Para seleccionar mas de un Marco Horario, mantenga (Ctrl)"));
    EXPECT_TRUE(dialog->findChild<QComboBox*>("ComboBoxPlantilla")->isHidden());
    auto* continuar = dialog->findChild<QPushButton*>("BitBtnContinuar");
    EXPECT_EQ(continuar->text(), "Continuar");
    EXPECT_TRUE(continuar->isDefault());
    EXPECT_FALSE(continuar->icon().isNull());
    EXPECT_EQ(dialog->findChild<QLabel*>("LabelNombre")->font().pixelSize(), 16);
    EXPECT_TRUE(dialog->findChild<QLabel*>("LabelNombre")->font().underline());
}

TEST_F(Plantihoras, ListsTheFramesAndShowsTheFirst) {
    open(apptest::kThreeFrames);
    EXPECT_EQ(texts(frames()), (QStringList{"MAÑANA", "TARDE", "CODIGOLARGO12"}));
    EXPECT_TRUE(frames()->selectedItems().isEmpty());
    EXPECT_EQ(shown(), (QStringList{"Jornada de mañana", "01/09/2024", "30/06/2025"}));
    EXPECT_EQ(texts(slotList()), (QStringList{"1ª 08:00-08:55", "2ª 08:55-09:50"}));
}

TEST_F(Plantihoras, CtrlClickAddsAndRemovesAndTheFrameClickedLastIsShown) {
    open(apptest::kThreeFrames);
    click(1);
    EXPECT_EQ(frames()->selectedItems().size(), 1);
    EXPECT_EQ(shown(), (QStringList{"Tarde", "15/09/2024", "20/06/2025"}));
    EXPECT_EQ(texts(slotList()), QStringList{"1ª 15:00-15:55"});

    click(0, Qt::ControlModifier);
    EXPECT_EQ(frames()->selectedItems().size(), 2);
    EXPECT_EQ(shown(), (QStringList{"Jornada de mañana", "01/09/2024", "30/06/2025"}));

    click(2, Qt::ControlModifier);  // a frame without slots empties the slot list
    EXPECT_EQ(frames()->selectedItems().size(), 3);
    EXPECT_TRUE(texts(slotList()).isEmpty());

    click(2, Qt::ControlModifier);  // removed again, but still the frame clicked last
    EXPECT_EQ(frames()->selectedItems().size(), 2);
    EXPECT_EQ(shown(), (QStringList{"Intensiva", "01/06/2025", "30/06/2025"}));

    click(2);  // a plain click keeps only that frame
    EXPECT_EQ(frames()->selectedItems().size(), 1);
}

TEST_F(Plantihoras, ClosingCheckGivesTheChosenCodesInListOrder) {
    struct Case { std::initializer_list<int> rows; bool valid; std::string codes; const char* message; };
    const Case cases[] = {
        {{0}, true, "MA\xD1""ANA    ", nullptr},
        {{1, 0}, true, "MA\xD1""ANA    TARDE     ", nullptr},
        {{2}, true, "CODIGOLARG", nullptr},
        {{}, false, "", "Debe al menos seleccionar 1 Marco Horario."},
        {{0, 1, 2}, false, "MA\xD1""ANA    TARDE     CODIGOLARG",
         "Demasiados Marcos Horarios seleccionados.\r\nComo máximo puede seleccionar 2 Marcos Horarios"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codes);
        prompts = {};
        open(apptest::kThreeFrames);
        select(c.rows);
        dialog->findChild<QPushButton*>("BitBtnContinuar")->click();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->EleccionValida(), c.valid);
        EXPECT_EQ(dialog->MarcosElegidos(), c.codes);
        EXPECT_EQ(prompts.messages, c.message ? QStringList{c.message} : QStringList{});
        const exportrun::FrameAnswer answer = dialog->answer();
        EXPECT_FALSE(answer.cancelled);
        EXPECT_EQ(answer.eleccionValida, c.valid);
        EXPECT_EQ(answer.marcosElegidos, c.codes);
    }
}

// Closing through the close box goes through the same check.
TEST_F(Plantihoras, TheCloseBoxChecksTooAndEscapeDoesNotClose) {
    open(apptest::kThreeFrames);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    select({1});
    dialog->close();
    EXPECT_TRUE(dialog->EleccionValida());
    EXPECT_EQ(dialog->MarcosElegidos(), "TARDE     ");
}

TEST_F(Plantihoras, NothingToChooseCancelsTheExportOnClosing) {
    struct Case { const char* what; std::string xml; };
    const Case cases[] = {
        {"one frame", apptest::kOneFrame},
        {"not a document", "<SERVICIO><BLOQUE_DATOS>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        prompts = {};
        open(c.xml);
        EXPECT_EQ(frames()->count(), 0);
        EXPECT_EQ(shown(), (QStringList{"-", "-", "-"}));
        dialog->close();
        ASSERT_EQ(prompts.messages.size(), 1);
        EXPECT_EQ(prompts.messages[0],
                  QString("El documento %1 no ofrece ningún Marco Horario que elegir: no se puede "
                          "leer o tiene menos de dos.")
                      .arg(QString::fromStdString((folder / "horario.xml").string())));
        EXPECT_TRUE(dialog->answer().cancelled);
        EXPECT_FALSE(dialog->answer().eleccionValida);
    }
}

// A dialog taken down without a close (the program is ending) gives no choice to go on with.
TEST_F(Plantihoras, ADialogThatWasNotClosedIsCancelled) {
    open(apptest::kThreeFrames);
    select({0});
    dialog->hide();
    EXPECT_TRUE(dialog->answer().cancelled);
}

TEST_F(Plantihoras, F1OpensTheHelpOfTheWindow) {
    open(apptest::kThreeFrames);
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    QTest::keyClick(dialog.get(), Qt::Key_F1);
    EXPECT_EQ(help.calls, QStringList{"context 3"});
}

}  // namespace
