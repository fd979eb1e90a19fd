// Shows the time-frame dialog over a document, with the first two frames chosen as by
// Ctrl-click, for screenshots (scripts/screenshots.sh). Usage: plantihoras_preview DOCUMENT.xml
#include "app/gui/Application.h"
#include "app/gui/DialogPrompts.h"
#include "app/gui/Plantihoras.h"

#include <QApplication>
#include <QListWidget>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    app::setUpApplication(application);
    if (argc != 2) {
        std::fprintf(stderr, "Uso: plantihoras_preview DOCUMENTO.xml\n");
        return 2;
    }
    app::DialogPrompts prompts;
    app::TPlantillas dialog(argv[1], prompts, nullptr);
    QTimer::singleShot(0, &dialog, [&dialog] {
        auto* frames = dialog.findChild<QListWidget*>("ListBox2");
        if (frames->count() < 2) return;
        frames->item(0)->setSelected(true);
        frames->item(1)->setSelected(true);
        frames->setCurrentRow(1, QItemSelectionModel::NoUpdate);
    });
    dialog.exec();
    return 0;
}
