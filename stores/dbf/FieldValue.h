// One field's bytes inside a record, read as text, whole number, logical or float, and written
// from them. Which conversions each type allows is decided here; the table turns a refusal into
// a message naming the table, record and field.
#pragma once

#include "stores/dbf/Header.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace stores::dbf {

// Why a value could not be read or stored.
enum class Problem {
    None,
    NotANumber,
    NotWhole,
    OutOfRange,
    NotLogical,
    NotADate,
    TooWide,
    WrongType,
};

struct Storage {
    BinaryNumbers binary = BinaryNumbers::LittleEndian;
    text::CodePage codePage = text::CodePage::Cp1252;
};

template <typename T>
struct Read {
    T value{};
    Problem problem = Problem::None;
};

// `raw` is the field's bytes (exactly its width). Texts are cp1252.
std::string readText(const Field& field, Storage storage, std::string_view raw);
Read<std::int32_t> readInteger(const Field& field, Storage storage, std::string_view raw);
Read<double> readNumber(const Field& field, Storage storage, std::string_view raw);
Read<bool> readLogical(const Field& field, Storage storage, std::string_view raw);

// The field's value as a number; nothing when it is blank or holds no number.
std::optional<double> numericValue(const Field& field, Storage storage, std::string_view raw);

// The field read as text equals `value`, without building the text when it need not.
bool textEquals(const Field& field, Storage storage, std::string_view raw, std::string_view value);

// `slot` is the field's bytes inside a record buffer (exactly its width). On a problem the slot
// is left as it was.
Problem writeText(const Field& field, Storage storage, std::string_view value, char* slot);
Problem writeInteger(const Field& field, Storage storage, std::int32_t value, char* slot);
Problem writeFloat(const Field& field, Storage storage, double value, char* slot);
Problem writeLogical(const Field& field, Storage storage, bool value, char* slot);

// A blank (null) field as a new row holds it.
void writeBlank(const Field& field, char* slot);

// The words of a problem for a message: "no es un número entero".
std::string problemText(Problem problem);

}  // namespace stores::dbf
