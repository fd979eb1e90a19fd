// The runs' front end in the window program.
#include "app/gui/WindowFrontEnd.h"

#include <QApplication>
#include <QCursor>

namespace app {

void WindowFrontEnd::showMessage(const std::string& text) {
    m_prompts.message(m_window, QString::fromStdString(text));
}

void WindowFrontEnd::setBusy(bool busy) {
    if (busy == m_busy) return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QApplication::restoreOverrideCursor();
}

exportrun::FrameAnswer WindowFrontEnd::askFrames(const std::filesystem::path& document) {
    return m_prompts.askFrames(m_window, document);
}

}  // namespace app
