// The help viewer of Debian desktops that can open a CHM file at a context number: xchm.
#include "app/gui/HelpViewer.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace app {

QString XchmHelpViewer::showContents() {
    return launch({m_helpFile});
}

QString XchmHelpViewer::showContext(int context) {
    return launch({"-c", QString::number(context), m_helpFile});
}

QString XchmHelpViewer::launch(const QStringList& arguments) {
    if (!QFileInfo(m_helpFile).isFile())
        return QString("No se encuentra el archivo de ayuda %1. Vuelva a instalar "
                       "DuzezErozaraDiruzidu para recuperarlo.").arg(m_helpFile);
    const QString viewer = QStandardPaths::findExecutable("xchm");
    if (viewer.isEmpty())
        return "No hay ningún visor de ayuda instalado. Instale el visor xchm con la orden:\n"
               "sudo apt-get install xchm";
    if (!QProcess::startDetached(viewer, arguments))
        return QString("No se puede abrir el visor de ayuda %1.").arg(viewer);
    return {};
}

}  // namespace app
