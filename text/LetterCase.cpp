#include "text/LetterCase.h"

namespace text {

std::string UpperAscii(std::string_view s) {
    std::string upper(s);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

namespace {

unsigned char foldByte(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 'a' + 'A');
    switch (c) {
    case 0x9A: return 0x8A;  // š Š
    case 0x9C: return 0x8C;  // œ Œ
    case 0x9E: return 0x8E;  // ž Ž
    case 0xFF: return 0x9F;  // ÿ Ÿ
    default: break;
    }
    // à..þ map to À..Þ, except ÷ (0xF7), which is no letter.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
    return c;
}

}  // namespace

std::string FoldCase(std::string_view s) {
    std::string folded(s);
    for (char& c : folded) c = static_cast<char>(foldByte(static_cast<unsigned char>(c)));
    return folded;
}

}  // namespace text
