// Fuzz target: any bytes as a dBase table. Opening, walking, reading every field in every way,
// locating and filtering end in a value or a RunError; a row added to a table that opened leaves
// a table that opens again with that row.
#include "FuzzScratch.h"

#include "stores/RunError.h"
#include "stores/dbf/Table.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

using stores::RunError;
using stores::dbf::Table;

constexpr const char* kTableName = "SOLUC.DBF";

void attempt(const std::function<void()>& action) {
    try {
        action();
    } catch (const RunError&) {
    }
}

void readEveryField(const Table& table) {
    for (int i = 0; i < static_cast<int>(table.fields().size()); ++i) {
        attempt([&] { (void)table.text(i); });
        attempt([&] { (void)table.integer(i); });
        attempt([&] { (void)table.number(i); });
        attempt([&] { (void)table.logical(i); });
        attempt([&] { (void)table.text(table.fields()[i].name); });
    }
}

std::vector<std::string> firstRowTexts(Table& table) {
    std::vector<std::string> texts;
    table.first();
    for (int i = 0; i < static_cast<int>(table.fields().size()); ++i) {
        std::string value;
        attempt([&] { value = table.text(i); });
        texts.push_back(value);
    }
    return texts;
}

std::string quoted(const std::string& value) {
    std::string out = "'";
    for (const char c : value) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

void walk(Table& table) {
    for (table.first(); !table.atEnd(); table.next()) readEveryField(table);
}

void search(Table& table, const std::vector<std::string>& firstRow, std::string_view tail) {
    const auto& fields = table.fields();
    if (fields.empty()) return;
    attempt([&] { (void)table.locate(fields[0].name, {firstRow[0]}); });
    attempt([&] { (void)table.locate(fields[0].name, std::int32_t{1}); });
    if (fields.size() > 1)
        attempt([&] {
            (void)table.locate(fields[0].name + ";" + fields[1].name, {firstRow[0], firstRow[1]});
        });
    for (std::size_t i = 0; i < fields.size() && i < 3; ++i) {
        attempt([&] { table.setFilter(fields[i].name + "= " + quoted(firstRow[i])); });
        attempt([&] { walk(table); });
        attempt([&] { table.setFilter(""); });
    }
    // Whatever filter text the input ends with: it is parsed and refused or applied.
    attempt([&] { table.setFilter(tail); });
    attempt([&] { walk(table); });
}

// The first row again at the end; the table must then open with one row more.
void appendCopyOfFirstRow(const std::filesystem::path& dir, const std::vector<std::string>& firstRow) {
    std::int64_t before = 0;
    try {
        Table table = Table::open(dir, kTableName);
        before = table.rowCount();
        table.append();
        for (std::size_t i = 0; i < table.fields().size(); ++i)
            attempt([&] { table.setText(table.fields()[i].name, firstRow[i]); });
        table.post();
        table.close();
    } catch (const RunError&) {
        return;  // not writable (read-only, indexed, ...): nothing was promised
    }
    std::int64_t after = -1;
    try {
        after = Table::open(dir, kTableName).rowCount();
    } catch (const RunError& e) {
        fuzzsupport::broken(std::string("a table written by the engine does not open: ") + e.what());
    }
    if (after != before + 1)
        fuzzsupport::broken("appending one row gave " + std::to_string(after - before) + " rows");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzzsupport::ScratchFolder folder("dbf");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    folder.write(kTableName, bytes);
    std::vector<std::string> firstRow;
    try {
        Table table = Table::open(folder.path(), kTableName);
        walk(table);
        firstRow = firstRowTexts(table);
        search(table, firstRow, bytes.substr(bytes.size() - std::min<std::size_t>(bytes.size(), 24)));
        table.close();
    } catch (const RunError&) {
        return 0;
    }
    appendCopyOfFirstRow(folder.path(), firstRow);
    fuzzsupport::requireNoTemporaryFiles(folder.path());
    return 0;
}
