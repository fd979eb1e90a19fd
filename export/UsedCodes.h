// The lists of codes a step has already written, and the search that makes a new code distinct
// from them by appending 1, 2, 3 and onward.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace exportrun {

class UsedCodes {
public:
    enum class LetterCase { Counts, Ignored };

    explicit UsedCodes(LetterCase letterCase) : m_letterCase(letterCase) {}

    bool contains(std::string_view code) const;
    void add(std::string_view code);

    // `code` itself when the list does not hold it; otherwise `code` followed by the first of
    // 1, 2, 3 ... (decimal, no leading zeros) that gives a code the list does not hold.
    std::string distinct(std::string_view code);

private:
    std::string key(std::string_view code) const;

    LetterCase m_letterCase;
    std::unordered_set<std::string> m_keys;
    // For a code already searched: every suffix below this one gave a code in the list. The
    // list only grows during a step, so those suffixes never need trying again.
    std::unordered_map<std::string, std::uint64_t> m_firstSuffixToTry;
};

}  // namespace exportrun
