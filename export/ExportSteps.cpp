// Small texts that several export steps build.
#include "export/ExportSteps.h"

#include "text/Clipper.h"
#include "text/Cp1252.h"

namespace exportrun {

std::string valueInRecord(std::string_view value, std::size_t index, std::string_view block) {
    return "«" + text::utf8FromCp1252(value) + "» del registro " + std::to_string(index + 1) +
           " de " + std::string(block);
}

std::string firstCharacter(std::string_view value) { return text::Left(value, 1); }

std::string shortenedCode(const std::string& code) {
    if (code.size() <= 10) return code;
    // Keep the last two characters: the counter that made the code distinct is there.
    return text::Left(code, 8) + text::Right(code, 2);
}

}  // namespace exportrun
