// Plain POSIX file access for the table engine, with the write budget that tests use to
// imitate a full disk.
#include "stores/dbf/ByteFile.h"

#include "stores/RunError.h"
#include "stores/SystemErrorText.h"
#include "stores/dbf/Testing.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace stores::dbf {
namespace {

// Bytes that writes may still store; negative when writes are not limited.
std::atomic<std::int64_t> g_writeBudget{-1};

// How many of `wanted` bytes the budget lets through, using them up.
std::size_t takeFromBudget(std::size_t wanted) {
    std::int64_t budget = g_writeBudget.load();
    while (budget >= 0) {
        const auto granted = std::min<std::int64_t>(budget, static_cast<std::int64_t>(wanted));
        if (g_writeBudget.compare_exchange_weak(budget, budget - granted))
            return static_cast<std::size_t>(granted);
    }
    return wanted;
}

void writeFully(int fd, std::uint64_t offset, const char* data, std::size_t size,
                const std::filesystem::path& path) {
    while (size > 0) {
        const ssize_t done = ::pwrite(fd, data, size, static_cast<off_t>(offset));
        if (done < 0) {
            if (errno == EINTR) continue;
            throw RunError("No se puede escribir en el archivo " + path.string() + ": " +
                           systemErrorText(errno));
        }
        data += done;
        size -= static_cast<std::size_t>(done);
        offset += static_cast<std::uint64_t>(done);
    }
}

}  // namespace

namespace testing {
void failWritesAfter(std::uint64_t bytes) { g_writeBudget = static_cast<std::int64_t>(bytes); }
void stopFailingWrites() { g_writeBudget = -1; }
}  // namespace testing

ByteFile::ByteFile(int fd, bool writable, std::filesystem::path path)
    : m_fd(fd), m_writable(writable), m_path(std::move(path)) {}

ByteFile ByteFile::openExisting(const std::filesystem::path& file) {
    int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
    bool writable = true;
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        writable = false;
    }
    if (fd < 0)
        throw RunError("No se puede abrir el archivo " + file.string() + ": " + systemErrorText(errno));
    return ByteFile(fd, writable, file);
}

ByteFile ByteFile::createNew(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        throw RunError("No se puede crear el archivo " + file.string() + ": " + systemErrorText(errno));
    return ByteFile(fd, true, file);
}

ByteFile::ByteFile(ByteFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)),
      m_writable(other.m_writable),
      m_lock(other.m_lock),
      m_locked(other.m_locked),
      m_path(std::move(other.m_path)) {}

ByteFile& ByteFile::operator=(ByteFile&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_writable = other.m_writable;
        m_lock = other.m_lock;
        m_locked = other.m_locked;
        m_path = std::move(other.m_path);
    }
    return *this;
}

ByteFile::~ByteFile() { close(); }

void ByteFile::close() {
    if (m_fd >= 0) ::close(m_fd);  // closing the last descriptor also drops the flock
    m_fd = -1;
    m_locked = false;
}

bool ByteFile::tryLock(LockKind kind) {
    if (m_locked && m_lock == kind) return true;
    const int operation = (kind == LockKind::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    if (::flock(m_fd, operation) == 0) {
        m_lock = kind;
        m_locked = true;
        return true;
    }
    if (errno != EWOULDBLOCK) return true;  // no locks on this file system: nothing to respect
    // Linux drops the old lock when converting it fails; take the shared one back.
    if (m_locked && m_lock == LockKind::Shared && ::flock(m_fd, LOCK_SH | LOCK_NB) != 0)
        m_locked = false;
    return false;
}

std::uint64_t ByteFile::size() const {
    struct stat info {};
    if (::fstat(m_fd, &info) != 0)
        throw RunError("No se puede leer el archivo " + m_path.string() + ": " + systemErrorText(errno));
    return static_cast<std::uint64_t>(info.st_size);
}

std::string ByteFile::readAll() const { return read(0, size()); }

std::string ByteFile::read(std::uint64_t offset, std::size_t size) const {
    std::string bytes(size, '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(m_fd, bytes.data() + done, bytes.size() - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0)
            throw RunError("No se puede leer el archivo " + m_path.string() + ": " +
                           systemErrorText(errno));
        if (got == 0) break;  // the file got shorter meanwhile: keep what is there
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

void ByteFile::write(std::uint64_t offset, std::string_view bytes) {
    const std::size_t allowed = takeFromBudget(bytes.size());
    writeFully(m_fd, offset, bytes.data(), allowed, m_path);
    if (allowed < bytes.size())
        throw RunError("No se puede escribir en el archivo " + m_path.string() + ": " +
                       systemErrorText(ENOSPC));
}

void ByteFile::truncate(std::uint64_t size) {
    if (::ftruncate(m_fd, static_cast<off_t>(size)) != 0)
        throw RunError("No se puede recortar el archivo " + m_path.string() + ": " +
                       systemErrorText(errno));
}

}  // namespace stores::dbf
