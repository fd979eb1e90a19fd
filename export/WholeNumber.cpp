#include "export/WholeNumber.h"

namespace exportrun {

std::optional<std::int32_t> parseWholeNumber(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > kLimit) return std::nullopt;
    }
    if (negative) value = -value;
    if (value >= kLimit) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace exportrun
