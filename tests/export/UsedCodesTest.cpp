#include "export/UsedCodes.h"
#include "text/LetterCase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using exportrun::UsedCodes;

// The search as it reads when done by hand: walk the whole list for every candidate.
std::string linearDistinct(const std::vector<std::string>& list, const std::string& code,
                           bool ignoreCase) {
    const auto holds = [&](const std::string& candidate) {
        for (const auto& used : list)
            if (ignoreCase ? text::FoldCase(used) == text::FoldCase(candidate) : used == candidate)
                return true;
        return false;
    };
    if (!holds(code)) return code;
    for (int n = 1;; ++n)
        if (!holds(code + std::to_string(n))) return code + std::to_string(n);
}

std::string cutTo10(const std::string& code) {
    return code.size() > 10 ? code.substr(0, 8) + code.substr(code.size() - 2) : code;
}

TEST(UsedCodes, SuffixesAreAppendedAsDecimalNumbersUntilFree) {
    UsedCodes codes(UsedCodes::LetterCase::Counts);
    struct Step { const char* code; const char* result; };
    const Step steps[] = {
        {"A1", "A1"},   {"A1", "A11"},  {"A11", "A111"},  // the suffix is appended directly
        {"A1", "A12"},  {"Ef", "Ef"},   {"EF", "EF"},     // letter case counts
        {"", ""},       {"", "1"},      {"", "2"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.code);
        const auto result = codes.distinct(step.code);
        EXPECT_EQ(result, step.result);
        codes.add(result);
    }
}

TEST(UsedCodes, IgnoringCaseFoldsAccentedLettersToo) {
    UsedCodes codes(UsedCodes::LetterCase::Ignored);
    codes.add("GLA");
    codes.add("\xC1\xCD\xD3");  // ÁÍÓ in cp1252
    EXPECT_TRUE(codes.contains("gla"));
    EXPECT_EQ(codes.distinct("gla"), "gla1");
    EXPECT_EQ(codes.distinct("\xE1\xED\xF3"), "\xE1\xED\xF3" "1");  // áíó after ÁÍÓ
    EXPECT_FALSE(codes.contains("GLA1"));
}

// Many colliding codes, some added cut to 10 characters (as the subject, teacher and group
// steps do) and some not added at all: the remembered suffixes must never skip a free one.
TEST(UsedCodes, GivesTheSameResultsAsTheSearchOverTheWholeList) {
    for (const bool ignoreCase : {false, true}) {
        SCOPED_TRACE(ignoreCase ? "ignoring case" : "case counts");
        UsedCodes codes(ignoreCase ? UsedCodes::LetterCase::Ignored : UsedCodes::LetterCase::Counts);
        std::vector<std::string> list;
        const std::vector<std::string> bases = {"GLA", "gla", "TECNOLOGIA", "ABCDEFGHI", "A1",
                                                "A11", "", "1", "ABCDEFGH"};
        for (int round = 0; round < 400; ++round) {
            const std::string& base = bases[(round * 7 + round / 3) % bases.size()];
            const auto expected = linearDistinct(list, base, ignoreCase);
            ASSERT_EQ(codes.distinct(base), expected) << "round " << round << ", code " << base;
            if (round % 5 == 4) continue;  // a record passed over adds nothing
            const auto added = round % 2 ? cutTo10(expected) : expected;
            codes.add(added);
            list.push_back(added);
        }
    }
}

}  // namespace
