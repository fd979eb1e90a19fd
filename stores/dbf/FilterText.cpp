// Parses "FIELD= 'value'": blanks are allowed around the name, the '=' and the quoted value.
#include "stores/dbf/FilterText.h"

namespace stores::dbf {
namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

std::optional<FilterText> parseFilterText(std::string_view text) {
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    FilterText filter;
    filter.field = std::string(trimmed(text.substr(0, equals)));
    if (filter.field.empty() || filter.field.find('\'') != std::string::npos) return std::nullopt;
    std::string_view rest = trimmed(text.substr(equals + 1));
    if (rest.size() < 2 || rest.front() != '\'' || rest.back() != '\'') return std::nullopt;
    rest = rest.substr(1, rest.size() - 2);
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '\'') {
            if (i + 1 >= rest.size() || rest[i + 1] != '\'') return std::nullopt;
            ++i;
        }
        filter.value += rest[i];
    }
    return filter;
}

}  // namespace stores::dbf
