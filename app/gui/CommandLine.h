// What the window reads from its command line: whether it runs inside a Horavia window, which
// window, and which run the direction word asks for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// Exactly two arguments (after the program name) ask for host mode.
bool isHostCommandLine(const std::vector<std::string>& arguments);

// The window handle of argument 2: 1 to 8 hexadecimal digits and nothing else (no "$", no "0x",
// no blanks). Nothing when the text does not convert.
std::optional<std::uint32_t> parseWindowHandle(std::string_view text);

// The conversion error shown for a handle that does not convert.
std::string handleConversionError(std::string_view argument);

enum class Direction { None, Export, Import };

// "exportar" or "importar" with any of the letters A-Z in upper case; the word is not trimmed.
Direction directionOf(std::string_view word);

}  // namespace app
