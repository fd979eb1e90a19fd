// Application-wide settings of the window program.
#include "app/gui/Application.h"

#include "app/gui/MainForm.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace app {

void setUpApplication(QApplication& application) {
    QApplication::setApplicationName(kApplicationTitle);
    // The forms ask for Arial and MS Sans Serif; Liberation Sans has Arial's metrics, and
    // without this fontconfig would give MS Sans Serif the much wider DejaVu Sans.
    QFont::insertSubstitution("MS Sans Serif", "Liberation Sans");
    QFont::insertSubstitution("Arial", "Liberation Sans");
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    QApplication::setFont(font);

    auto* translator = new QTranslator(&application);
    if (translator->load(QLocale(QLocale::Spanish, QLocale::Spain), "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

}  // namespace app
