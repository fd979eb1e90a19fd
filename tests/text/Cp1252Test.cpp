#include "text/Cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (const int v : values) s += static_cast<char>(v);
    return s;
}

TEST(Cp1252, FromUtf8MapsLatin1AndTheWindowsRangeAndReplacesTheRest) {
    struct Case { const char* name; std::string utf8; std::string cp1252; };
    const Case cases[] = {
        {"ascii", "Lengua 1A", "Lengua 1A"},
        {"latin-1", "A\xC3\xB1o \xC3\xB1 \xC3\xA1 \xC3\x81", bytes({'A', 0xF1, 'o', ' ', 0xF1, ' ', 0xE1, ' ', 0xC1})},
        {"windows range", "\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\x93 \xE2\x80\xA6 \xC5\xBD",
         bytes({0x80, ' ', 0x93, 'q', 0x94, ' ', 0x96, ' ', 0x85, ' ', 0x8E})},
        {"undefined bytes keep their value", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D",
         bytes({0x81, 0x8D, 0x8F, 0x90, 0x9D})},
        {"not in cp1252", "\xC4\x81 \xE2\x88\x9E \xF0\x9F\x98\x80 \xC2\x80", "? ? ? ?"},
        {"malformed utf-8", "a\xFF" "b\xC3", "a?b?"},
        {"overlong and surrogate", "\xC0\xAF \xED\xA0\x80", "?? ???"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(text::cp1252FromUtf8(c.utf8), c.cp1252);
    }
}

TEST(Cp1252, EveryByteGoesToUtf8AndBackUnchanged) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = text::utf8FromCp1252(all);
    EXPECT_EQ(text::cp1252FromUtf8(utf8), all);
    EXPECT_EQ(text::utf8FromCp1252(bytes({0x80, 0xF1})), "\xE2\x82\xAC\xC3\xB1");
}

TEST(Cp1252, OtherDosCodePagesAreReencoded) {
    // cp437/cp850: 0xA4 is ñ, 0x82 is é, 0xB0 a shade block that cp1252 lacks.
    EXPECT_EQ(text::cp1252FromCodePage(bytes({'N', 0xA4, 0x82, 0xB0}), text::CodePage::Cp437),
              bytes({'N', 0xF1, 0xE9, '?'}));
    EXPECT_EQ(text::cp1252FromCodePage(bytes({0xB5, 0xA5}), text::CodePage::Cp850),
              bytes({0xC1, 0xD1}));  // Á Ñ
    EXPECT_EQ(text::cp1252FromCodePage(bytes({0x80, 0xE9}), text::CodePage::Cp1252),
              bytes({0x80, 0xE9}));
}

}  // namespace
