// Codes made distinct by a numeric suffix. A step may add a shortened form of the result, or
// nothing at all, so the search remembers only which suffixes were found taken.
#include "export/UsedCodes.h"

#include "text/LetterCase.h"

#include <algorithm>

namespace exportrun {

std::string UsedCodes::key(std::string_view code) const {
    return m_letterCase == LetterCase::Ignored ? text::FoldCase(code) : std::string(code);
}

bool UsedCodes::contains(std::string_view code) const { return m_keys.contains(key(code)); }

void UsedCodes::add(std::string_view code) { m_keys.insert(key(code)); }

std::string UsedCodes::distinct(std::string_view code) {
    std::string base = key(code);
    if (!m_keys.contains(base)) return std::string(code);
    // Digits have no letter case, so the key of code + n is the key of code followed by n.
    auto& firstToTry = m_firstSuffixToTry[base];
    std::uint64_t suffix = std::max<std::uint64_t>(firstToTry, 1);
    while (m_keys.contains(base + std::to_string(suffix))) ++suffix;
    firstToTry = suffix;
    return std::string(code) + std::to_string(suffix);
}

}  // namespace exportrun
