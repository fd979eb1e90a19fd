// The table file's header: what the engine reads from the files of any dBase or FoxPro writer,
// and what it writes for its own tables. Only the table engine includes this.
#pragma once

#include "stores/dbf/Table.h"
#include "text/Cp1252.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace stores::dbf {

// How the binary number types (I, +, O, B) are stored: dBase level 7 keeps byte order equal to
// numeric order, FoxPro stores plain little-endian values.
enum class BinaryNumbers { Level7, LittleEndian };

struct Field {
    std::string name;
    char type = 'C';
    int width = 0;
    int decimals = 0;
    int offset = 0;  // from the start of the record, after the deletion flag
};

struct Header {
    std::uint8_t version = 0x03;
    BinaryNumbers binary = BinaryNumbers::LittleEndian;
    std::uint32_t declaredRecords = 0;
    int headerLength = 0;
    int recordLength = 0;
    bool productionIndex = false;
    text::CodePage codePage = text::CodePage::Cp1252;
    std::vector<Field> fields;
};

struct Date {
    int year = 0;   // four digits
    int month = 0;  // 1..12
    int day = 0;
};

Date today();

// Throws RunError naming `file` when `bytes` (the whole file) do not start with a usable
// dBase header, or when the fields it declares do not fit its records.
Header parseHeader(std::string_view bytes, const std::filesystem::path& file);

// The stored fields of a new table, with the widths and type letters of its level.
std::vector<Field> storedFields(const TableDef& def);

// The header of a new table, descriptors and terminator included. The definition has been
// checked before.
std::string headerBytes(const TableDef& def, Date date);

// Bytes 1..3 of the header: the date of the last update.
std::string dateBytes(Date date);

inline constexpr char kEndOfFile = 0x1A;
inline constexpr char kFieldsEnd = 0x0D;
inline constexpr char kLiveRecord = ' ';
inline constexpr char kDeletedRecord = '*';
inline constexpr std::uint8_t kLanguageDriverWEurope = 0x58;

// Offsets and widths of the numeric definitions as written.
inline constexpr int kIntegerWidth = 11;  // N(11,0), level 4
inline constexpr int kFloatWidth = 20;    // N(20,4), level 4
inline constexpr int kFloatDecimals = 4;

}  // namespace stores::dbf
