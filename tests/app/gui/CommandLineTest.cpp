// The host-mode command line: the handle's strict hexadecimal reading and the direction word.
#include "app/gui/CommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, HandleIsOneToEightHexadecimalDigitsWithoutMarker) {
    struct Case { const char* text; std::optional<std::uint32_t> handle; };
    const Case cases[] = {
        {"1A2B", 0x1A2B},
        {"1a2b", 0x1A2B},
        {"FFFFFFFF", 0xFFFFFFFFu},
        {"00000001", 1},
        {"0", 0},
        {"0x1A2B", std::nullopt},  // a marker of its own fails, as "$0x1A2B" does
        {"$1A2B", std::nullopt},
        {" 1A2B", std::nullopt},
        {"1A2B ", std::nullopt},
        {"xyz", std::nullopt},
        {"", std::nullopt},
        {"100000000", std::nullopt},  // nine digits do not fit
        {"-1", std::nullopt},
        {"+1", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(app::parseWindowHandle(c.text), c.handle);
    }
}

TEST(CommandLine, ConversionErrorNamesTheArgumentWithTheHexadecimalMarker) {
    EXPECT_EQ(app::handleConversionError("xyz"), "'$xyz' is not a valid integer value");
    EXPECT_EQ(app::handleConversionError("$1A2B"), "'$$1A2B' is not a valid integer value");
}

TEST(CommandLine, DirectionWordFoldsOnlyTheLettersAToZ) {
    using app::Direction;
    struct Case { const char* word; Direction direction; };
    const Case cases[] = {
        {"exportar", Direction::Export},
        {"EXPORTAR", Direction::Export},
        {"ImPorTar", Direction::Import},
        {"importar", Direction::Import},
        {" importar", Direction::None},  // not trimmed
        {"exportar ", Direction::None},
        {"abrir", Direction::None},
        {"", Direction::None},
        {"export", Direction::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(app::directionOf(c.word), c.direction);
    }
}

TEST(CommandLine, OnlyExactlyTwoArgumentsAskForHostMode) {
    EXPECT_FALSE(app::isHostCommandLine({}));
    EXPECT_FALSE(app::isHostCommandLine({"exportar"}));
    EXPECT_TRUE(app::isHostCommandLine({"exportar", "1A2B"}));
    EXPECT_TRUE(app::isHostCommandLine({"abrir", "xyz"}));
    EXPECT_FALSE(app::isHostCommandLine({"exportar", "1A2B", "otro"}));
}

}  // namespace
