// Numbers as dBase keeps them in text (N and F fields, and character fields read as numbers),
// and the texts the engine makes from numbers. Locale-independent: '.' is the separator.
#pragma once

#include <string>
#include <string_view>

namespace stores::dbf {

struct NumberText {
    enum class State { Blank, Valid, Invalid } state = State::Blank;
    std::string canonical;  // "-12.5", "7", "0": no padding, no trailing zeros, no "-0"
    double value = 0;
    bool finite = true;     // false when the digits are beyond a double's range
};

// True when every character is a decimal digit (also for the empty text).
bool allDigits(std::string_view s);

// Blanks (and NULs) around, a sign, '.' or ',' as separator, as writers leave it; all '*' is
// dBase's overflow marker and counts as blank. Exponent forms are taken too.
NumberText parseNumberText(std::string_view raw);

// `value` with exactly `decimals` digits after the point, never "-0.00".
std::string fixedText(double value, int decimals);

// The shortest text that reads back as `value` ("3.5", "4", "-0.25", "1000000000000").
std::string shortestText(double value);

}  // namespace stores::dbf
