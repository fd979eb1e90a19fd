// Conversion between UTF-8 (the XML library's text, the terminal's and the window's) and the
// 8-bit Windows code page 1252 in which the exchange tables and every conversion step work.
#pragma once

#include <string>
#include <string_view>

namespace text {

// ASCII and U+00A0..U+00FF keep their code; the 27 cp1252 characters of 0x80..0x9F map to
// their bytes; U+0081, U+008D, U+008F, U+0090 and U+009D map to the byte of the same value.
// Every other character, and every byte that is not valid UTF-8, becomes '?'.
std::string cp1252FromUtf8(std::string_view utf8);

// Every one of the 256 bytes has a character, so this never fails.
std::string utf8FromCp1252(std::string_view cp1252);

// Code pages that dBase tables of other programs may declare through their language driver.
enum class CodePage { Cp1252, Cp437, Cp850 };

// Re-encodes 8-bit text of another code page as cp1252 ('?' where cp1252 has no such character).
std::string cp1252FromCodePage(std::string_view bytes, CodePage from);

}  // namespace text
