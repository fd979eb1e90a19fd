// A folder of the fuzz target's own for the files one input becomes, in memory when the machine
// has /dev/shm, and the checks every target makes after a run.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace fuzzsupport {

class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name) {
        std::error_code error;
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        std::string pattern = (base / ("fuzz-" + name + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        m_path = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    std::filesystem::path write(std::string_view name, std::string_view bytes) const {
        return writeFile(m_path / name, bytes);
    }

    static std::filesystem::path writeFile(const std::filesystem::path& file, std::string_view bytes) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", file.c_str());
            std::abort();
        }
        return file;
    }

    static std::string read(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path m_path;
};

// A finding that no sanitizer would see: the run broke one of the promises it makes.
[[noreturn]] inline void broken(const std::string& promise) {
    std::fprintf(stderr, "broken promise: %s\n", promise.c_str());
    std::abort();
}

// Temporary files are written under names that start with '.'; none may outlive a run.
inline void requireNoTemporaryFiles(const std::filesystem::path& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().front() == '.')
            broken("a temporary file was left behind: " + entry.path().string());
}

}  // namespace fuzzsupport
