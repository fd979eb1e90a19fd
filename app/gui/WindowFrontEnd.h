// What a run asks of the window: messages in message boxes, the hourglass cursor while it
// works, and the time-frame question in the Plantihoras dialog.
#pragma once

#include "app/gui/Prompts.h"
#include "export/ExportRun.h"

class QWidget;

namespace app {

class WindowFrontEnd : public exportrun::FrontEnd {
public:
    WindowFrontEnd(QWidget* window, Prompts& prompts) : m_window(window), m_prompts(prompts) {}
    ~WindowFrontEnd() override { endRun(); }
    WindowFrontEnd(const WindowFrontEnd&) = delete;
    WindowFrontEnd& operator=(const WindowFrontEnd&) = delete;

    void showMessage(const std::string& text) override;
    void setBusy(bool busy) override;
    exportrun::FrameAnswer askFrames(const std::filesystem::path& document) override;

    // Restores the default cursor however the run ended (a failure leaves it busy).
    void endRun() { setBusy(false); }
    bool busy() const { return m_busy; }

private:
    QWidget* m_window;
    Prompts& m_prompts;
    bool m_busy = false;
};

}  // namespace app
