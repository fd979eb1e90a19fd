// The result's "fecha": the current date and time as the user's regional settings write them.
#pragma once

#include <ctime>
#include <string>

namespace importrun {

// The locale that decides the formats of dates and times: the first of LC_ALL, LC_TIME and LANG
// that is set and not empty. Empty when there is none or it is C or POSIX (C.UTF-8 included).
std::string timeLocaleFromEnvironment();

// `when` as the locale's short date with a four-digit year, one blank, and its long time, in
// UTF-8 ("11/12/2025 10:40:00" in Spanish, "12/11/2025 10:40:00 AM" in US English). With an
// empty locale name, or one that is not installed: "dd/mm/yyyy hh:mm:ss".
std::string formatDateTime(const std::tm& when, const std::string& localeName);

}  // namespace importrun
