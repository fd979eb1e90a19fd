// The import run: Horavia's solved timetable (SOLUC) and the exchange tables become an XML
// document with every teacher's weekly timetable, beside the chosen school document.
#pragma once

#include "stores/RunFrontEnd.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace importrun {

inline constexpr std::string_view kResultPrefix = "ZuzezivedOvivizu";

struct ImportSettings {
    std::filesystem::path document;     // ArchivoXML
    std::filesystem::path exchangeDir;  // Horavia's C:\KTEMP
    // The result's "fecha": current date and time (UTF-8). Empty: currentDateTimeText().
    std::function<std::string()> dateTime;
};

struct ImportResult {
    stores::RunOutcome outcome = stores::RunOutcome::Stopped;
    std::filesystem::path resultFile;  // set when the outcome is Finished
};

// The document's folder, then "ZuzezivedOvivizu" and the document's file name.
std::filesystem::path resultPathFor(const std::filesystem::path& document);

// Short date, one blank, long time in the user's locale (LC_TIME); with no locale set,
// "dd/mm/yyyy hh:mm:ss".
std::string currentDateTimeText();

ImportResult runImport(const ImportSettings& settings, stores::RunFrontEnd& frontEnd);

}  // namespace importrun
