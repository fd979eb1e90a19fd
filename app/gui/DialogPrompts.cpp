// OpenDialogXML, the message boxes titled with the application title, and the frame dialog.
#include "app/gui/DialogPrompts.h"

#include "app/gui/MainForm.h"
#include "app/gui/Plantihoras.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace app {

// Qt's own dialog, not the desktop's: it returns a typed name that does not exist (as the form's
// open dialog does), and it looks and behaves the same everywhere.
std::optional<QString> DialogPrompts::openXmlFile(QWidget* parent, const QString& current) {
    QFileDialog dialog(parent, "Archivo XML", current.isEmpty() ? QString() : QFileInfo(current).absolutePath(),
                       "*.xml");
    dialog.setObjectName("OpenDialogXML");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix("xml");
    if (!current.isEmpty()) dialog.selectFile(current);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFileInfo(dialog.selectedFiles().first()).absoluteFilePath();
}

void DialogPrompts::message(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, kApplicationTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

void DialogPrompts::error(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, kApplicationTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

exportrun::FrameAnswer DialogPrompts::askFrames(QWidget* parent,
                                                const std::filesystem::path& document) {
    TPlantillas plantillas(document, *this, m_help, parent);
    plantillas.exec();
    return plantillas.answer();
}

}  // namespace app
