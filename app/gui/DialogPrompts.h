// The program's Prompts: Qt's open dialog and message boxes, and the Plantihoras dialog.
#pragma once

#include "app/gui/HelpViewer.h"
#include "app/gui/Prompts.h"

namespace app {

class DialogPrompts : public Prompts {
public:
    explicit DialogPrompts(HelpViewer* help = nullptr) : m_help(help) {}

    std::optional<QString> openXmlFile(QWidget* parent, const QString& current) override;
    void message(QWidget* parent, const QString& text) override;
    void error(QWidget* parent, const QString& text) override;
    exportrun::FrameAnswer askFrames(QWidget* parent,
                                     const std::filesystem::path& document) override;

private:
    HelpViewer* m_help;
};

}  // namespace app
