// The command-line front end: one function per command word, over the same runs the window uses.
#pragma once

#include "stores/RunFrontEnd.h"

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace app::cli {

// Exit statuses.
inline constexpr int kExitFinished = 0;
inline constexpr int kExitStopped = 1;  // the run stopped with a message or failed
inline constexpr int kExitUsage = 2;

// A command line that cannot be run; the text says what is wrong (Spanish, UTF-8).
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Messages of a run: "Proceso finalizado" to stdout, every other message to stderr.
class ConsoleFrontEnd : public virtual stores::RunFrontEnd {
public:
    void showMessage(const std::string& text) override;
    void setBusy(bool) override {}
};

// --intercambio when given, else the default exchange directory.
std::filesystem::path exchangeDirFrom(const std::optional<std::string>& option);

// Takes the value of an option such as --intercambio DIR (or --intercambio=DIR) at args[i];
// advances i past it. Nothing when args[i] is not that option.
std::optional<std::string> optionValue(const std::vector<std::string>& args, std::size_t& i,
                                       const std::string& option);

// Keeps the value of an option that may be given once; a second one is a UsageError.
void setOnce(std::optional<std::string>& target, std::string value, const std::string& option);

// args: the words after the command word. Return the exit status; throw UsageError or
// stores::RunError.
int exportCommand(const std::vector<std::string>& args);
int importCommand(const std::vector<std::string>& args);

extern const char* const kExportUsage;  // the lines of --help that describe each command
extern const char* const kImportUsage;

}  // namespace app::cli
