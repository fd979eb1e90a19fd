// Parsing and writing the decimal text of dBase numeric fields.
#include "stores/dbf/NumberText.h"

#include <charconv>
#include <cmath>

namespace stores::dbf {

bool allDigits(std::string_view s) {
    for (const char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\0')) s.remove_prefix(1);
    return s;
}

// Digits with an optional separator, the sign already taken off. Built as text, so a key of
// many digits keeps them all.
NumberText parseDecimal(std::string_view body, bool negative) {
    const auto separator = body.find_first_of(".,");
    std::string_view whole = body.substr(0, separator);
    std::string_view fraction =
        separator == std::string_view::npos ? std::string_view() : body.substr(separator + 1);
    if (!allDigits(whole) || !allDigits(fraction) || whole.size() + fraction.size() == 0)
        return {NumberText::State::Invalid, {}, 0, true};
    while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
    NumberText number;
    number.state = NumberText::State::Valid;
    number.canonical = whole.empty() ? "0" : std::string(whole);
    if (!fraction.empty()) number.canonical += "." + std::string(fraction);
    if (negative && number.canonical != "0") number.canonical.insert(0, "-");
    const auto* first = number.canonical.data();
    const auto result = std::from_chars(first, first + number.canonical.size(), number.value);
    number.finite = result.ec == std::errc();
    return number;
}

}  // namespace

NumberText parseNumberText(std::string_view raw) {
    const std::string_view text = trimmed(raw);
    if (text.empty() || text.find_first_not_of('*') == std::string_view::npos) return {};
    std::string_view body = text;
    const bool negative = body.front() == '-';
    if (body.front() == '-' || body.front() == '+') body.remove_prefix(1);
    NumberText number = parseDecimal(body, negative);
    if (number.state == NumberText::State::Valid) return number;
    double value = 0;
    const auto* first = text.data() + (text.front() == '+' ? 1 : 0);
    const auto result = std::from_chars(first, text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !std::isfinite(value))
        return {NumberText::State::Invalid, {}, 0, true};
    return {NumberText::State::Valid, shortestText(value), value, true};
}

std::string fixedText(double value, int decimals) {
    char buffer[1100];  // 309 digits, a sign, a point and up to 255 decimals
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::fixed, decimals);
    std::string text(buffer, result.ptr);
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    return text;
}

std::string shortestText(double value) {
    char buffer[64];
    // Plain digits in the range people write them; exponents only for very large or small values.
    const double size = std::fabs(value);
    const bool plain = size == 0 || (size >= 1e-5 && size < 1e15);
    const auto result = plain ? std::to_chars(buffer, buffer + sizeof buffer, value,
                                              std::chars_format::fixed)
                              : std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    return text == "-0" ? "0" : text;
}

}  // namespace stores::dbf
