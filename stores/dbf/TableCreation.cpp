// Table::create: checks the definitions, writes the new files beside the old ones under
// temporary names and renames them into place, holding the old files locked meanwhile so that
// nobody reads a table while it is replaced.
#include "stores/dbf/Table.h"

#include "stores/Files.h"
#include "stores/RunError.h"
#include "stores/SystemErrorText.h"
#include "stores/dbf/ByteFile.h"
#include "stores/dbf/Header.h"
#include "stores/dbf/ProductionIndex.h"
#include "text/LetterCase.h"

#include <algorithm>
#include <atomic>
#include <set>
#include <unistd.h>

namespace stores::dbf {
namespace {

constexpr std::size_t kMaxNameLevel4 = 10;
constexpr std::size_t kMaxNameLevel7 = 31;
constexpr std::size_t kMaxFieldsLevel4 = 255;
constexpr std::size_t kMaxFieldsLevel7 = 1024;
constexpr int kMaxCharacterWidth = 254;
constexpr int kMaxCharacterKey = 100;
constexpr std::size_t kMaxTags = 47;
constexpr std::size_t kMaxIndexFileStem = 16;
constexpr int kMaxRecordLength = 65535;

bool validName(const std::string& name, std::size_t maxLength) {
    if (name.empty() || name.size() > maxLength || name[0] < 'A' || name[0] > 'Z') return false;
    for (const char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

TableDef normalised(const TableDef& given) {
    TableDef def = given;
    def.fileName = text::UpperAscii(def.fileName);
    if (def.fileName.find('.') == std::string::npos) def.fileName += ".DBF";
    for (auto& field : def.fields) field.name = text::UpperAscii(field.name);
    for (auto& index : def.indexes) {
        index.name = text::UpperAscii(index.name);
        index.fields = text::UpperAscii(index.fields);
    }
    return def;
}

std::string stemOf(const std::string& fileName) { return fileName.substr(0, fileName.rfind('.')); }

// The first thing wrong with the definitions, or the empty text.
std::string fieldsProblem(const TableDef& def) {
    const bool level7 = def.level == TableLevel::DBase7;
    if (def.fileName.find_first_of(std::string("/\0", 2)) != std::string::npos ||
        def.fileName.front() == '.')
        return "el nombre de archivo no es válido";
    if (def.fields.empty()) return "no tiene campos";
    if (def.fields.size() > (level7 ? kMaxFieldsLevel7 : kMaxFieldsLevel4))
        return "tiene demasiados campos";
    std::set<std::string> names;
    int recordLength = 1;
    for (const auto& field : def.fields) {
        if (!validName(field.name, level7 ? kMaxNameLevel7 : kMaxNameLevel4))
            return "el nombre de campo «" + text::utf8FromCp1252(field.name) + "» no es válido";
        if (!names.insert(field.name).second) return "el campo " + field.name + " está repetido";
        if (field.type == FieldType::Character &&
            (field.width < 1 || field.width > kMaxCharacterWidth))
            return "el campo " + field.name + " tiene un ancho fuera de 1..254";
    }
    for (const auto& field : storedFields(def)) recordLength += field.width;
    if (recordLength > kMaxRecordLength) return "sus registros superan 65535 bytes";
    return "";
}

std::string indexesProblem(const TableDef& def) {
    if (def.indexes.empty()) return "";
    if (def.level != TableLevel::DBase4) return "los índices solo se escriben en tablas dBase IV";
    if (def.indexes.size() > kMaxTags) return "tiene más de 47 índices";
    if (stemOf(def.fileName).size() > kMaxIndexFileStem)
        return "su nombre es demasiado largo para un archivo de índice";
    std::set<std::string> tags;
    for (const auto& index : def.indexes) {
        if (!validName(index.name, kMaxNameLevel4))
            return "el nombre de índice «" + text::utf8FromCp1252(index.name) + "» no es válido";
        if (!tags.insert(index.name).second) return "el índice " + index.name + " está repetido";
        const auto field = std::find_if(def.fields.begin(), def.fields.end(),
                                        [&](const FieldDef& f) { return f.name == index.fields; });
        if (field == def.fields.end())
            return "el índice " + index.name + " no se refiere a un único campo de la tabla";
        if (field->type == FieldType::Logical)
            return "el índice " + index.name + " está sobre un campo lógico";
        if (field->type == FieldType::Character && field->width > kMaxCharacterKey)
            return "el índice " + index.name + " está sobre un campo de más de 100 caracteres";
    }
    return "";
}

// A file written beside the table under a name no table has, removed unless moved into place.
class TemporaryFile {
public:
    TemporaryFile(const std::filesystem::path& dir, const std::string& finalName,
                  std::string_view bytes, const std::filesystem::path& table) {
        static std::atomic<unsigned> counter{0};
        m_path = dir / ("." + finalName + "." + std::to_string(::getpid()) + "-" +
                        std::to_string(counter++) + ".tmp");
        try {
            ByteFile file = ByteFile::createNew(m_path);
            m_created = true;
            file.write(0, bytes);
        } catch (const RunError& e) {
            if (m_created) remove();
            throw RunError("No se puede crear la tabla " + table.string() + ". " + e.what());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (m_created) remove();
    }

    void moveTo(const std::filesystem::path& target) {
        std::error_code error;
        std::filesystem::rename(m_path, target, error);
        if (error)
            throw RunError("No se puede crear la tabla " + target.string() + ": " +
                           systemErrorText(error.value()));
        m_created = false;
    }

private:
    void remove() {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
        m_created = false;
    }

    std::filesystem::path m_path;
    bool m_created = false;
};

// Every present file of the table (either name, any letter case), held under an exclusive lock.
std::vector<ByteFile> holdOldFiles(const std::filesystem::path& dir,
                                   const std::vector<std::string>& names,
                                   const std::filesystem::path& table) {
    std::vector<ByteFile> held;
    for (const auto& name : names) {
        for (const auto& path : filesIgnoringCase(dir, name)) {
            std::error_code error;
            if (!std::filesystem::is_regular_file(path, error)) continue;
            held.push_back(ByteFile::openExisting(path));
            if (!held.back().tryLock(LockKind::Exclusive))
                throw RunError("La tabla " + table.string() + " está en uso y no se puede crear "
                               "de nuevo (" + path.filename().string() + " está abierto).");
        }
    }
    return held;
}

}  // namespace

void Table::create(const std::filesystem::path& dir, const TableDef& given) {
    const TableDef def = normalised(given);
    const auto target = dir / def.fileName;
    std::string problem = fieldsProblem(def);
    if (problem.empty()) problem = indexesProblem(def);
    if (!problem.empty())
        throw RunError("No se puede crear la tabla " + target.string() + ": " + problem + ".");
    std::error_code error;
    if (!std::filesystem::is_directory(dir, error))
        throw RunError("No existe la carpeta " + dir.string() + ".");

    const std::string indexName = stemOf(def.fileName) + ".MDX";
    const auto held = holdOldFiles(dir, {def.fileName, indexName}, target);
    const Date date = today();
    TemporaryFile table(dir, def.fileName, headerBytes(def, date) + kEndOfFile, target);
    if (!def.indexes.empty()) {
        TemporaryFile index(dir, indexName, productionIndexBytes(def, date), target);
        index.moveTo(dir / indexName);
    }
    table.moveTo(target);
    // Old files under another letter case, and an index the new table does not have.
    for (const auto& old : held) {
        const auto name = old.path().filename().string();
        if (name == def.fileName || (name == indexName && !def.indexes.empty())) continue;
        std::filesystem::remove(old.path(), error);
    }
}

}  // namespace stores::dbf
