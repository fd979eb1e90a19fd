// The small text functions that every conversion step applies to the values it reads.
// Texts are 8-bit, one byte per character, in Windows code page 1252.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace text {

std::string RTrim(std::string_view s);
std::string LTrim(std::string_view s);
std::string AllTrim(std::string_view s);
std::string Left(std::string_view s, std::int32_t count);
std::string Right(std::string_view s, std::int32_t count);
std::string SoloMayusculas(std::string_view s);
std::string Iniciales(std::string_view s);

}  // namespace text
