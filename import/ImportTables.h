// The eight exchange tables that the import run holds open, exclusively, while it works.
#pragma once

#include "stores/dbf/Table.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace importrun {

class ImportTables {
public:
    // Opens SOLUC, GRUPOST, CURSOST, PROFT, AULAT, ASIGNOMT, DIASHORAST and ASIGT, in this
    // order, each exclusively. A missing folder or table is a RunError that says what to do
    // first: export the school document, or solve the timetable in Horavia (SOLUC).
    static ImportTables open(const std::filesystem::path& exchangeDir);

    // Closes them in the order they were opened. A table not closed here is closed when the
    // object goes.
    void close();

    // One of the eight, by its name (stores::tables::SOLUC ...).
    stores::dbf::Table& table(std::string_view name);

private:
    ImportTables(std::vector<std::string_view> names, std::vector<stores::dbf::Table> tables)
        : m_names(std::move(names)), m_tables(std::move(tables)) {}
    std::vector<std::string_view> m_names;
    std::vector<stores::dbf::Table> m_tables;
};

}  // namespace importrun
