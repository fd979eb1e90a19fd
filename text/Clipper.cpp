// Only ' ' is a blank here: tabs and no-break spaces inside names must survive, because the
// codes built from names are compared byte for byte.
#include "text/Clipper.h"

namespace text {
namespace {
constexpr char kBlank = ' ';
}

std::string RTrim(std::string_view s) {
    while (!s.empty() && s.back() == kBlank) s.remove_suffix(1);
    return std::string(s);
}

std::string LTrim(std::string_view s) {
    while (!s.empty() && s.front() == kBlank) s.remove_prefix(1);
    return std::string(s);
}

std::string AllTrim(std::string_view s) { return LTrim(RTrim(s)); }

std::string Left(std::string_view s, std::int32_t count) {
    if (count <= 0) return {};
    if (static_cast<std::size_t>(count) >= s.size()) return std::string(s);
    return std::string(s.substr(0, static_cast<std::size_t>(count)));
}

std::string Right(std::string_view s, std::int32_t count) {
    if (count <= 0) return {};
    if (static_cast<std::size_t>(count) >= s.size()) return std::string(s);
    return std::string(s.substr(s.size() - static_cast<std::size_t>(count)));
}

std::string SoloMayusculas(std::string_view s) {
    std::string capitals;
    for (const char c : s)
        if (c >= 'A' && c <= 'Z') capitals += c;
    return capitals;
}

std::string Iniciales(std::string_view s) {
    std::string initials;
    for (std::size_t i = 0; i + 1 < s.size(); ++i)
        if (s[i] == kBlank) initials += s[i + 1];
    return initials;
}

}  // namespace text
