// Every modal question and message of the window goes through this interface, so that the runs'
// paths can be driven by a scripted answerer and the real dialogs stay in one place.
#pragma once

#include "export/ExportRun.h"

#include <QString>

#include <filesystem>
#include <optional>

class QWidget;

namespace app {

class Prompts {
public:
    virtual ~Prompts() = default;
    // The open dialog OpenDialogXML; `current` is ArchivoXML. Nothing when it was cancelled.
    virtual std::optional<QString> openXmlFile(QWidget* parent, const QString& current) = 0;
    // A message box titled with the application title.
    virtual void message(QWidget* parent, const QString& text) = 0;
    // The standard error box, with the error's own text.
    virtual void error(QWidget* parent, const QString& text) = 0;
    // The time-frame dialog over `document`, shown once; its closing check's answer.
    virtual exportrun::FrameAnswer askFrames(QWidget* parent,
                                             const std::filesystem::path& document) = 0;
};

}  // namespace app
