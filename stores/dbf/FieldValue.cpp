// Conversions between a field's stored bytes and the values the steps read and write: dBase
// numeric text, the binary numbers of level 7 and FoxPro, logicals, dates and code-page text.
#include "stores/dbf/FieldValue.h"

#include "stores/dbf/NumberText.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace stores::dbf {
namespace {

constexpr std::uint32_t kIntegerSignFlip = 0x80000000u;
constexpr std::uint64_t kDoubleSign = 0x8000000000000000ull;

std::string_view trimTrailing(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
    return s;
}

std::string_view trimBoth(std::string_view s) {
    s = trimTrailing(s);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\0')) s.remove_prefix(1);
    return s;
}

// What a type letter stores.
enum class Kind { Text, Numeric, Logical, Date, Integer32, Double, Currency, Nothing };

Kind kindOf(const Field& field) {
    switch (field.type) {
    case 'C': return Kind::Text;
    case 'N': case 'F': return Kind::Numeric;
    case 'L': return Kind::Logical;
    case 'D': return Kind::Date;
    case 'I': case '+': return Kind::Integer32;
    case 'O': return Kind::Double;
    case 'B': return field.width == 8 ? Kind::Double : Kind::Nothing;  // dBase 5: binary memo
    case 'Y': return Kind::Currency;
    case 'M': case 'G': case 'P': case '@': case 'T': case '0': case 'Q': case 'W':
        return Kind::Nothing;  // memos, timestamps, FoxPro system bytes: not needed, not read
    default: return Kind::Text;
    }
}

Read<std::int32_t> wholeFromDouble(double value) {
    if (!std::isfinite(value)) return {0, Problem::OutOfRange};
    if (std::trunc(value) != value) return {0, Problem::NotWhole};
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        return {0, Problem::OutOfRange};
    return {static_cast<std::int32_t>(value), Problem::None};
}

Read<std::int32_t> wholeFromNumber(const NumberText& number) {
    if (number.state == NumberText::State::Blank) return {};
    if (number.state == NumberText::State::Invalid) return {0, Problem::NotANumber};
    if (number.canonical.find('.') != std::string::npos) return {0, Problem::NotWhole};
    if (number.canonical.find('e') != std::string::npos) return wholeFromDouble(number.value);
    std::int32_t value = 0;
    const auto* first = number.canonical.data();
    const auto result = std::from_chars(first, first + number.canonical.size(), value);
    if (result.ec != std::errc()) return {0, Problem::OutOfRange};
    return {value, Problem::None};
}

std::uint64_t bigEndian(std::string_view raw) {
    std::uint64_t value = 0;
    for (const char c : raw) value = value << 8 | static_cast<unsigned char>(c);
    return value;
}

std::uint64_t littleEndian(std::string_view raw) {
    std::uint64_t value = 0;
    for (auto i = raw.size(); i-- > 0;) value = value << 8 | static_cast<unsigned char>(raw[i]);
    return value;
}

void putBigEndian(std::uint64_t value, int width, char* slot) {
    for (int i = width - 1; i >= 0; --i, value >>= 8) slot[i] = static_cast<char>(value & 0xFF);
}

void putLittleEndian(std::uint64_t value, int width, char* slot) {
    for (int i = 0; i < width; ++i, value >>= 8) slot[i] = static_cast<char>(value & 0xFF);
}

bool allZero(std::string_view raw) { return raw.find_first_not_of('\0') == std::string_view::npos; }

// Nothing when the field is null (level 7 keeps all-zero bytes for null).
std::optional<double> binaryValue(const Field& field, Storage storage, std::string_view raw) {
    const bool level7 = storage.binary == BinaryNumbers::Level7;
    switch (kindOf(field)) {
    case Kind::Integer32:
        if (level7) {
            if (allZero(raw)) return std::nullopt;
            return static_cast<std::int32_t>(
                static_cast<std::uint32_t>(bigEndian(raw)) ^ kIntegerSignFlip);
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(littleEndian(raw)));
    case Kind::Double: {
        if (!level7) return std::bit_cast<double>(littleEndian(raw));
        if (allZero(raw)) return std::nullopt;
        const std::uint64_t bits = bigEndian(raw);
        return std::bit_cast<double>(bits & kDoubleSign ? bits & ~kDoubleSign : ~bits);
    }
    case Kind::Currency:
        return static_cast<double>(static_cast<std::int64_t>(littleEndian(raw))) / 10000.0;
    default:
        return std::nullopt;
    }
}

void putInteger32(std::int32_t value, Storage storage, char* slot) {
    const auto bits = static_cast<std::uint32_t>(value);
    if (storage.binary == BinaryNumbers::Level7)
        putBigEndian(bits ^ kIntegerSignFlip, 4, slot);
    else
        putLittleEndian(bits, 4, slot);
}

void putDouble(double value, Storage storage, char* slot) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    if (storage.binary == BinaryNumbers::Level7)
        putBigEndian(value >= 0 ? bits | kDoubleSign : ~bits, 8, slot);
    else
        putLittleEndian(bits, 8, slot);
}

const std::array<char, 256>& cp1252To(text::CodePage codePage) {
    static const auto build = [](text::CodePage page) {
        std::array<char, 256> table{};
        table.fill('?');
        for (int b = 255; b >= 0; --b) {
            const std::string mapped =
                text::cp1252FromCodePage(std::string(1, static_cast<char>(b)), page);
            if (mapped[0] != '?' || b == '?')
                table[static_cast<unsigned char>(mapped[0])] = static_cast<char>(b);
        }
        return table;
    };
    static const auto to437 = build(text::CodePage::Cp437);
    static const auto to850 = build(text::CodePage::Cp850);
    return codePage == text::CodePage::Cp437 ? to437 : to850;
}

std::string toCodePage(std::string_view cp1252, text::CodePage codePage) {
    std::string out(cp1252);
    if (codePage == text::CodePage::Cp1252) return out;
    const auto& table = cp1252To(codePage);
    for (char& c : out) c = table[static_cast<unsigned char>(c)];
    return out;
}

Problem putText(std::string_view value, const Field& field, char* slot, bool mayCut) {
    const auto width = static_cast<std::size_t>(field.width);
    if (value.size() > width && !mayCut) return Problem::TooWide;
    const std::size_t used = std::min(value.size(), width);
    std::memcpy(slot, value.data(), used);
    std::memset(slot + used, ' ', width - used);
    return Problem::None;
}

Problem putRightAligned(const std::string& digits, const Field& field, char* slot) {
    const auto width = static_cast<std::size_t>(field.width);
    if (digits.size() > width) return Problem::TooWide;
    std::memset(slot, ' ', width - digits.size());
    std::memcpy(slot + width - digits.size(), digits.data(), digits.size());
    return Problem::None;
}

std::string dateText(std::string_view raw) {
    const std::string_view text = trimBoth(raw);
    if (text.empty() || text == "00000000") return "";
    if (text.size() != 8 || !allDigits(text)) return std::string(text);
    return std::string(text.substr(6, 2)) + "/" + std::string(text.substr(4, 2)) + "/" +
           std::string(text.substr(0, 4));
}

Problem putDate(std::string_view value, const Field& field, char* slot) {
    if (value.empty()) return putText("", field, slot, false);
    if (value.size() == 10 && value[2] == '/' && value[5] == '/') {
        const std::string digits = std::string(value.substr(6, 4)) +
                                   std::string(value.substr(3, 2)) +
                                   std::string(value.substr(0, 2));
        if (allDigits(digits)) return putText(digits, field, slot, false);
    }
    return Problem::NotADate;
}

Problem putNumber(const NumberText& number, const Field& field, Storage storage, char* slot) {
    if (number.state == NumberText::State::Blank) {
        writeBlank(field, slot);
        return Problem::None;
    }
    if (number.state == NumberText::State::Invalid) return Problem::NotANumber;
    if (!number.finite) return Problem::OutOfRange;
    switch (kindOf(field)) {
    case Kind::Numeric:
        if (field.decimals == 0 && number.canonical.find_first_of(".e") == std::string::npos)
            return putRightAligned(number.canonical, field, slot);
        return putRightAligned(fixedText(number.value, field.decimals), field, slot);
    case Kind::Integer32: {
        const auto whole = wholeFromNumber(number);
        if (whole.problem == Problem::None) putInteger32(whole.value, storage, slot);
        return whole.problem;
    }
    case Kind::Double:
        putDouble(number.value, storage, slot);
        return Problem::None;
    default:
        return Problem::WrongType;
    }
}

}  // namespace

std::string readText(const Field& field, Storage storage, std::string_view raw) {
    switch (kindOf(field)) {
    case Kind::Text:
        return text::cp1252FromCodePage(trimTrailing(raw), storage.codePage);
    case Kind::Numeric: {
        const NumberText number = parseNumberText(raw);
        if (number.state == NumberText::State::Invalid)
            return text::cp1252FromCodePage(trimBoth(raw), storage.codePage);
        return number.canonical;
    }
    case Kind::Logical: {
        const char c = raw.empty() ? ' ' : raw[0];
        if (c == 'T' || c == 't' || c == 'Y' || c == 'y') return "True";
        if (c == 'F' || c == 'f' || c == 'N' || c == 'n') return "False";
        return "";
    }
    case Kind::Date:
        return dateText(raw);
    case Kind::Integer32: case Kind::Double: case Kind::Currency: {
        const auto value = binaryValue(field, storage, raw);
        return value ? shortestText(*value) : "";
    }
    case Kind::Nothing:
        return "";
    }
    return "";
}

std::optional<double> numericValue(const Field& field, Storage storage, std::string_view raw) {
    switch (kindOf(field)) {
    case Kind::Numeric: {
        const NumberText number = parseNumberText(raw);
        if (number.state != NumberText::State::Valid || !number.finite) return std::nullopt;
        return number.value;
    }
    case Kind::Integer32: case Kind::Double: case Kind::Currency:
        return binaryValue(field, storage, raw);
    default:
        return std::nullopt;
    }
}

bool textEquals(const Field& field, Storage storage, std::string_view raw, std::string_view value) {
    if (field.type == 'C' && storage.codePage == text::CodePage::Cp1252)
        return trimTrailing(raw) == value;
    return readText(field, storage, raw) == value;
}

Read<std::int32_t> readInteger(const Field& field, Storage storage, std::string_view raw) {
    switch (kindOf(field)) {
    case Kind::Text: case Kind::Numeric:
        return wholeFromNumber(parseNumberText(raw));
    case Kind::Integer32: case Kind::Double: case Kind::Currency: {
        const auto value = binaryValue(field, storage, raw);
        return value ? wholeFromDouble(*value) : Read<std::int32_t>{};
    }
    default:
        return {0, Problem::WrongType};
    }
}

Read<double> readNumber(const Field& field, Storage storage, std::string_view raw) {
    switch (kindOf(field)) {
    case Kind::Text: case Kind::Numeric: {
        const NumberText number = parseNumberText(raw);
        if (number.state == NumberText::State::Invalid) return {0, Problem::NotANumber};
        if (!number.finite) return {0, Problem::OutOfRange};
        return {number.value, Problem::None};
    }
    case Kind::Integer32: case Kind::Double: case Kind::Currency:
        return {binaryValue(field, storage, raw).value_or(0.0), Problem::None};
    default:
        return {0, Problem::WrongType};
    }
}

Read<bool> readLogical(const Field& field, Storage storage, std::string_view raw) {
    switch (kindOf(field)) {
    case Kind::Logical:
        return {readText(field, storage, raw) == "True", Problem::None};
    case Kind::Text: {
        const std::string_view text = trimTrailing(raw);
        const char c = text.empty() ? ' ' : text[0];
        return {c == 'T' || c == 't' || c == 'Y' || c == 'y', Problem::None};
    }
    default:
        return {false, Problem::WrongType};
    }
}

Problem writeText(const Field& field, Storage storage, std::string_view value, char* slot) {
    switch (kindOf(field)) {
    case Kind::Text:
        return putText(toCodePage(value, storage.codePage), field, slot, true);
    case Kind::Numeric: case Kind::Integer32: case Kind::Double:
        return putNumber(parseNumberText(value), field, storage, slot);
    case Kind::Logical: {
        const char c = value.empty() ? ' ' : value[0];
        if (c == ' ') *slot = ' ';
        else if (c == 'T' || c == 't' || c == 'Y' || c == 'y') *slot = 'T';
        else if (c == 'F' || c == 'f' || c == 'N' || c == 'n') *slot = 'F';
        else return Problem::NotLogical;
        return Problem::None;
    }
    case Kind::Date:
        return putDate(value, field, slot);
    default:
        return Problem::WrongType;
    }
}

Problem writeInteger(const Field& field, Storage storage, std::int32_t value, char* slot) {
    switch (kindOf(field)) {
    case Kind::Text:
        return putText(std::to_string(value), field, slot, false);
    case Kind::Numeric:
        return putRightAligned(field.decimals == 0 ? std::to_string(value)
                                                   : fixedText(value, field.decimals),
                               field, slot);
    case Kind::Integer32:
        putInteger32(value, storage, slot);
        return Problem::None;
    case Kind::Double:
        putDouble(value, storage, slot);
        return Problem::None;
    default:
        return Problem::WrongType;
    }
}

Problem writeFloat(const Field& field, Storage storage, double value, char* slot) {
    if (!std::isfinite(value)) return Problem::NotANumber;
    switch (kindOf(field)) {
    case Kind::Text:
        return putText(shortestText(value), field, slot, false);
    case Kind::Numeric:
        return putRightAligned(fixedText(value, field.decimals), field, slot);
    case Kind::Integer32: {
        const auto whole = wholeFromDouble(value);
        if (whole.problem == Problem::None) putInteger32(whole.value, storage, slot);
        return whole.problem;
    }
    case Kind::Double:
        putDouble(value, storage, slot);
        return Problem::None;
    default:
        return Problem::WrongType;
    }
}

Problem writeLogical(const Field& field, Storage, bool value, char* slot) {
    switch (kindOf(field)) {
    case Kind::Logical:
        *slot = value ? 'T' : 'F';
        return Problem::None;
    case Kind::Text:
        return putText(value ? "T" : "F", field, slot, false);
    default:
        return Problem::WrongType;
    }
}

void writeBlank(const Field& field, char* slot) {
    const Kind kind = kindOf(field);
    const bool binary = kind == Kind::Integer32 || kind == Kind::Double ||
                        kind == Kind::Currency || (kind == Kind::Nothing && field.width != 10);
    std::memset(slot, binary ? '\0' : ' ', static_cast<std::size_t>(field.width));
}

std::string problemText(Problem problem) {
    switch (problem) {
    case Problem::None: return "";
    case Problem::NotANumber: return "no es un número";
    case Problem::NotWhole: return "no es un número entero";
    case Problem::OutOfRange: return "queda fuera del intervalo admitido";
    case Problem::NotLogical: return "no es un valor lógico";
    case Problem::NotADate: return "no es una fecha dd/mm/aaaa";
    case Problem::TooWide: return "no cabe en el ancho del campo";
    case Problem::WrongType: return "no corresponde al tipo del campo";
    }
    return "";
}

}  // namespace stores::dbf
