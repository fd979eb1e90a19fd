// DuzezErozaraDiruzidu: the converter's window, stand-alone or inside a Horavia window.
#include "app/gui/Application.h"
#include "app/gui/CoreRuns.h"
#include "app/gui/DialogPrompts.h"
#include "app/gui/HelpViewer.h"
#include "app/gui/HostEmbedder.h"
#include "app/gui/MainForm.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <csignal>

int main(int argc, char** argv) {
    // Under a file-size limit, a write past it fails with its error instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    app::setUpApplication(application);
    application.setQuitOnLastWindowClosed(false);  // the window's close ends the program

    const QDir programFolder(QCoreApplication::applicationDirPath());
    app::XchmHelpViewer help(programFolder.filePath("VELTRANA.chm"));
    app::DialogPrompts prompts(&help);
    app::CoreRuns runs;
    auto host = app::makeX11HostEmbedder();  // outlives the window it may hold

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    app::TMForm form(arguments, {prompts, runs, help, host.get(),
                                 QFile::encodeName(programFolder.filePath("Horavia.ini")).toStdString(),
                                 [] { QCoreApplication::exit(0); }});
    // Shown from inside the event loop: a run started by the show can then end the program.
    QTimer::singleShot(0, &form, [&form] { form.show(); });
    return application.exec();
}
