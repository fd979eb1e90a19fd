// The Windows private-profile write on a byte buffer, and a file write that never leaves the
// file half-written.
#include "app/gui/ProfileWriter.h"

#include "stores/ReplacingFile.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace app {
namespace {

template <class S>
using Unit = typename S::value_type;

template <class S>
S widen(std::string_view ascii) {
    return S(ascii.begin(), ascii.end());
}

template <class S>
bool isBlank(Unit<S> c) {
    return c == Unit<S>(' ') || c == Unit<S>('\t');
}

template <class S>
S trimmed(const S& s) {
    std::size_t begin = 0, end = s.size();
    while (begin < end && isBlank<S>(s[begin])) ++begin;
    while (end > begin && isBlank<S>(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

template <class S>
bool sameName(const S& a, const S& b) {
    if (a.size() != b.size()) return false;
    auto upper = [](Unit<S> c) { return c >= Unit<S>('a') && c <= Unit<S>('z') ? Unit<S>(c - 32) : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

// One line of the file: its text and its own terminator (CRLF, LF or none at the end).
template <class S>
struct Line {
    S body;
    S end;
};

template <class S>
std::vector<Line<S>> splitLines(const S& content) {
    std::vector<Line<S>> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t lf = content.find(Unit<S>('\n'), start);
        if (lf == S::npos) {
            lines.push_back({content.substr(start), S()});
            break;
        }
        std::size_t bodyEnd = lf > start && content[lf - 1] == Unit<S>('\r') ? lf - 1 : lf;
        lines.push_back({content.substr(start, bodyEnd - start), content.substr(bodyEnd, lf + 1 - bodyEnd)});
        start = lf + 1;
    }
    return lines;
}

// The section name of a header line ("[ name ]"), or nothing when the line is no header.
template <class S>
std::optional<S> headerName(const S& body) {
    S text = trimmed(body);
    if (text.empty() || text[0] != Unit<S>('[')) return std::nullopt;
    std::size_t close = text.rfind(Unit<S>(']'));
    std::size_t nameEnd = close == S::npos || close == 0 ? text.size() : close;
    return trimmed(text.substr(1, nameEnd - 1));
}

template <class S>
S newlineOf(const S& content) {
    bool anyLf = content.find(Unit<S>('\n')) != S::npos;
    bool anyCrLf = content.find(widen<S>("\r\n")) != S::npos;
    return anyLf && !anyCrLf ? widen<S>("\n") : widen<S>("\r\n");
}

template <class S>
S joined(const std::vector<Line<S>>& lines) {
    S out;
    for (const auto& line : lines) out += line.body + line.end;
    return out;
}

template <class S>
S edited(const S& content, const S& section, const S& key, const S& value, std::size_t skip) {
    const S newline = newlineOf(content);
    auto lines = splitLines(content);
    // Bytes that mark the encoding (a UTF-8 byte-order mark) stay but are no part of the header.
    auto bodyOf = [&](std::size_t i) { return i == 0 ? lines[0].body.substr(std::min(skip, lines[0].body.size())) : lines[i].body; };

    std::size_t header = 0;
    while (header < lines.size() && !(headerName(bodyOf(header)) && sameName(*headerName(bodyOf(header)), section)))
        ++header;
    if (header == lines.size()) {
        S out = content;
        if (!out.empty() && out.back() != Unit<S>('\n')) out += newline;
        return out + Unit<S>('[') + section + Unit<S>(']') + newline + key + Unit<S>('=') + value + newline;
    }

    std::size_t last = header;
    for (std::size_t i = header + 1; i < lines.size() && !headerName(bodyOf(i)); ++i) {
        const S& body = lines[i].body;
        std::size_t eq = body.find(Unit<S>('='));
        if (eq != S::npos && sameName(trimmed(body.substr(0, eq)), key)) {
            lines[i].body = body.substr(0, eq + 1) + value;
            return joined(lines);
        }
        if (!trimmed(body).empty()) last = i;
    }
    if (lines[last].end.empty()) lines[last].end = newline;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last) + 1, Line<S>{key + Unit<S>('=') + value, newline});
    return joined(lines);
}

std::u16string unitsOf(std::string_view bytes, bool bigEndian) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        units.push_back(static_cast<char16_t>(lo | (hi << 8)));
    }
    return units;
}

std::string bytesOf(const std::u16string& units, bool bigEndian) {
    std::string bytes;
    for (char16_t u : units) {
        char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return bytes;
}

// The file itself when `file` is a symbolic link (an installation may link Horavia's own ini
// file beside the program): the link stays and the file it names gets the new content. Nothing
// when the links go round in a circle.
std::optional<std::filesystem::path> linkTarget(std::filesystem::path file) {
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        if (!std::filesystem::is_symlink(file, error)) return file;
        const auto next = std::filesystem::read_symlink(file, error);
        if (error) return std::nullopt;
        file = next.is_absolute() ? next : file.parent_path() / next;
    }
    return std::nullopt;
}

}  // namespace

std::string withProfileString(std::string_view content, std::string_view section,
                              std::string_view key, std::string_view value) {
    const bool utf16le = content.substr(0, 2) == "\xFF\xFE";
    const bool utf16be = content.substr(0, 2) == "\xFE\xFF";
    if (utf16le || utf16be) {
        std::string_view body = content.substr(2);
        std::u16string units = unitsOf(body, utf16be);
        using U = std::u16string;
        U result = edited(units, widen<U>(section), widen<U>(key), widen<U>(value), 0);
        std::string odd = body.size() % 2 ? std::string(1, body.back()) : std::string();
        return std::string(content.substr(0, 2)) + bytesOf(result, utf16be) + odd;
    }
    const std::size_t bom = content.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    using S = std::string;
    return edited(S(content), S(section), S(key), S(value), bom);
}

bool writeProfileString(const std::filesystem::path& link, std::string_view section,
                        std::string_view key, std::string_view value) {
    const auto target = linkTarget(link);
    if (!target) return false;
    const std::filesystem::path& file = *target;
    std::string old;
    struct stat info {};
    const bool exists = ::stat(file.c_str(), &info) == 0;
    if (exists) {
        if (!S_ISREG(info.st_mode)) return false;
        std::ifstream in(file, std::ios::binary);
        if (!in) return false;
        old.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) return false;
    }
    const std::string content = withProfileString(old, section, key, value);

    try {
        stores::ReplacingFile out(file);
        if (!out.write(content.data(), content.size())) return false;
        out.commit();
        return true;
    } catch (const stores::RunError&) {
        return false;
    }
}

}  // namespace app
