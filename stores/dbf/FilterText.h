// The one filter form the import run sets: FIELD= 'value', a quote inside the value doubled.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace stores::dbf {

struct FilterText {
    std::string field;
    std::string value;  // with the doubled quotes undone
};

// Nothing when the text does not have that form.
std::optional<FilterText> parseFilterText(std::string_view text);

}  // namespace stores::dbf
