// File names that ignore letter case, the program folder and the exchange directory.
#include "stores/Files.h"

#include "stores/RunError.h"
#include "stores/SystemErrorText.h"
#include "stores/dbf/ByteFile.h"

#include <algorithm>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace stores {
namespace {

namespace fs = std::filesystem;

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

fs::path homeFolder() {
    const std::string home = environment("HOME");
    if (!home.empty()) return home;
    const passwd* user = ::getpwuid(::getuid());
    return user != nullptr && user->pw_dir != nullptr ? fs::path(user->pw_dir) : fs::path("/");
}

// Another opener of the table holds the file: it keeps it and we leave it alone.
bool heldByAnotherOpener(const fs::path& file) {
    std::error_code error;
    if (!fs::is_regular_file(file, error)) return false;
    try {
        auto opened = dbf::ByteFile::openExisting(file);
        return !opened.tryLock(dbf::LockKind::Exclusive);
    } catch (const RunError&) {
        return false;  // cannot even be opened: let the deletion try and fail quietly
    }
}

}  // namespace

std::vector<fs::path> filesIgnoringCase(const fs::path& dir, std::string_view name) {
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        const std::string entry = it->path().filename().string();
        if (equalIgnoringCase(entry, name)) found.push_back(it->path());
    }
    std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
        return a.filename().string() < b.filename().string();
    });
    return found;
}

std::optional<fs::path> findFileIgnoringCase(const fs::path& dir, std::string_view name) {
    const auto found = filesIgnoringCase(dir, name);
    if (found.empty()) return std::nullopt;
    for (const auto& path : found)
        if (path.filename().string() == name) return path;
    return found.front();
}

bool fileExistsIgnoringCase(const fs::path& dir, std::string_view name) {
    return findFileIgnoringCase(dir, name).has_value();
}

void deleteFileIgnoringCase(const fs::path& dir, std::string_view name) {
    for (const auto& path : filesIgnoringCase(dir, name)) {
        if (heldByAnotherOpener(path)) continue;
        std::error_code ignored;  // a failed deletion is not reported; creating then fails
        std::error_code error;
        if (fs::is_directory(fs::symlink_status(path, error))) continue;
        fs::remove(path, ignored);
    }
}

fs::path programFolder() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error)
        throw RunError("No se puede saber en qué carpeta está el programa: " +
                       systemErrorText(error.value()));
    return program.parent_path();
}

fs::path defaultExchangeDir() {
    const std::string ktemp = environment("KTEMP");
    if (!ktemp.empty()) return ktemp;
    const std::string prefix = environment("WINEPREFIX");
    const fs::path driveC = (prefix.empty() ? homeFolder() / ".wine" : fs::path(prefix)) /
                            "dosdevices" / "c:";
    const auto found = findFileIgnoringCase(driveC, "KTEMP");
    return found ? *found : driveC / "KTEMP";
}

}  // namespace stores
