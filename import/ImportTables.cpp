// Opening the import run's tables, with a message that tells the user what is missing.
#include "import/ImportTables.h"

#include "stores/Files.h"
#include "stores/RunError.h"
#include "stores/TableCatalogue.h"

#include <stdexcept>
#include <string>
#include <system_error>

namespace importrun {
namespace {

using stores::RunError;

// The window's components that the import run opens: every one but the reference table's.
std::vector<std::string_view> tablesInOpeningOrder() {
    std::vector<std::string_view> names;
    for (const auto& component : stores::tableComponents())
        if (component.table != stores::tables::NIVELEX) names.push_back(component.table);
    return names;
}

void requireTableFile(const std::filesystem::path& dir, std::string_view table) {
    const std::string file = std::string(table) + ".DBF";
    if (stores::fileExistsIgnoringCase(dir, file)) return;
    const std::string where = " en la carpeta de intercambio " + dir.string() + ".";
    if (table == stores::tables::SOLUC)
        throw RunError("No se encuentra " + file + where +
                       " Horavia todavía no ha resuelto el horario: resuélvalo en Horavia y "
                       "vuelva a importar.");
    throw RunError("No se encuentra " + file + where +
                   " Exporte primero el XML de VELTRANA y resuelva el horario en Horavia.");
}

}  // namespace

ImportTables ImportTables::open(const std::filesystem::path& exchangeDir) {
    std::error_code error;
    if (!std::filesystem::is_directory(exchangeDir, error))
        throw RunError("No existe la carpeta de intercambio " + exchangeDir.string() + ".");
    const auto names = tablesInOpeningOrder();
    std::vector<stores::dbf::Table> tables;
    tables.reserve(names.size());
    for (const auto name : names) {
        requireTableFile(exchangeDir, name);
        tables.push_back(stores::dbf::Table::open(exchangeDir, name, stores::dbf::OpenMode::Exclusive));
    }
    return ImportTables(names, std::move(tables));
}

stores::dbf::Table& ImportTables::table(std::string_view name) {
    for (std::size_t i = 0; i < m_names.size(); ++i)
        if (m_names[i] == name) return m_tables[i];
    throw std::logic_error("not an import table: " + std::string(name));
}

void ImportTables::close() {
    for (auto& table : m_tables) table.close();
}

}  // namespace importrun
