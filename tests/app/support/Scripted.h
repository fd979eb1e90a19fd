// Test doubles for the window's seams: prompts answered from a script, runs whose outcome the
// test chooses, a help viewer and a host embedder that record what they were asked.
#pragma once

#include "app/gui/HelpViewer.h"
#include "app/gui/HostEmbedder.h"
#include "app/gui/MainForm.h"
#include "app/gui/Prompts.h"
#include "app/gui/Runs.h"

#include <QStringList>

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace apptest {

class ScriptedPrompts : public app::Prompts {
public:
    std::deque<QString> files;  // the open dialog's answers; a null text or none left: cancelled
    std::deque<exportrun::FrameAnswer> frames;
    QStringList dialogsOpened;                 // ArchivoXML at each open dialog
    QStringList messages;
    QStringList errors;
    std::vector<std::filesystem::path> framesAsked;
    std::function<void(const QString&)> onMessage;  // runs while a message is "shown"

    std::optional<QString> openXmlFile(QWidget* parent, const QString& current) override;
    void message(QWidget* parent, const QString& text) override;
    void error(QWidget* parent, const QString& text) override;
    exportrun::FrameAnswer askFrames(QWidget* parent, const std::filesystem::path& document) override;
};

class ScriptedRuns : public app::Runs {
public:
    using Script = std::function<stores::RunOutcome(const std::filesystem::path&, stores::RunFrontEnd&)>;
    Script onExport, onImport;  // unset: the run shows "Proceso finalizado" and finishes
    std::vector<std::filesystem::path> exports, imports;
    std::function<void()> whenStarted;  // called as a run starts

    stores::RunOutcome exportRun(const std::filesystem::path& document, exportrun::FrontEnd& frontEnd) override;
    stores::RunOutcome importRun(const std::filesystem::path& document, stores::RunFrontEnd& frontEnd) override;
};

// A run script: shows `message` (unless empty) and ends with `outcome`.
ScriptedRuns::Script endsWith(stores::RunOutcome outcome, std::string message = {});
// A run script that works (busy) and then fails with a RunError of `text`.
ScriptedRuns::Script failsWith(std::string text);

class RecordingHelp : public app::HelpViewer {
public:
    QStringList calls;
    QString problem;  // returned by every call
    QString showContents() override;
    QString showContext(int context) override;
};

class FakeHost : public app::HostEmbedder {
public:
    QString problem;  // returned by embed; empty: embedding succeeds
    std::optional<std::uint32_t> embedded;
    std::function<void()> hostGone;
    int shownCount = 0;
    QString embed(QWidget& window, std::uint32_t handle, std::function<void()> gone) override;
    void shown(QWidget&) override { ++shownCount; }
};

// Everything a TMForm needs, with the ini file in a temporary folder of the test's own.
struct FormKit {
    FormKit();
    ~FormKit();
    ScriptedPrompts prompts;
    ScriptedRuns runs;
    RecordingHelp help;
    FakeHost host;
    std::filesystem::path folder;
    std::filesystem::path iniFile;
    int programEnds = 0;
    app::FormServices services();
};

std::filesystem::path makeTempFolder();
std::string readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, const std::string& content);

}  // namespace apptest
