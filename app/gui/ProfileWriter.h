// Writes one key of a Windows-style ini file the way the Windows private-profile call does, so
// that Horavia reads it as it would on Windows: every other byte of the file stays as it was.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace app {

// The file's new content with `key` of `section` set to `value`. Section and key names are
// compared ignoring ASCII letter case and the blanks around them; the first matching section
// and key are used. An existing key keeps everything up to its "="; a new key goes after the
// section's last non-blank line; a new section goes at the end. New lines end in CRLF unless the
// file uses LF alone. A UTF-16 file (byte-order mark) is edited as UTF-16.
std::string withProfileString(std::string_view content, std::string_view section,
                              std::string_view key, std::string_view value);

// Writes the file (creating it when missing; its folder must exist). The new content is written
// beside it under a temporary name and renamed over it, so a failed write leaves the file as it
// was. When `file` is a symbolic link, the file it names is written and the link stays. Returns
// false when the file cannot be read or written.
bool writeProfileString(const std::filesystem::path& file, std::string_view section,
                        std::string_view key, std::string_view value);

}  // namespace app
