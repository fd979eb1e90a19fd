// The open table: a cursor over the live rows of the file image, an optional filter, the row
// being appended or edited, and the conversions of field values with their error messages.
#include "stores/dbf/Table.h"

#include "stores/Files.h"
#include "stores/RunError.h"
#include "stores/dbf/ByteFile.h"
#include "stores/dbf/FieldValue.h"
#include "stores/dbf/FilterText.h"
#include "stores/dbf/Header.h"
#include "stores/dbf/NumberText.h"
#include "stores/dbf/RecordStore.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace stores::dbf {
namespace {

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

std::string inQuotes(std::string_view cp1252) { return "«" + text::utf8FromCp1252(cp1252) + "»"; }

}  // namespace

struct Table::Impl {
    enum class State { Browse, Append, Edit };

    RecordStore store;
    Storage storage;
    std::vector<FieldInfo> infos;
    std::vector<std::uint32_t> live;                     // records not marked deleted
    std::optional<std::vector<std::uint32_t>> filtered;  // live records the filter lets through
    std::optional<FilterText> filter;
    std::unordered_map<int, std::unordered_map<std::string, std::vector<std::uint32_t>>> byText;
    std::size_t cursor = 0;  // position in the rows visited (filtered or live)
    State state = State::Browse;
    std::string row;         // the record being appended or edited
    std::uint32_t rowRecord = 0;
    bool open = true;

    explicit Impl(ByteFile file) : store(std::move(file)) {
        const Header& header = store.header();
        storage = {header.binary, header.codePage};
        for (const auto& f : header.fields) infos.push_back({f.name, f.type, f.width, f.decimals});
        live.reserve(store.records());
        for (std::size_t r = 0; r < store.records(); ++r)
            if (!store.deleted(r)) live.push_back(static_cast<std::uint32_t>(r));
    }

    std::string name() const { return store.name(); }
    const std::vector<Field>& fieldList() const { return store.header().fields; }
    const std::vector<std::uint32_t>& rows() const { return filtered ? *filtered : live; }

    const Field& fieldAt(int index) const {
        if (index < 0 || static_cast<std::size_t>(index) >= fieldList().size())
            throw RunError("La tabla " + name() + " no tiene el campo número " +
                           std::to_string(index) + ".");
        return fieldList()[static_cast<std::size_t>(index)];
    }

    int indexOf(std::string_view fieldName) const {
        for (std::size_t i = 0; i < fieldList().size(); ++i)
            if (sameNameIgnoringCase(fieldList()[i].name, fieldName)) return static_cast<int>(i);
        throw RunError("La tabla " + name() + " no tiene el campo " +
                       text::utf8FromCp1252(fieldName) + ".");
    }

    const char* currentRecord() const {
        if (state != State::Browse) return row.data();
        return cursor < rows().size() ? store.record(rows()[cursor]) : nullptr;
    }

    std::size_t currentRecordNumber() const {
        if (state == State::Append) return store.records() + 1;
        if (state == State::Edit) return rowRecord + 1;
        return cursor < rows().size() ? rows()[cursor] + 1 : 0;
    }

    static std::string_view raw(const char* record, const Field& field) {
        return {record + 1 + field.offset, static_cast<std::size_t>(field.width)};
    }

    // Nothing when there is no current row: the field then reads blank.
    std::optional<std::string_view> currentRaw(int index) const {
        const Field& field = fieldAt(index);
        const char* record = currentRecord();
        if (record == nullptr) return std::nullopt;
        return raw(record, field);
    }

    std::string where(const Field& field) const {
        return "Tabla " + name() + ", registro " + std::to_string(currentRecordNumber()) +
               ", campo " + text::utf8FromCp1252(field.name) + ": ";
    }

    template <typename T>
    T checked(int index, Read<T> read, const char* asWhat) const {
        if (read.problem == Problem::None) return read.value;
        const Field& field = fieldAt(index);
        if (read.problem == Problem::WrongType)
            throw RunError(where(field) + "un campo de tipo " + std::string(1, field.type) +
                           " no se puede leer como " + asWhat + ".");
        const std::string shown = readText(field, storage, *currentRaw(index));
        throw RunError(where(field) + "el valor " + inQuotes(shown) + " " +
                       problemText(read.problem) + ".");
    }

    void checkWrite(int index, Problem problem, const std::string& shownUtf8, const char* what) {
        if (problem == Problem::None) return;
        const Field& field = fieldAt(index);
        if (problem == Problem::WrongType)
            throw RunError(where(field) + "un campo de tipo " + std::string(1, field.type) +
                           " no admite " + what + ".");
        std::string detail = problemText(problem);
        if (problem == Problem::TooWide) detail += " (" + std::to_string(field.width) + ")";
        throw RunError(where(field) + "el valor «" + shownUtf8 + "» " + detail + ".");
    }

    char* slotFor(int index) {
        const Field& field = fieldAt(index);
        if (state == State::Browse)
            throw RunError("Tabla " + name() + ", campo " + text::utf8FromCp1252(field.name) +
                           ": no se puede escribir sin añadir o modificar una fila.");
        return row.data() + 1 + field.offset;
    }

    void blankRow() {
        row.assign(store.recordLength(), kLiveRecord);
        for (const auto& field : fieldList()) writeBlank(field, row.data() + 1 + field.offset);
    }

    bool passesFilter(std::uint32_t record) const {
        if (!filter) return true;
        const Field& field = fieldAt(indexOf(filter->field));
        return textEquals(field, storage, raw(store.record(record), field), filter->value);
    }

    // After a failed store the rows that did not reach the file are gone from memory too.
    void forgetUnstored() {
        const auto unstored = [this](std::uint32_t r) { return r >= store.records(); };
        std::erase_if(live, unstored);
        if (filtered) std::erase_if(*filtered, unstored);
        cursor = std::min(cursor, rows().size());
    }

    void postAppend() {
        const auto record = static_cast<std::uint32_t>(store.records());
        try {
            store.append(row);
        } catch (const RunError&) {
            forgetUnstored();
            throw;
        }
        live.push_back(record);
        if (!filtered) {
            cursor = live.size() - 1;
        } else if (passesFilter(record)) {
            filtered->push_back(record);
            cursor = filtered->size() - 1;
        }
    }

    void post() {
        if (state == State::Browse) return;
        const State was = state;
        state = State::Browse;
        byText.clear();
        if (was == State::Append) postAppend();
        else store.replace(rowRecord, row);
    }

    void storeAppended() {
        try {
            store.store();
        } catch (const RunError&) {
            forgetUnstored();
            throw;
        }
    }

    const std::vector<std::uint32_t>& recordsWithText(int index, const std::string& value) {
        auto& groups = byText[index];
        if (groups.empty()) {
            const Field& field = fieldAt(index);
            for (const auto record : live)
                groups[readText(field, storage, raw(store.record(record), field))].push_back(record);
        }
        static const std::vector<std::uint32_t> none;
        const auto found = groups.find(value);
        return found == groups.end() ? none : found->second;
    }

    void positionOn(std::size_t record) {
        const auto& all = rows();
        cursor = static_cast<std::size_t>(
            std::lower_bound(all.begin(), all.end(), record) - all.begin());
    }
};

Table::Table(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
Table::Table(Table&&) noexcept = default;

// Like the destructor, the table given up is closed (its pending rows stored) first.
Table& Table::operator=(Table&& other) noexcept {
    if (this != &other) {
        closeQuietly();
        m_impl = std::move(other.m_impl);
    }
    return *this;
}

Table::~Table() { closeQuietly(); }

void Table::closeQuietly() noexcept {
    try {
        close();
    } catch (const RunError&) {
        // Callers that care about the rows close() themselves; here nothing can report.
    }
}

Table Table::open(const std::filesystem::path& dir, std::string_view tableName, OpenMode mode) {
    std::string fileName(tableName);
    if (fileName.find('.') == std::string::npos) fileName += ".DBF";
    std::error_code error;
    if (!std::filesystem::is_directory(dir, error))
        throw RunError("No existe la carpeta " + dir.string() + ".");
    const auto found = findFileIgnoringCase(dir, fileName);
    if (!found)
        throw RunError("No existe la tabla " + fileName + " en la carpeta " + dir.string() + ".");
    ByteFile file = ByteFile::openExisting(*found);
    const bool exclusive = mode == OpenMode::Exclusive;
    if (!file.tryLock(exclusive ? LockKind::Exclusive : LockKind::Shared))
        throw RunError("La tabla " + found->string() + " está en uso y no se puede abrir" +
                       (exclusive ? " en exclusiva." : "."));
    return Table(std::make_unique<Impl>(std::move(file)));
}

void Table::close() {
    if (!m_impl || !m_impl->open) return;
    try {
        m_impl->post();
        m_impl->storeAppended();
    } catch (const RunError&) {
        m_impl->open = false;
        m_impl->store.close();
        throw;
    }
    m_impl->open = false;
    m_impl->store.close();
}

bool Table::isOpen() const { return m_impl && m_impl->open; }

const std::filesystem::path& Table::path() const {
    static const std::filesystem::path none;
    return m_impl ? m_impl->store.path() : none;
}

const std::vector<FieldInfo>& Table::fields() const {
    static const std::vector<FieldInfo> none;
    return m_impl ? m_impl->infos : none;
}

int Table::fieldIndex(std::string_view name) const { return impl().indexOf(name); }

Table::Impl& Table::impl() const {
    if (!m_impl) throw RunError("La tabla no está abierta.");
    if (!m_impl->open) throw RunError("La tabla " + m_impl->name() + " no está abierta.");
    return *m_impl;
}

void Table::first() {
    Impl& t = impl();
    t.post();
    t.cursor = 0;
}

void Table::next() {
    Impl& t = impl();
    t.post();
    if (t.cursor < t.rows().size()) ++t.cursor;
}

bool Table::atEnd() const {
    const Impl& t = impl();
    return t.state != Impl::State::Append && t.cursor >= t.rows().size();
}

std::int64_t Table::rowCount() const { return static_cast<std::int64_t>(impl().live.size()); }

void Table::append() {
    Impl& t = impl();
    t.post();
    t.store.startWriting();
    t.blankRow();
    t.state = Impl::State::Append;
}

void Table::edit() {
    Impl& t = impl();
    if (t.state == Impl::State::Edit) return;
    t.post();
    if (t.cursor >= t.rows().size())
        throw RunError("No se puede modificar la tabla " + t.name() + ": no hay fila actual.");
    t.store.startWriting();
    t.rowRecord = t.rows()[t.cursor];
    t.row.assign(t.store.record(t.rowRecord), t.store.recordLength());
    t.state = Impl::State::Edit;
}

void Table::post() { impl().post(); }

std::string Table::text(int field) const {
    const Impl& t = impl();
    const auto raw = t.currentRaw(field);
    return raw ? readText(t.fieldAt(field), t.storage, *raw) : std::string();
}

std::int32_t Table::integer(int field) const {
    const Impl& t = impl();
    const auto raw = t.currentRaw(field);
    if (!raw) return 0;
    return t.checked(field, readInteger(t.fieldAt(field), t.storage, *raw), "número entero");
}

bool Table::logical(int field) const {
    const Impl& t = impl();
    const auto raw = t.currentRaw(field);
    if (!raw) return false;
    return t.checked(field, readLogical(t.fieldAt(field), t.storage, *raw), "valor lógico");
}

double Table::number(int field) const {
    const Impl& t = impl();
    const auto raw = t.currentRaw(field);
    if (!raw) return 0;
    return t.checked(field, readNumber(t.fieldAt(field), t.storage, *raw), "número");
}

std::string Table::text(std::string_view field) const { return text(fieldIndex(field)); }
std::int32_t Table::integer(std::string_view field) const { return integer(fieldIndex(field)); }
bool Table::logical(std::string_view field) const { return logical(fieldIndex(field)); }
double Table::number(std::string_view field) const { return number(fieldIndex(field)); }

void Table::setText(std::string_view field, std::string_view value) {
    Impl& t = impl();
    const int index = t.indexOf(field);
    char* slot = t.slotFor(index);
    t.checkWrite(index, writeText(t.fieldAt(index), t.storage, value, slot),
                 text::utf8FromCp1252(value), "ese texto");
}

void Table::setInteger(std::string_view field, std::int32_t value) {
    Impl& t = impl();
    const int index = t.indexOf(field);
    char* slot = t.slotFor(index);
    t.checkWrite(index, writeInteger(t.fieldAt(index), t.storage, value, slot),
                 std::to_string(value), "un número entero");
}

void Table::setLogical(std::string_view field, bool value) {
    Impl& t = impl();
    const int index = t.indexOf(field);
    char* slot = t.slotFor(index);
    t.checkWrite(index, writeLogical(t.fieldAt(index), t.storage, value, slot),
                 value ? "True" : "False", "un valor lógico");
}

void Table::setFloat(std::string_view field, double value) {
    Impl& t = impl();
    const int index = t.indexOf(field);
    char* slot = t.slotFor(index);
    t.checkWrite(index, writeFloat(t.fieldAt(index), t.storage, value, slot),
                 shortestText(value), "un número");
}

bool Table::locate(std::string_view fieldList, const std::vector<std::string>& values) {
    Impl& t = impl();
    t.post();
    std::vector<int> indexes;
    for (std::size_t start = 0;;) {
        const auto end = fieldList.find(';', start);
        indexes.push_back(t.indexOf(fieldList.substr(start, end - start)));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    if (indexes.size() != values.size())
        throw RunError("La búsqueda en la tabla " + t.name() + " nombra " +
                       std::to_string(indexes.size()) + " campos (" +
                       text::utf8FromCp1252(fieldList) + ") y da " +
                       std::to_string(values.size()) + " valores.");
    const auto& rows = t.rows();
    for (std::size_t position = 0; position < rows.size(); ++position) {
        const char* record = t.store.record(rows[position]);
        bool all = true;
        for (std::size_t i = 0; i < indexes.size() && all; ++i) {
            const Field& field = t.fieldAt(indexes[i]);
            all = textEquals(field, t.storage, t.raw(record, field), values[i]);
        }
        if (all) {
            t.cursor = position;
            return true;
        }
    }
    return false;
}

bool Table::locate(std::string_view fieldName, std::int32_t value) {
    Impl& t = impl();
    t.post();
    const Field& field = t.fieldAt(t.indexOf(fieldName));
    const std::string asText = std::to_string(value);
    const auto& rows = t.rows();
    for (std::size_t position = 0; position < rows.size(); ++position) {
        const auto raw = t.raw(t.store.record(rows[position]), field);
        const bool match = field.type == 'C'
                               ? textEquals(field, t.storage, raw, asText)
                               : numericValue(field, t.storage, raw) == static_cast<double>(value);
        if (match) {
            t.cursor = position;
            return true;
        }
    }
    return false;
}

void Table::setFilter(std::string_view filterText) {
    Impl& t = impl();
    t.post();
    if (filterText.empty()) {
        const std::size_t current = t.currentRecordNumber();
        t.filter.reset();
        t.filtered.reset();
        if (current == 0) t.cursor = t.rows().size();
        else t.positionOn(current - 1);
        return;
    }
    auto parsed = parseFilterText(filterText);
    if (!parsed)
        throw RunError("El filtro " + inQuotes(filterText) + " de la tabla " + t.name() +
                       " no tiene la forma CAMPO= 'valor'.");
    const int index = t.indexOf(parsed->field);
    t.filtered = t.recordsWithText(index, parsed->value);
    t.filter = std::move(parsed);
    t.cursor = 0;
}

}  // namespace stores::dbf
