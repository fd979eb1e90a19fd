// The table file as the engine holds it: the whole file in memory, rows appended after it,
// stored in batches. Whatever happens, the file on disk stays a valid table: appended rows go
// in first, then the end marker, then the new record count, and a failed write cuts the file
// back to the rows stored before.
#pragma once

#include "stores/dbf/ByteFile.h"
#include "stores/dbf/Header.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace stores::dbf {

class RecordStore {
public:
    // Reads and checks the whole file in one go.
    explicit RecordStore(ByteFile file);

    const Header& header() const { return m_header; }
    const std::filesystem::path& path() const { return m_file.path(); }
    std::string name() const { return m_file.path().string(); }
    std::size_t recordLength() const { return static_cast<std::size_t>(m_header.recordLength); }

    // Records in memory: those of the file (deleted ones included) and those appended since.
    std::size_t records() const { return m_total; }
    const char* record(std::size_t number) const { return m_bytes.data() + start(number); }
    bool deleted(std::size_t number) const { return m_bytes[start(number)] == kDeletedRecord; }

    // Takes the exclusive lock writing needs; throws when the table cannot be written.
    void startWriting();
    // A new record at the end. When the unstored rows pass a few megabytes they are stored.
    void append(std::string_view row);
    void replace(std::size_t number, std::string_view row);
    // Stores the appended rows. After a failure records() is back to the rows stored before.
    void store();
    void close();

private:
    std::size_t start(std::size_t number) const {
        return static_cast<std::size_t>(m_header.headerLength) + number * recordLength();
    }
    void writeRecordCount(std::uint32_t count);
    void rollBack(std::uint64_t dataEnd);
    void noteStoredHeader();

    ByteFile m_file;
    Header m_header;
    std::string m_bytes;        // header and records as the file holds them, then unstored rows
    std::size_t m_stored = 0;   // records that are in the file
    std::size_t m_total = 0;
    std::uint64_t m_fileEnd = 0;
    bool m_writing = false;
};

}  // namespace stores::dbf
