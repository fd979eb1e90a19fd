// A file written beside its target and renamed over it, so a failure never leaves half a file.
#include "stores/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace stores {

namespace {

constexpr int kNameAttempts = 100;

std::filesystem::path folderOf(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

}  // namespace

ReplacingFile::ReplacingFile(std::filesystem::path target) : m_target(std::move(target)) {
    const std::string stem = "." + m_target.filename().string() + "." + std::to_string(::getpid()) + "-";
    for (int attempt = 0; m_fd < 0; ++attempt) {
        m_temporary = folderOf(m_target) / (stem + std::to_string(attempt) + ".tmp");
        m_fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && (errno != EEXIST || attempt + 1 == kNameAttempts)) throw failure(systemErrorText(errno));
    }
}

ReplacingFile::~ReplacingFile() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_committed) ::unlink(m_temporary.c_str());
}

bool ReplacingFile::write(const char* data, std::size_t size) {
    while (m_error == 0 && size > 0) {
        const ssize_t n = ::write(m_fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            m_error = errno;
            break;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return m_error == 0;
}

RunError ReplacingFile::failure() const { return failure(systemErrorText(m_error)); }

RunError ReplacingFile::failure(const std::string& reason) const {
    return RunError("No se puede escribir el archivo " + m_target.string() + ": " + reason);
}

void ReplacingFile::commit() {
    if (failed()) throw failure();
    struct stat existing {};
    if (::stat(m_target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())
            (void)!::fchown(m_fd, existing.st_uid, existing.st_gid);  // best effort
        (void)::fchmod(m_fd, existing.st_mode & 07777);
    }
    if (::fsync(m_fd) != 0) throw failure(systemErrorText(errno));
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) throw failure(systemErrorText(errno));
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) throw failure(systemErrorText(errno));
    m_committed = true;
    // The rename itself is on disk only once the folder is.
    if (const int dir = ::open(folderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
}

}  // namespace stores
