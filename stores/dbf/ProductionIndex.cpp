// Builds the .MDX file of a table that holds no row. The file works in blocks of two 512-byte
// pages: pages 0-3 carry the file header and the tag table, then every tag has a header block
// and an empty leaf block as its root.
#include "stores/dbf/ProductionIndex.h"

#include <algorithm>
#include <cstdint>

namespace stores::dbf {
namespace {

constexpr std::size_t kPage = 512;
constexpr int kPagesPerBlock = 2;
constexpr int kBlockBytes = 1024;
constexpr int kHeaderPages = 4;
constexpr int kPagesPerTag = 2 * kPagesPerBlock;  // tag header block + root block
constexpr std::size_t kTagTable = 544;
constexpr std::size_t kTagEntry = 32;
constexpr int kTagTableEntries = 48;
constexpr int kNodeHeader = 8;
constexpr int kNumericKeyLength = 12;  // packed decimal keys of N fields
constexpr std::uint8_t kIndexVersion = 2;
constexpr std::uint8_t kKeyIsField = 0x10;

void put8(std::string& b, std::size_t at, int v) { b[at] = static_cast<char>(v & 0xFF); }
void put16(std::string& b, std::size_t at, int v) {
    put8(b, at, v);
    put8(b, at + 1, v >> 8);
}
void put32(std::string& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) put8(b, at + static_cast<std::size_t>(i), static_cast<int>(v >> (8 * i)));
}
void putText(std::string& b, std::size_t at, const std::string& text, std::size_t room) {
    b.replace(at, std::min(text.size(), room), text.substr(0, room));
}

struct Key {
    char type;   // 'C' or 'N'
    int length;
};

Key keyOf(const TableDef& def, const IndexDef& index) {
    const auto fields = storedFields(def);
    const auto field = std::find_if(fields.begin(), fields.end(),
                                    [&](const Field& f) { return f.name == index.fields; });
    if (field->type == 'C') return {'C', field->width};
    return {'N', kNumericKeyLength};
}

std::string stemOf(const std::string& fileName) {
    return fileName.substr(0, fileName.rfind('.'));
}

// Tag names form a binary search tree inside the tag table (links are 1-based entry numbers).
struct TreeLinks {
    int lower = 0, higher = 0, parent = 0;
};

std::vector<TreeLinks> nameTree(const std::vector<IndexDef>& indexes) {
    std::vector<TreeLinks> links(indexes.size());
    for (std::size_t i = 1; i < indexes.size(); ++i) {
        std::size_t node = 0;
        while (true) {
            int& next = indexes[i].name < indexes[node].name ? links[node].lower
                                                              : links[node].higher;
            if (next == 0) {
                next = static_cast<int>(i + 1);
                links[i].parent = static_cast<int>(node + 1);
                break;
            }
            node = static_cast<std::size_t>(next - 1);
        }
    }
    return links;
}

void writeFileHeader(std::string& b, const TableDef& def, Date date, int pages) {
    const auto tags = static_cast<int>(def.indexes.size());
    put8(b, 0, kIndexVersion);
    b.replace(1, 3, dateBytes(date));
    putText(b, 4, stemOf(def.fileName), 16);
    put16(b, 20, kPagesPerBlock);
    put16(b, 22, kBlockBytes);
    put8(b, 24, 1);  // production index
    put8(b, 25, kTagTableEntries);
    put8(b, 26, static_cast<int>(kTagEntry));
    put16(b, 28, tags);
    put8(b, 30, tags + 1);
    put8(b, 31, kLanguageDriverWEurope);  // must equal byte 29 of the table
    put32(b, 32, static_cast<std::uint32_t>(pages));
    b.replace(44, 3, dateBytes(date));
    put8(b, 529, 1);
}

void writeTagEntry(std::string& b, std::size_t number, const IndexDef& index, Key key,
                   TreeLinks links, int headerPage) {
    const std::size_t at = kTagTable + number * kTagEntry;
    put32(b, at, static_cast<std::uint32_t>(headerPage));
    putText(b, at + 4, index.name, 10);
    put8(b, at + 15, kKeyIsField);
    put8(b, at + 16, links.lower);
    put8(b, at + 17, links.higher);
    put8(b, at + 18, links.parent);
    put8(b, at + 19, 2);
    put8(b, at + 20, key.type);
}

void writeTagHeader(std::string& b, const IndexDef& index, Key key, Date date, int headerPage) {
    const std::size_t at = static_cast<std::size_t>(headerPage) * kPage;
    const int rootPage = headerPage + kPagesPerBlock;
    const int itemLength = (4 + key.length + 3) / 4 * 4;
    put32(b, at, static_cast<std::uint32_t>(rootPage));
    put32(b, at + 4, kPagesPerBlock);
    put8(b, at + 8, kKeyIsField);
    put8(b, at + 9, key.type);
    put8(b, at + 11, kLanguageDriverWEurope);
    put16(b, at + 12, key.length);
    put16(b, at + 14, (kBlockBytes - kNodeHeader) / itemLength);
    put16(b, at + 16, 0);  // secondary key type: 0 for C and N keys
    put16(b, at + 18, itemLength);
    put8(b, at + 20, 1);
    putText(b, at + 24, index.fields, 219);
    put32(b, at + 248, static_cast<std::uint32_t>(rootPage));
    put32(b, at + 252, static_cast<std::uint32_t>(rootPage));
    b.replace(at + 257, 3, dateBytes(date));
    put8(b, at + 480, 1);
    // The root block stays zero: a leaf with no key.
}

}  // namespace

std::string productionIndexBytes(const TableDef& def, Date date) {
    const int pages = kHeaderPages + kPagesPerTag * static_cast<int>(def.indexes.size());
    std::string bytes(static_cast<std::size_t>(pages) * kPage, '\0');
    writeFileHeader(bytes, def, date, pages);
    const auto links = nameTree(def.indexes);
    for (std::size_t i = 0; i < def.indexes.size(); ++i) {
        const int headerPage = kHeaderPages + kPagesPerTag * static_cast<int>(i);
        const Key key = keyOf(def, def.indexes[i]);
        writeTagEntry(bytes, i, def.indexes[i], key, links[i], headerPage);
        writeTagHeader(bytes, def.indexes[i], key, date, headerPage);
    }
    return bytes;
}

}  // namespace stores::dbf
