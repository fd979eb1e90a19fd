// The result document: the loaded school document emptied in place and rebuilt with Veltrana's
// groups, keeping every node outside the root (declaration, comments, processing instructions).
#pragma once

#include "stores/ExchangeDocument.h"
#include "stores/XmlDocument.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace importrun {

struct ResultHeader {
    std::string fecha;       // cp1252
    std::string schoolYear;  // cp1252, at most 4 characters
    std::int64_t teacherCount = 0;
};

// Removes the old root with every block in it, then appends SERVICIO with BLOQUE_DATOS, the
// school-year group and an empty HORARIOS_REGULARES group, which it returns.
stores::XmlNode rebuildDocument(stores::ExchangeDocument& document, const ResultHeader& header);

// A new grupo_datos with its seq, not yet placed.
stores::XmlNode newGroup(stores::XmlDocument& document, std::string_view seq);

// Appends <dato nombre_dato="name">value</dato> to `parent`.
void appendValue(stores::XmlDocument& document, stores::XmlNode parent, std::string_view name,
                 std::string_view value);

}  // namespace importrun
