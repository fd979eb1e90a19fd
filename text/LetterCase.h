// Letter-case rules of the code-building steps, on cp1252 text.
#pragma once

#include <string>
#include <string_view>

namespace text {

// "a".."z" become "A".."Z"; every other byte, accented letters included, stays.
std::string UpperAscii(std::string_view s);

// Upper case of every cp1252 letter, accented ones included (á -> Á, ñ -> Ñ, š -> Š, ÿ -> Ÿ).
// Two texts that differ only in letter case give the same result: the key of the
// case-independent lists of the teacher, room and group steps.
std::string FoldCase(std::string_view s);

}  // namespace text
