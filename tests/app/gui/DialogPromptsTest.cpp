// The real dialogs: Qt's open dialog as OpenDialogXML, the message boxes, and the frame dialog,
// driven as a user would while their modal loops run.
#include "app/gui/DialogPrompts.h"
#include "app/gui/MainForm.h"

#include "support/FrameDocuments.h"
#include "support/Modal.h"
#include "support/Scripted.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using apptest::whenModal;

struct DialogPrompts : ::testing::Test {
    std::filesystem::path folder = apptest::makeTempFolder();
    QString folderText = QString::fromStdString(folder.string());
    apptest::RecordingHelp help;
    app::DialogPrompts prompts{&help};
    ~DialogPrompts() override { std::filesystem::remove_all(folder); }
};

// A name typed in the dialog comes back as a full path with the default extension, whether or
// not the file exists.
TEST_F(DialogPrompts, OpenDialogReturnsATypedNameThatDoesNotExist) {
    apptest::writeFile(folder / "horario.xml", "<SERVICIO/>");
    QString title, filter;
    bool native = true;
    whenModal<QFileDialog>([&](QFileDialog* d) {
        title = d->windowTitle();
        filter = d->nameFilters().join('|');
        native = !d->testOption(QFileDialog::DontUseNativeDialog);
        d->setDirectory(folderText);
        auto* name = d->findChild<QLineEdit*>("fileNameEdit");
        name->setText("nuevo");
        QTest::keyClick(name, Qt::Key_Return);
    });
    EXPECT_EQ(prompts.openXmlFile(nullptr, ""), folderText + "/nuevo.xml");
    EXPECT_EQ(title, "Archivo XML");
    EXPECT_EQ(filter, "*.xml");
    EXPECT_FALSE(native);
}

TEST_F(DialogPrompts, OpenDialogStartsAtTheCurrentDocumentAndCanBeCancelled) {
    const QString current = folderText + "/horario.xml";
    apptest::writeFile(folder / "horario.xml", "<SERVICIO/>");
    QString directory;
    whenModal<QFileDialog>([&](QFileDialog* d) {
        directory = d->directory().absolutePath();
        d->reject();
    });
    EXPECT_EQ(prompts.openXmlFile(nullptr, current), std::nullopt);
    EXPECT_EQ(directory, folderText);
}

TEST_F(DialogPrompts, MessagesCarryTheApplicationTitleAndSpanishButtons) {
    struct Seen { QString title, text, button; QMessageBox::Icon icon; };
    auto answer = [](Seen& seen) {
        whenModal<QMessageBox>([&seen](QMessageBox* m) {
            seen = {m->windowTitle(), m->text(), m->buttons().value(0)->text(), m->icon()};
            m->accept();
        });
    };
    Seen message, error;
    answer(message);
    prompts.message(nullptr, "Proceso finalizado");
    answer(error);
    prompts.error(nullptr, "No se puede abrir C:\\KTEMP\\SOLUC.DBF");
    EXPECT_EQ(message.title, "DuzezErozaraDiruzidu");
    EXPECT_EQ(message.text, "Proceso finalizado");
    EXPECT_EQ(message.button.remove('&'), "Aceptar");
    EXPECT_EQ(message.icon, QMessageBox::NoIcon);
    EXPECT_EQ(error.title, "DuzezErozaraDiruzidu");
    EXPECT_EQ(error.text, "No se puede abrir C:\\KTEMP\\SOLUC.DBF");
    EXPECT_EQ(error.icon, QMessageBox::Critical);
}

TEST_F(DialogPrompts, FramesAreAskedInThePlantihorasDialog) {
    const auto document = folder / "horario.xml";
    apptest::writeFile(document, apptest::kThreeFrames);
    whenModal<QDialog>([](QDialog* d) {
        auto* list = d->findChild<QListWidget*>("ListBox2");
        list->item(1)->setSelected(true);
        list->item(0)->setSelected(true);
        d->findChild<QPushButton*>("BitBtnContinuar")->click();
    });
    const exportrun::FrameAnswer answer = prompts.askFrames(nullptr, document);
    EXPECT_FALSE(answer.cancelled);
    EXPECT_TRUE(answer.eleccionValida);
    EXPECT_EQ(answer.marcosElegidos, "MA\xD1""ANA    TARDE     ");
}

// The window with the real dialogs: the open dialog, then the run's message box.
TEST_F(DialogPrompts, TheExportButtonGoesThroughTheRealDialogs) {
    apptest::FormKit kit;
    app::DialogPrompts real(&kit.help);
    app::TMForm form({}, {real, kit.runs, kit.help, nullptr, kit.iniFile, [] {}});
    form.show();
    QString messageText;
    whenModal<QFileDialog>([&](QFileDialog* d) {
        whenModal<QMessageBox>([&](QMessageBox* m) {
            messageText = m->text();
            m->accept();
        });
        auto* name = d->findChild<QLineEdit*>("fileNameEdit");
        name->setText(folderText + "/horario.xml");
        QTest::keyClick(name, Qt::Key_Return);
    });
    QTest::mouseClick(form.findChild<QPushButton*>("BExportar"), Qt::LeftButton);
    EXPECT_EQ(kit.runs.exports, std::vector<std::filesystem::path>{folder / "horario.xml"});
    EXPECT_EQ(messageText, "Proceso finalizado");
    EXPECT_EQ(form.archivoXML(), folderText + "/horario.xml");
    EXPECT_FALSE(form.findChild<QPushButton*>("BImportar")->isEnabled());
}

}  // namespace
