// Text to whole number as the course and time-slot values need it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace exportrun {

// An optional sign and decimal digits, nothing else (no blanks, no hexadecimal forms), within
// the range of a signed 32-bit number. Nothing for any other text, the empty one included.
std::optional<std::int32_t> parseWholeNumber(std::string_view text);

}  // namespace exportrun
