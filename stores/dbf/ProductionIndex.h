// The dBase IV production index (.MDX) of a new, empty table: one tag per index definition.
#pragma once

#include "stores/dbf/Header.h"

#include <string>

namespace stores::dbf {

// `def` has been checked: level 4, one existing field per index, tag names valid. The bytes
// form a whole index file whose tags hold no key, as the empty table needs.
std::string productionIndexBytes(const TableDef& def, Date date);

}  // namespace stores::dbf
