// The host-mode command line: "<exportar|importar|other word> <window handle in hexadecimal>".
#include "app/gui/CommandLine.h"

namespace app {

bool isHostCommandLine(const std::vector<std::string>& arguments) {
    return arguments.size() == 2;
}

std::optional<std::uint32_t> parseWindowHandle(std::string_view text) {
    if (text.empty() || text.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::string handleConversionError(std::string_view argument) {
    // The handle is read with the hexadecimal marker "$" in front, and the error names that text.
    return "'$" + std::string(argument) + "' is not a valid integer value";
}

Direction directionOf(std::string_view word) {
    std::string lower(word);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (lower == "importar") return Direction::Import;
    if (lower == "exportar") return Direction::Export;
    return Direction::None;
}

}  // namespace app
