#include "text/Clipper.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>

namespace {

struct TrimCase {
    const char* in;
    const char* rtrim;
    const char* ltrim;
    const char* alltrim;
};

TEST(Clipper, TrimmingRemovesOnlySpaces) {
    const TrimCase cases[] = {
        {"", "", "", ""},
        {"   ", "", "", ""},
        {"  a b  ", "  a b", "a b  ", "a b"},
        {"\ta", "\ta", "\ta", "\ta"},              // a tab is not a blank
        {"a\xA0", "a\xA0", "a\xA0", "a\xA0"},      // nor is the no-break space of cp1252
        {" \t x \t ", " \t x \t", "\t x \t ", "\t x \t"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(text::RTrim(c.in), c.rtrim);
        EXPECT_EQ(text::LTrim(c.in), c.ltrim);
        EXPECT_EQ(text::AllTrim(c.in), c.alltrim);
    }
}

TEST(Clipper, LeftAndRightTakeWholeTextOrNothingAtTheLimits) {
    struct Case { const char* in; std::int32_t count; const char* left; const char* right; };
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    const Case cases[] = {
        {"abc", 5, "abc", "abc"},   {"abc", 3, "abc", "abc"},   {"abc", 2, "ab", "bc"},
        {"abc", 0, "", ""},         {"abc", -1, "", ""},        {"abcdef", 2, "ab", "ef"},
        {"abc", 7, "abc", "abc"},   {"", 3, "", ""},            {"abc", kMin, "", ""},
        {"abc", kMax, "abc", "abc"}, {"\xC1rbol", 1, "\xC1", "l"},  // one byte is one character
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.in) + " / " + std::to_string(c.count));
        EXPECT_EQ(text::Left(c.in, c.count), c.left);
        EXPECT_EQ(text::Right(c.in, c.count), c.right);
    }
}

TEST(Clipper, SoloMayusculasKeepsOnlyTheTwentySixCapitals) {
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        {"Lengua Castellana y Literatura", "LCL"},
        {"\xC1MBITO", "MBITO"},        // Á is not a capital here
        {"matem\xE1ticas", ""},
        {"\xD1U\xD1O", "UO"},          // nor is Ñ
        {"", ""},
        {"A1-B_Z", "ABZ"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(text::SoloMayusculas(c.in), c.out);
    }
}

TEST(Clipper, InicialesTakesTheCharacterAfterEachBlank) {
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        {"", ""},
        {"Juan P\xE9rez Garc\xED" "a", "PG"},     // the first character is never taken
        {"Lengua  extranjera", " e"},          // the second blank is itself taken
        {" abc", "a"},
        {"abc ", ""},                          // a trailing blank adds nothing
        {"a\tb c", "c"},                       // a tab is not a blank
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(text::Iniciales(c.in), c.out);
    }
}

}  // namespace
