// Helpers of the table engine's tests: a temporary folder per test, whole-file bytes, running an
// outside reader, and table images built by hand the way other writers lay them out.
#pragma once

#include "stores/RunError.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace dbftest {

namespace fs = std::filesystem;

// A fresh folder, removed with everything in it when the test ends.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "dbftest-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const fs::path& path() const { return m_path; }
    fs::path operator/(const std::string& name) const { return m_path / name; }

private:
    fs::path m_path;
};

// The message of the error the action throws, or "(no error)".
inline std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const stores::RunError& e) {
        return e.what();
    }
    return "(no error)";
}

inline std::string readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (const int v : values) s += static_cast<char>(v);
    return s;
}

inline std::string le16(int v) { return bytes({v & 0xFF, (v >> 8) & 0xFF}); }
inline std::string le32(std::uint32_t v) {
    return bytes({int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int(v >> 24)});
}

inline std::string zeroPadded(const std::string& s, std::size_t size) {
    std::string out = s.substr(0, size);
    out.resize(size, '\0');
    return out;
}

// Runs a command line; returns its standard output, and its exit status through `status`.
inline std::string runCommand(const std::string& command, int& status) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return output;
    }
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    const int raw = ::pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
}

inline std::string shellQuoted(const std::string& s) {
    std::string out = "'";
    for (const char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// A table file laid out by hand, the way dBase III/IV/5, level 7 and FoxPro writers do, so that
// tests of the reader do not depend on the engine's own writer.
struct Image {
    struct Field {
        std::string name;
        char type;
        int width;
        int decimals = 0;
    };

    int version = 0x03;
    int languageDriver = 0x58;
    std::string driverName;          // level 7 only, at offset 32
    std::vector<Field> fields;
    std::vector<std::string> records;  // each with its deletion flag
    std::string afterTerminator;     // field properties (level 7), backlink (FoxPro)
    long long declaredRecords = -1;  // -1: the number of records
    bool endMarker = true;

    bool level7() const { return version == 0x04 || version == 0x8C; }

    int recordLength() const {
        int length = 1;
        for (const auto& f : fields) length += f.width;
        return length;
    }

    std::string descriptors() const {
        std::string out;
        for (const auto& f : fields) {
            if (level7()) {
                out += zeroPadded(f.name, 32) + std::string(1, f.type) +
                       bytes({f.width, f.decimals}) + std::string(13, '\0');
            } else {
                out += zeroPadded(f.name, 11) + std::string(1, f.type) + std::string(4, '\0') +
                       bytes({f.width, f.decimals}) + std::string(14, '\0');
            }
        }
        return out + "\r" + afterTerminator;
    }

    std::string header() const {
        const std::string fieldBytes = descriptors();
        const int start = level7() ? 68 : 32;
        const auto count = declaredRecords < 0 ? records.size()
                                               : static_cast<std::size_t>(declaredRecords);
        std::string h = bytes({version, 124, 9, 1}) + le32(static_cast<std::uint32_t>(count)) +
                        le16(start + static_cast<int>(fieldBytes.size())) +
                        le16(recordLength()) + std::string(16, '\0') +
                        bytes({0, languageDriver, 0, 0});
        if (level7()) h += zeroPadded(driverName, 32) + std::string(4, '\0');
        return h + fieldBytes;
    }

    std::string file() const {
        std::string out = header();
        for (const auto& r : records) out += r;
        if (endMarker) out += '\x1A';
        return out;
    }
};

}  // namespace dbftest
