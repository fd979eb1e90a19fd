// A dBase table as the conversion steps see it: create from definitions, open, walk, read and
// write fields by name, locate, filter. File headers, record layout, code pages and the index
// file are known only inside stores/dbf/.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace stores::dbf {

// The four kinds of field the exchange tables define. Tables of other programs may hold more
// kinds (date, memo, level-7 binary numbers); they are read, see Table::text and friends.
enum class FieldType { Character, Logical, Integer, Float };

struct FieldDef {
    std::string name;     // upper case, at most 10 characters (31 at level 7)
    FieldType type = FieldType::Character;
    int width = 0;        // character fields only, 1..254
};

struct IndexDef {
    std::string name;     // tag name, at most 10 characters
    std::string fields;   // one field name
};

enum class TableLevel {
    DBase4,  // version byte 0x03: what every dBase reader opens; the exchange tables
    DBase7,  // version byte 0x04, 48-byte field descriptors: long field names (NIVELEX.DBF)
};

struct TableDef {
    std::string fileName;  // with extension, as it is to be created: "ASIGNOMT.DBF"
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;  // a production index file (.MDX) is written beside the table
    TableLevel level = TableLevel::DBase4;
};

enum class OpenMode {
    Shared,     // other shared openers may read at the same time; an exclusive holder refuses it
    Exclusive,  // nobody else, in this or another process of this program, may open the table
};

// What one field of an open table is, as its header declares it.
struct FieldInfo {
    std::string name;
    char type = 'C';  // the header's type letter: C N F L D M I + O @ ...
    int width = 0;
    int decimals = 0;
};

// An open table. Every failure is a RunError whose text names the file (and, where it applies,
// the record and the field).
class Table {
public:
    // Writes the table's files from the definitions, replacing a table of that name (whatever the
    // letter case of the old files). The new files carry the upper-case name of def.fileName.
    // The table is left closed and empty.
    static void create(const std::filesystem::path& dir, const TableDef& def);

    // Opens dir/tableName; ".DBF" is added when the name has no extension. Letter case of the
    // file name does not matter. After opening, the first row is current.
    static Table open(const std::filesystem::path& dir, std::string_view tableName,
                      OpenMode mode = OpenMode::Shared);

    Table(Table&&) noexcept;
    Table& operator=(Table&&) noexcept;
    ~Table();  // closes; a failure to store pending rows is lost here, so callers close()

    // Stores pending changes (a row being appended or edited is posted first) and releases the
    // file. Calling it again does nothing.
    void close();
    bool isOpen() const;

    const std::filesystem::path& path() const;
    const std::vector<FieldInfo>& fields() const;
    int fieldIndex(std::string_view name) const;  // throws when the table has no such field

    // Walking: first(); while (!atEnd()) { ...; next(); }. atEnd() is true at once on an empty
    // (or fully filtered) table. next() stores a pending edit first.
    void first();
    void next();
    bool atEnd() const;
    std::int64_t rowCount() const;  // rows of the table, not only those the filter lets through

    // append() starts a blank row; field writes fill it; post() adds it to the table.
    // edit() makes the current row writable; post() or the next move stores the change.
    void append();
    void edit();
    void post();

    // Reading. Character text comes back without the blanks that fill the width. A numeric field
    // read as text is its number's decimal text without padding (" 1" reads "1", 4.0000 reads
    // "4"). A blank field reads as the empty text, 0, false or 0.0; a field read on an empty
    // table or past the end is blank. A character field read as a number is converted from its
    // text; text that is no number is an error naming table, record, field and value.
    std::string text(std::string_view field) const;
    std::int32_t integer(std::string_view field) const;
    bool logical(std::string_view field) const;
    double number(std::string_view field) const;

    std::string text(int field) const;
    std::int32_t integer(int field) const;
    bool logical(int field) const;
    double number(int field) const;

    // Writing, to the row being appended or edited. Text is cut to the field's width. A whole
    // number written to a character field is stored as its decimal text (a number too wide for
    // the field is an error, never cut). A table with a production index is never written.
    void setText(std::string_view field, std::string_view value);
    void setInteger(std::string_view field, std::int32_t value);
    void setLogical(std::string_view field, bool value);
    void setFloat(std::string_view field, double value);

    // Finds the first row, in stored order, whose fields equal the values exactly (texts as
    // read, case counts). `fields` lists names separated by ';'. Makes it current; false when
    // none matches (the current row then stays where it was). With a filter on, only the rows
    // it lets through are searched. The whole-number form compares values on numeric fields
    // (a blank field matches nothing) and the decimal text on character fields.
    bool locate(std::string_view fields, const std::vector<std::string>& values);
    bool locate(std::string_view field, std::int32_t value);

    // "FIELD= 'value'" (single quotes, a quote inside doubled); an empty text switches the
    // filter off. Switching it on makes the first matching row current.
    void setFilter(std::string_view filterText);

private:
    struct Impl;
    explicit Table(std::unique_ptr<Impl> impl);
    Impl& impl() const;  // throws when the table is not open
    void closeQuietly() noexcept;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace stores::dbf
