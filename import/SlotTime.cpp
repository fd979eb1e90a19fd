// Converts the slot table's clock texts to minutes from midnight.
#include "import/SlotTime.h"

#include <string>

namespace importrun {
namespace {

// Only digits count: at most two of them reach here, so the value always fits.
std::optional<int> decimal(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::optional<int> minutesFromSlotTime(std::string_view time) {
    std::string padded(time);
    if (padded.size() < 5) padded.insert(0, 1, '0');
    const std::string_view whole(padded);
    const auto hours = decimal(whole.size() <= 2 ? whole : whole.substr(0, 2));
    const auto minutes = decimal(whole.size() <= 2 ? whole : whole.substr(whole.size() - 2));
    if (!hours || !minutes) return std::nullopt;
    return *hours * 60 + *minutes;
}

}  // namespace importrun
