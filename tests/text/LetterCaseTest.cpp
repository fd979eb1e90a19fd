#include "text/LetterCase.h"

#include <gtest/gtest.h>

namespace {

TEST(LetterCase, UpperAsciiChangesOnlyAToZ) {
    EXPECT_EQ(text::UpperAscii("M\xFAsica y m\xE1s 1a"), "M\xFASICA Y M\xE1S 1A");
    EXPECT_EQ(text::UpperAscii(""), "");
}

TEST(LetterCase, FoldCaseMakesAccentedLettersEqualToo) {
    struct Case { const char* a; const char* b; bool same; };
    const Case cases[] = {
        {"gla", "GLA", true},
        {"\xE1\xF1\xFC", "\xC1\xD1\xDC", true},   // áñü ÁÑÜ
        {"\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F", true},  // šœžÿ ŠŒŽŸ
        {"\xF7", "\xD7", false},                    // ÷ and × are not letters
        {"\xDF", "SS", false},
        {"a1", "a11", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(text::FoldCase(c.a) == text::FoldCase(c.b), c.same);
    }
}

}  // namespace
