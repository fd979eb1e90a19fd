// File names in the exchange directory and the program folder. Horavia and Veltrana come from a
// file system that ignores letter case, so "SOLUC.DBF", "soluc.dbf" and "Soluc.Dbf" name the
// same table here too, whatever the file system underneath does.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace stores {

// The entry of `dir` whose name equals `name` ignoring ASCII letter case. An exact match wins;
// among other matches the first in byte order is taken. Nothing when there is none (or `dir`
// cannot be read).
std::optional<std::filesystem::path> findFileIgnoringCase(const std::filesystem::path& dir,
                                                          std::string_view name);

// Every entry of `dir` whose name equals `name` ignoring ASCII letter case, in byte order.
std::vector<std::filesystem::path> filesIgnoringCase(const std::filesystem::path& dir,
                                                     std::string_view name);

bool fileExistsIgnoringCase(const std::filesystem::path& dir, std::string_view name);

// Deletes every entry of `dir` whose name equals `name` ignoring case. A file that another
// opener of this program holds (see dbf::Table) is left in place, and a failed deletion is not
// reported: creating the table afterwards then fails with a clear error instead.
void deleteFileIgnoringCase(const std::filesystem::path& dir, std::string_view name);

// The folder of the running program file (reference table, Horavia.ini, help file).
std::filesystem::path programFolder();

// Where Horavia's C:\KTEMP is: $KTEMP when set; otherwise the KTEMP folder on Wine's drive C:
// ($WINEPREFIX, else ~/.wine, through dosdevices/c:). The folder is never created.
std::filesystem::path defaultExchangeDir();

}  // namespace stores
