#include "export/WholeNumber.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(WholeNumber, ReadsOnlyPlainDecimalNumbersOf32Bits) {
    struct Case { const char* text; std::optional<std::int32_t> value; };
    const Case cases[] = {
        {"3001", 3001},  {"007", 7},  {"+7", 7},  {"-15", -15},  {"0", 0},
        {"2147483647", 2147483647},  {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},  {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"", std::nullopt},  {"-", std::nullopt},  {"+", std::nullopt},  {"1A", std::nullopt},
        {" 1", std::nullopt},  {"1 ", std::nullopt},  {"1.0", std::nullopt},
        {"$1F", std::nullopt},  {"0x1F", std::nullopt},  {"0-5", std::nullopt},
        {"--5", std::nullopt},  {"\t5", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(exportrun::parseWholeNumber(c.text), c.value);
    }
}

}  // namespace
