// The engine's only way to the disk: one open file, read in one go, written at offsets, cut
// short, locked against other openers. Failures become RunErrors naming the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace stores::dbf {

enum class LockKind { Shared, Exclusive };

class ByteFile {
public:
    // An existing file, for reading and writing when its permissions allow, else for reading.
    static ByteFile openExisting(const std::filesystem::path& file);
    // A file that must not exist yet, for writing.
    static ByteFile createNew(const std::filesystem::path& file);

    ByteFile(ByteFile&& other) noexcept;
    ByteFile& operator=(ByteFile&& other) noexcept;
    ByteFile(const ByteFile&) = delete;
    ByteFile& operator=(const ByteFile&) = delete;
    ~ByteFile();

    // flock without waiting. False when another open file (of this or another process) holds a
    // lock that conflicts. A file system that cannot lock at all counts as success. Turning a
    // shared lock into an exclusive one keeps the shared lock when it fails.
    bool tryLock(LockKind kind);

    bool writable() const { return m_writable; }
    const std::filesystem::path& path() const { return m_path; }
    std::uint64_t size() const;

    std::string readAll() const;
    // Up to `size` bytes from `offset`; fewer at the end of the file.
    std::string read(std::uint64_t offset, std::size_t size) const;
    void write(std::uint64_t offset, std::string_view bytes);
    void truncate(std::uint64_t size);
    void close();

private:
    ByteFile(int fd, bool writable, std::filesystem::path path);

    int m_fd = -1;
    bool m_writable = false;
    LockKind m_lock = LockKind::Shared;
    bool m_locked = false;
    std::filesystem::path m_path;
};

}  // namespace stores::dbf
