// Writing a file so that it appears whole or not at all: the bytes go to a temporary file
// beside the target, which takes the target's place only once it is complete and on disk.
#pragma once

#include "stores/RunError.h"
#include "stores/SystemErrorText.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace stores {

class ReplacingFile {
public:
    // Creates the temporary file; throws RunError naming `target` when the folder cannot take it.
    explicit ReplacingFile(std::filesystem::path target);
    // Without a successful commit the temporary file goes and the target stays as it was.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // False once a write has failed; failure() then tells why.
    bool write(const char* data, std::size_t size);
    bool failed() const { return m_error != 0; }
    RunError failure() const;
    RunError failure(const std::string& reason) const;

    // Flushes to disk and puts the file in the target's place, keeping an existing target's
    // permissions (and its owner, where allowed). Throws RunError naming the target.
    void commit();

private:
    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    int m_fd = -1;
    int m_error = 0;
    bool m_committed = false;
};

}  // namespace stores
