// Clock times of the slot table (HORADESDE, HORAHASTA) as the minutes from midnight that
// Veltrana expects in N_HORINI and N_HORFIN.
#pragma once

#include <optional>
#include <string_view>

namespace importrun {

// "08:30" gives 510. A text shorter than 5 characters gets one "0" in front first ("8:30" is
// read as "08:30", "" as "0"). The hours are the first two characters and the minutes the last
// two (the whole text when it has two or fewer). Nothing when either part is no decimal number,
// such as "8:5", whose minutes would be ":5".
std::optional<int> minutesFromSlotTime(std::string_view time);

}  // namespace importrun
