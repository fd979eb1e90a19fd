// Reading and writing the header of a dBase table: version byte, counts, lengths, language
// driver, field descriptors. Everything read here comes from files we do not trust.
#include "stores/dbf/Header.h"

#include "stores/RunError.h"

#include <array>
#include <cstdio>
#include <ctime>

namespace stores::dbf {
namespace {

constexpr int kShortHeader = 32;      // levels III, IV, 5 and FoxPro
constexpr int kLevel7Header = 68;
constexpr int kShortDescriptor = 32;
constexpr int kLevel7Descriptor = 48;
constexpr int kLevel7NameSize = 32;
constexpr char kLevel7DriverName[] = "DBWINWE0";  // code page 1252, Western Europe

enum class Family { DBase, Level7, FoxPro };

std::uint32_t le32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

int le16(std::string_view b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

void putLe16(std::string& b, std::size_t at, int value) {
    b[at] = static_cast<char>(value & 0xFF);
    b[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

std::string hexByte(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

// Version bytes seen in the wild: dBase III, IV and 5 (with and without memo, SQL tables),
// dBase level 7, and FoxBASE / FoxPro / Visual FoxPro.
bool familyOf(std::uint8_t version, Family& family) {
    switch (version) {
    case 0x03: case 0x83: case 0x8B: case 0x43: case 0x63: case 0xCB: case 0xE5:
        family = Family::DBase;
        return true;
    case 0x04: case 0x8C:
        family = Family::Level7;
        return true;
    case 0x30: case 0x31: case 0x32: case 0xF5: case 0xFB:
        family = Family::FoxPro;
        return true;
    default:
        return false;
    }
}

// Language driver IDs of the DOS code pages 437 and 850; every other ID (and 0) is taken as
// Windows 1252, the code page of the tables Horavia and this program write.
text::CodePage codePageOfDriver(std::uint8_t id) {
    switch (id) {
    case 0x01: case 0x09: case 0x0B: case 0x0D: case 0x0F: case 0x11: case 0x15: case 0x18:
    case 0x19: case 0x1B:
        return text::CodePage::Cp437;
    case 0x02: case 0x0A: case 0x0E: case 0x10: case 0x12: case 0x14: case 0x16: case 0x1A:
    case 0x1D: case 0x25: case 0x37:
        return text::CodePage::Cp850;
    default:
        return text::CodePage::Cp1252;
    }
}

// Level 7 names its driver ("DBWINWE0", "DB850ES0", "DB437US0") instead of using byte 29.
text::CodePage codePageOfDriverName(std::string_view name) {
    if (name.substr(0, 5) == "DB437") return text::CodePage::Cp437;
    if (name.substr(0, 5) == "DB850") return text::CodePage::Cp850;
    return text::CodePage::Cp1252;
}

std::string zeroTerminated(std::string_view bytes) {
    return std::string(bytes.substr(0, bytes.find('\0')));
}

[[noreturn]] void damaged(const std::filesystem::path& file, const std::string& detail) {
    throw RunError("El archivo " + file.string() + " no es una tabla dBase válida: " + detail +
                   ".");
}

std::string shownName(const std::string& name) { return text::utf8FromCp1252(name); }

std::string shownType(char type) {
    const auto code = static_cast<unsigned char>(type);
    return code > 0x20 && code < 0x7F ? std::string(1, type) : hexByte(code);
}

int requiredWidth(char type) {
    switch (type) {
    case 'I': case '+': return 4;
    case 'O': case 'B': case '@': case 'T': case 'Y': return 8;
    default: return 0;
    }
}

Field parseDescriptor(std::string_view d, Family family, std::size_t number,
                      const std::filesystem::path& file) {
    Field field;
    if (family == Family::Level7) {
        field.name = zeroTerminated(d.substr(0, kLevel7NameSize));
        field.type = d[32];
        field.width = static_cast<unsigned char>(d[33]);
        field.decimals = static_cast<unsigned char>(d[34]);
    } else {
        field.name = zeroTerminated(d.substr(0, 11));
        field.type = d[11];
        field.width = static_cast<unsigned char>(d[16]);
        field.decimals = static_cast<unsigned char>(d[17]);
    }
    while (!field.name.empty() && field.name.back() == ' ') field.name.pop_back();
    if (field.name.empty())
        damaged(file, "el campo número " + std::to_string(number) + " no tiene nombre");
    // FoxPro and Clipper keep the high byte of a long character width in the decimals byte.
    if (field.type == 'C' && field.decimals > 0) {
        field.width += 256 * field.decimals;
        field.decimals = 0;
    }
    if (field.width == 0) damaged(file, "el campo " + shownName(field.name) + " tiene ancho 0");
    const int required = requiredWidth(field.type);
    if (required != 0 && field.width != required)
        damaged(file, "el campo " + shownName(field.name) + " de tipo " +
                          shownType(field.type) + " tiene ancho " +
                          std::to_string(field.width) + " y debe tener " +
                          std::to_string(required));
    return field;
}

std::vector<Field> parseDescriptors(std::string_view bytes, Family family, int headerLength,
                                    const std::filesystem::path& file) {
    const std::size_t size = family == Family::Level7 ? kLevel7Descriptor : kShortDescriptor;
    std::size_t at = family == Family::Level7 ? kLevel7Header : kShortHeader;
    const auto end = static_cast<std::size_t>(headerLength);
    std::vector<Field> fields;
    while (true) {
        if (at >= end)
            damaged(file, "la lista de campos no termina con el byte 0x0D dentro de la "
                          "cabecera");
        if (bytes[at] == kFieldsEnd) break;
        if (at + size > end)
            damaged(file, "la cabecera (" + std::to_string(headerLength) +
                              " bytes) es más corta que su lista de campos");
        fields.push_back(parseDescriptor(bytes.substr(at, size), family, fields.size() + 1, file));
        at += size;
    }
    if (fields.empty()) damaged(file, "no tiene campos");
    return fields;
}

void placeFields(Header& header, const std::filesystem::path& file) {
    long long used = 1;  // the deletion flag
    for (auto& field : header.fields) {
        field.offset = static_cast<int>(used - 1);
        used += field.width;
    }
    if (used > header.recordLength)
        damaged(file, "sus campos ocupan " + std::to_string(used) +
                          " bytes por registro y el registro declarado solo tiene " +
                          std::to_string(header.recordLength));
    if (used != header.recordLength)
        damaged(file, "la longitud de registro (" + std::to_string(header.recordLength) +
                          ") no coincide con la de sus campos (" + std::to_string(used) + ")");
}

}  // namespace

Date today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

Header parseHeader(std::string_view bytes, const std::filesystem::path& file) {
    if (bytes.empty()) damaged(file, "está vacío");
    Header header;
    header.version = static_cast<std::uint8_t>(bytes[0]);
    Family family{};
    if (!familyOf(header.version, family))
        damaged(file, "versión desconocida (" + hexByte(header.version) + ")");
    const std::size_t minimum = family == Family::Level7 ? kLevel7Header : kShortHeader;
    if (bytes.size() < minimum)
        damaged(file, "la cabecera está incompleta (" + std::to_string(bytes.size()) +
                          " bytes)");
    header.binary = family == Family::Level7 ? BinaryNumbers::Level7 : BinaryNumbers::LittleEndian;
    header.declaredRecords = le32(bytes, 4);
    header.headerLength = le16(bytes, 8);
    header.recordLength = le16(bytes, 10);
    header.productionIndex = bytes[28] != 0;
    if (header.headerLength < static_cast<int>(minimum) + 1)
        damaged(file, "la longitud de cabecera (" + std::to_string(header.headerLength) +
                          ") es menor que la mínima");
    if (static_cast<std::size_t>(header.headerLength) > bytes.size())
        damaged(file, "la cabecera declara " + std::to_string(header.headerLength) +
                          " bytes y el archivo solo tiene " + std::to_string(bytes.size()));
    const auto driver = static_cast<std::uint8_t>(bytes[29]);
    header.codePage = driver == 0 && family == Family::Level7
                          ? codePageOfDriverName(zeroTerminated(bytes.substr(32, 32)))
                          : codePageOfDriver(driver);
    header.fields = parseDescriptors(bytes, family, header.headerLength, file);
    placeFields(header, file);
    return header;
}

std::vector<Field> storedFields(const TableDef& def) {
    const bool level7 = def.level == TableLevel::DBase7;
    std::vector<Field> fields;
    int offset = 0;
    for (const auto& f : def.fields) {
        Field field{f.name, 'C', f.width, 0, offset};
        switch (f.type) {
        case FieldType::Character: break;
        case FieldType::Logical: field.type = 'L'; field.width = 1; break;
        case FieldType::Integer:
            field.type = level7 ? 'I' : 'N';
            field.width = level7 ? 4 : kIntegerWidth;
            break;
        case FieldType::Float:
            field.type = level7 ? 'O' : 'N';
            field.width = level7 ? 8 : kFloatWidth;
            field.decimals = level7 ? 0 : kFloatDecimals;
            break;
        }
        offset += field.width;
        fields.push_back(field);
    }
    return fields;
}

std::string dateBytes(Date date) {
    return {static_cast<char>(date.year - 1900), static_cast<char>(date.month),
            static_cast<char>(date.day)};
}

std::string headerBytes(const TableDef& def, Date date) {
    const bool level7 = def.level == TableLevel::DBase7;
    const auto fields = storedFields(def);
    const int start = level7 ? kLevel7Header : kShortHeader;
    const int descriptor = level7 ? kLevel7Descriptor : kShortDescriptor;
    const int headerLength = start + descriptor * static_cast<int>(fields.size()) + 1;
    int recordLength = 1;
    for (const auto& field : fields) recordLength += field.width;

    std::string bytes(static_cast<std::size_t>(headerLength), '\0');
    bytes[0] = level7 ? 0x04 : 0x03;
    bytes.replace(1, 3, dateBytes(date));
    putLe16(bytes, 8, headerLength);
    putLe16(bytes, 10, recordLength);
    bytes[28] = def.indexes.empty() ? 0 : 1;
    // Level 7 names its language driver instead, as BDE writes it.
    bytes[29] = level7 ? 0 : static_cast<char>(kLanguageDriverWEurope);
    if (level7) bytes.replace(32, sizeof kLevel7DriverName - 1, kLevel7DriverName);

    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto at = static_cast<std::size_t>(start) + i * static_cast<std::size_t>(descriptor);
        const auto& field = fields[i];
        bool ownTag = false;
        for (const auto& index : def.indexes) ownTag = ownTag || index.fields == field.name;
        bytes.replace(at, field.name.size(), field.name);
        const std::size_t typeAt = level7 ? 32 : 11;
        const std::size_t widthAt = level7 ? 33 : 16;
        const std::size_t tagFlagAt = level7 ? 37 : 31;
        bytes[at + typeAt] = field.type;
        bytes[at + widthAt] = static_cast<char>(field.width);
        bytes[at + widthAt + 1] = static_cast<char>(field.decimals);
        bytes[at + tagFlagAt] = ownTag ? 1 : 0;
    }
    bytes.back() = kFieldsEnd;
    return bytes;
}

}  // namespace stores::dbf
