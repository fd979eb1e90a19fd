// The test doubles of Scripted.h.
#include "support/Scripted.h"

#include "stores/RunError.h"

#include <QWidget>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace apptest {

std::optional<QString> ScriptedPrompts::openXmlFile(QWidget*, const QString& current) {
    dialogsOpened << current;
    if (files.empty()) return std::nullopt;
    const QString answer = files.front();
    files.pop_front();
    if (answer.isNull()) return std::nullopt;
    return answer;
}

void ScriptedPrompts::message(QWidget*, const QString& text) {
    messages << text;
    if (onMessage) onMessage(text);
}

void ScriptedPrompts::error(QWidget*, const QString& text) {
    errors << text;
}

exportrun::FrameAnswer ScriptedPrompts::askFrames(QWidget*, const std::filesystem::path& document) {
    framesAsked.push_back(document);
    if (frames.empty()) return {true, false, {}};
    auto answer = frames.front();
    frames.pop_front();
    return answer;
}

stores::RunOutcome ScriptedRuns::exportRun(const std::filesystem::path& document, exportrun::FrontEnd& frontEnd) {
    exports.push_back(document);
    if (whenStarted) whenStarted();
    return (onExport ? onExport : endsWith(stores::RunOutcome::Finished, "Proceso finalizado"))(document, frontEnd);
}

stores::RunOutcome ScriptedRuns::importRun(const std::filesystem::path& document, stores::RunFrontEnd& frontEnd) {
    imports.push_back(document);
    if (whenStarted) whenStarted();
    return (onImport ? onImport : endsWith(stores::RunOutcome::Finished, "Proceso finalizado"))(document, frontEnd);
}

ScriptedRuns::Script endsWith(stores::RunOutcome outcome, std::string message) {
    return [outcome, message](const std::filesystem::path&, stores::RunFrontEnd& frontEnd) {
        if (!message.empty()) frontEnd.showMessage(message);
        return outcome;
    };
}

ScriptedRuns::Script failsWith(std::string text) {
    return [text](const std::filesystem::path&, stores::RunFrontEnd& frontEnd) -> stores::RunOutcome {
        frontEnd.setBusy(true);
        throw stores::RunError(text);
    };
}

QString RecordingHelp::showContents() {
    calls << "contents";
    return problem;
}

QString RecordingHelp::showContext(int context) {
    calls << QString("context %1").arg(context);
    return problem;
}

QString FakeHost::embed(QWidget& window, std::uint32_t handle, std::function<void()> gone) {
    if (!problem.isEmpty()) return problem;
    embedded = handle;
    hostGone = std::move(gone);
    app::makeFrameless(window);
    return {};
}

FormKit::FormKit() : folder(makeTempFolder()), iniFile(folder / "Horavia.ini") {}

FormKit::~FormKit() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

app::FormServices FormKit::services() {
    return {prompts, runs, help, &host, iniFile, [this] { ++programEnds; }};
}

std::filesystem::path makeTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "apptest-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& file, const std::string& content) {
    std::ofstream(file, std::ios::binary) << content;
}

}  // namespace apptest
