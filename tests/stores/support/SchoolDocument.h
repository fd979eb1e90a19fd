// A school exchange document written from a few blocks, for the tests that run the batch tool or
// the export on a document of their own.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// One block of the document: its seq and its records, each a list of dato values (UTF-8).
struct Block {
    std::string seq;
    std::vector<std::vector<std::string>> records;
};

inline std::string xmlEscaped(const std::string& value) {
    std::string out;
    for (const char c : value) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

// <SERVICIO><BLOQUE_DATOS> with a school-year block (2026) and then `blocks`, in this order;
// values are escaped. `declaration` (none when empty) comes first, on a line of its own.
inline std::string schoolXml(const std::vector<Block>& blocks,
                             const std::string& declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>") {
    std::string xml = declaration + (declaration.empty() ? "" : "\n") +
                      "<SERVICIO>\n<BLOQUE_DATOS>\n"
                      "<grupo_datos seq=\"ANNO_ACADEMICO\"><dato>2026</dato></grupo_datos>\n";
    for (const auto& block : blocks) {
        xml += "<grupo_datos seq=\"" + block.seq + "\">\n";
        for (const auto& record : block.records) {
            xml += "<grupo_datos>";
            for (const auto& value : record) xml += "<dato>" + xmlEscaped(value) + "</dato>";
            xml += "</grupo_datos>\n";
        }
        xml += "</grupo_datos>\n";
    }
    return xml + "</BLOQUE_DATOS>\n</SERVICIO>\n";
}

}  // namespace testsupport
