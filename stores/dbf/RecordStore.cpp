// Loading a table file and storing rows into it without ever leaving a broken table behind.
#include "stores/dbf/RecordStore.h"

#include "stores/RunError.h"

#include <algorithm>
#include <limits>

namespace stores::dbf {
namespace {

constexpr std::size_t kStoreBytes = 4 * 1024 * 1024;

}  // namespace

RecordStore::RecordStore(ByteFile file) : m_file(std::move(file)) {
    std::string content = m_file.readAll();
    m_header = parseHeader(content, m_file.path());
    m_fileEnd = content.size();
    // Trust the count only as far as the file holds whole records.
    const std::size_t room =
        (content.size() - static_cast<std::size_t>(m_header.headerLength)) / recordLength();
    m_stored = m_total = std::min<std::size_t>(m_header.declaredRecords, room);
    content.resize(start(m_stored));
    m_bytes = std::move(content);
}

void RecordStore::startWriting() {
    if (m_writing) return;
    if (m_header.productionIndex)
        throw RunError("La tabla " + name() + " tiene un índice (.MDX) que este programa no "
                       "actualiza; no se puede modificar.");
    if (!m_file.writable())
        throw RunError("No se puede modificar la tabla " + name() +
                       ": el archivo es de solo lectura.");
    if (!m_file.tryLock(LockKind::Exclusive))
        throw RunError("La tabla " + name() + " está en uso y no se puede modificar.");
    m_writing = true;
}

void RecordStore::append(std::string_view row) {
    if (m_total == std::numeric_limits<std::uint32_t>::max())
        throw RunError("La tabla " + name() + " no admite más filas.");
    m_bytes += row;
    ++m_total;
    if (m_bytes.size() - start(m_stored) >= kStoreBytes) store();
}

void RecordStore::replace(std::size_t number, std::string_view row) {
    const std::size_t at = start(number);
    const std::string before = m_bytes.substr(at, recordLength());
    m_bytes.replace(at, recordLength(), row);
    if (number >= m_stored) return;
    try {
        m_file.write(at, row);
    } catch (const RunError&) {
        // Put the old record back; when even that fails, memory takes what the file now holds.
        // The first error is the one to tell.
        m_bytes.replace(at, recordLength(), before);
        try {
            m_file.write(at, before);
        } catch (const RunError&) {
            try {
                const std::string onDisk = m_file.read(at, recordLength());
                if (onDisk.size() == recordLength()) m_bytes.replace(at, recordLength(), onDisk);
            } catch (const RunError&) {
            }
        }
        throw;
    }
}

// The count goes from its highest byte down: a write that stops half-way leaves a count no
// smaller than before, and readers take no more records than the file holds.
void RecordStore::writeRecordCount(std::uint32_t count) {
    for (int i = 3; i >= 0; --i)
        m_file.write(4 + static_cast<std::uint64_t>(i),
                     std::string(1, static_cast<char>((count >> (8 * i)) & 0xFF)));
}

void RecordStore::store() {
    if (m_total == m_stored) return;
    const std::uint64_t dataEnd = start(m_stored);
    const std::uint64_t newEnd = start(m_total);
    try {
        m_file.write(dataEnd, std::string_view(m_bytes).substr(dataEnd));
        m_file.write(newEnd, std::string(1, kEndOfFile));
        m_file.write(1, dateBytes(today()));
        writeRecordCount(static_cast<std::uint32_t>(m_total));
        if (m_fileEnd > newEnd + 1) m_file.truncate(newEnd + 1);
    } catch (const RunError&) {
        rollBack(dataEnd);
        throw;
    }
    m_stored = m_total;
    m_fileEnd = newEnd + 1;
    noteStoredHeader();
}

// The header in memory follows the file's, for a later roll-back.
void RecordStore::noteStoredHeader() {
    m_bytes.replace(1, 3, dateBytes(today()));
    for (std::size_t i = 0; i < 4; ++i)
        m_bytes[4 + i] = static_cast<char>((m_stored >> (8 * i)) & 0xFF);
}

// Back to the rows stored before: the file is cut there and gets its end marker and count
// again. Both are best effort, since readers need neither to find those rows.
void RecordStore::rollBack(std::uint64_t dataEnd) {
    try { m_file.truncate(dataEnd); } catch (const RunError&) {}
    try { m_file.write(dataEnd, std::string(1, kEndOfFile)); } catch (const RunError&) {}
    try { m_file.write(1, std::string_view(m_bytes).substr(1, 7)); } catch (const RunError&) {}
    m_fileEnd = dataEnd + 1;
    m_bytes.resize(dataEnd);
    m_total = m_stored;
}

void RecordStore::close() {
    m_file.close();
    m_bytes = std::string();
}

}  // namespace stores::dbf
