// The date and time of the result in the user's formats. Windows writes the short date with a
// four-digit year; glibc's short dates often have two (es_ES: %d/%m/%y), so the year is widened.
#include "import/DateTimeText.h"

#include "import/ImportRun.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <locale.h>
#include <optional>
#include <string_view>
#include <vector>

namespace importrun {
namespace {

constexpr const char* kPlainFormat = "%d/%m/%Y %H:%M:%S";

bool isPlainLocale(std::string_view name) {
    const auto base = name.substr(0, name.find_first_of(".@"));
    return base.empty() || base == "C" || base == "POSIX";
}

// "%y" becomes "%Y" and "%D" "%m/%d/%Y"; flags, widths and the E and O modifiers are kept.
std::string withFourDigitYear(std::string_view format) {
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        out += format[i];
        if (format[i] != '%' || i + 1 == format.size()) continue;
        std::size_t j = i + 1;
        while (j < format.size() && std::strchr("_-0^#0123456789EO", format[j]) != nullptr) ++j;
        if (j == format.size()) continue;
        out.append(format.substr(i + 1, j - i - 1));
        const char conversion = format[j];
        out += conversion == 'y' ? std::string("Y")
               : conversion == 'D' ? std::string("m/%d/%Y")
                                   : std::string(1, conversion);
        i = j;
    }
    return out;
}

// The UTF-8 variant of the locale first ("es_ES@euro" -> "es_ES.UTF-8@euro"), so that names
// such as the AM/PM marks come out in UTF-8; then the name as given.
std::vector<std::string> candidateNames(const std::string& name) {
    const auto modifier = name.find('@');
    const std::string base = name.substr(0, std::min(name.find('.'), modifier));
    const std::string suffix = modifier == std::string::npos ? "" : name.substr(modifier);
    return {base + ".UTF-8" + suffix, name};
}

std::string format(const std::tm& when, const char* pattern, locale_t locale) {
    char buffer[256];
    const std::size_t length = locale ? strftime_l(buffer, sizeof buffer, pattern, &when, locale)
                                      : std::strftime(buffer, sizeof buffer, pattern, &when);
    return std::string(buffer, length);
}

std::optional<std::string> formatInLocale(const std::tm& when, const std::string& name) {
    for (const auto& candidate : candidateNames(name)) {
        const locale_t locale = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, candidate.c_str(), nullptr);
        if (locale == nullptr) continue;
        const std::string pattern = withFourDigitYear(nl_langinfo_l(D_FMT, locale)) + " " +
                                    nl_langinfo_l(T_FMT, locale);
        std::string result = format(when, pattern.c_str(), locale);
        freelocale(locale);
        return result;
    }
    return std::nullopt;
}

}  // namespace

std::string timeLocaleFromEnvironment() {
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || *value == '\0') continue;
        return isPlainLocale(value) ? std::string() : std::string(value);
    }
    return {};
}

std::string formatDateTime(const std::tm& when, const std::string& localeName) {
    if (!isPlainLocale(localeName)) {
        if (auto text = formatInLocale(when, localeName)) return *text;
    }
    return format(when, kPlainFormat, nullptr);
}

std::string currentDateTimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return formatDateTime(local, timeLocaleFromEnvironment());
}

}  // namespace importrun
