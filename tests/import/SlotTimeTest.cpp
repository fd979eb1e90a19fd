#include "import/SlotTime.h"

#include <gtest/gtest.h>

namespace {

TEST(SlotTime, ClockTextsBecomeMinutesFromMidnight) {
    struct Case { const char* time; std::optional<int> minutes; };
    const Case cases[] = {
        {"08:30", 510},
        {"8:30", 510},          // one "0" in front makes it 08:30
        {"14:05", 845},
        {"23:59", 1439},
        {"", 0},                // no slot matched
        {"7", 427},             // "07": the whole text is both the hours and the minutes
        {"08:30:15", 495},      // hours from the front, minutes from the back
        {"8:5", std::nullopt},  // 08:5 ends in ":5"
        {"ab:30", std::nullopt},
        {"08:3a", std::nullopt},
        {"-8:30", std::nullopt},
        {" 8:30", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time);
        EXPECT_EQ(importrun::minutesFromSlotTime(c.time), c.minutes);
    }
}

}  // namespace
