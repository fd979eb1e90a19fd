#include "ImportFixture.h"

#include "stores/TableCatalogue.h"
#include "stores/XmlDocument.h"
#include "stores/dbf/Table.h"
#include "text/Cp1252.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace importtest {
namespace {

constexpr const char* kSolucFields =
    "PROF C(10); DIA N(2,0); HORA N(2,0); MARCO C(2); ASIG C(10); CODGRUPO C(10); TAREA C(12); "
    "AULA C(10)";

std::string jsonString(const std::string& cp1252) {
    std::string out = "\"";
    for (const char c : text::utf8FromCp1252(cp1252)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// The type letter of every field in "NAME C(10); NAME N(2,0); ...".
std::vector<char> fieldTypes(const std::string& fields) {
    std::vector<char> types;
    std::istringstream parts(fields);
    std::string part;
    while (std::getline(parts, part, ';')) {
        std::istringstream words(part);
        std::string name, type;
        words >> name >> type;
        if (!type.empty()) types.push_back(type[0]);
    }
    return types;
}

}  // namespace

void writeExchangeTable(const std::filesystem::path& dir, std::string_view table,
                        const std::vector<Row>& rows) {
    stores::createExchangeTable(dir, table);
    auto out = stores::dbf::Table::open(dir, table, stores::dbf::OpenMode::Exclusive);
    for (const auto& row : rows) {
        out.append();
        for (const auto& [field, value] : row) out.setText(field, value);
        out.post();
    }
    out.close();
}

void writeSoluc(const std::filesystem::path& dir, const std::vector<std::vector<std::string>>& rows,
                const std::string& fields) {
    const std::string layout = fields.empty() ? kSolucFields : fields;
    const auto types = fieldTypes(layout);
    std::string json = "{\"fields\": " + jsonString(layout) + ", \"rows\": [";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        json += r ? ", [" : "[";
        for (std::size_t f = 0; f < rows[r].size(); ++f) {
            const std::string& value = rows[r][f];
            if (f) json += ", ";
            const bool number = f < types.size() && (types[f] == 'N' || types[f] == 'F');
            json += !number ? jsonString(value) : value.empty() ? std::string("null") : value;
        }
        json += "]";
    }
    json += "]}";
    const auto request = dir / "soluc-rows.json";
    std::ofstream(request, std::ios::binary) << json;
    const auto result = runCommand(std::string(PYTHON3) + " " + shellQuoted(TOOLS_DIR "/write_soluc.py") +
                                   " " + shellQuoted((dir / "SOLUC.DBF").string()) + " < " +
                                   shellQuoted(request.string()));
    std::filesystem::remove(request);
    if (result.status != 0) throw std::runtime_error("write_soluc.py failed: " + result.err);
}

bool makeReadOnly(const std::filesystem::path& folder) {
    if (::geteuid() == 0) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return false;
        int flags = 0;
        const bool set = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                         (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
        ::close(fd);
        if (!set) return false;
    } else {
        std::filesystem::permissions(folder, std::filesystem::perms::owner_write |
                                                 std::filesystem::perms::group_write |
                                                 std::filesystem::perms::others_write,
                                     std::filesystem::perm_options::remove);
    }
    const auto probe = folder / ".probe";
    std::ofstream(probe).put('x');
    if (!std::filesystem::exists(probe)) return true;
    std::filesystem::remove(probe);
    makeWritable(folder);
    return false;
}

void makeWritable(const std::filesystem::path& folder) {
    if (::geteuid() == 0) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        ::close(fd);
    }
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
}

std::string schoolDocument(const std::string& schoolYearText) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<SERVICIO modulo=\"SENECA\" tipo=\"E\">\n"
           "  <BLOQUE_DATOS>\n"
           "    <grupo_datos seq=\"ANNO\"><dato>" + schoolYearText + "</dato></grupo_datos>\n"
           "    <grupo_datos seq=\"MATERIAS\"><grupo_datos><dato>1</dato><dato>2</dato></grupo_datos></grupo_datos>\n"
           "  </BLOQUE_DATOS>\n"
           "</SERVICIO>\n";
}

std::string shellQuoted(const std::string& word) {
    std::string out = "'";
    for (const char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

CommandResult runCommand(const std::string& commandLine) {
    ScratchFolder scratch;
    const auto out = scratch.path() / "out";
    const auto err = scratch.path() / "err";
    const int raw = std::system((commandLine + " > " + shellQuoted(out.string()) + " 2> " +
                                 shellQuoted(err.string())).c_str());
    CommandResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = ScratchFolder::read(out);
    result.err = ScratchFolder::read(err);
    return result;
}

ResultOut readResult(const std::filesystem::path& file) {
    auto document = stores::XmlDocument::load(file);
    ResultOut result;
    auto data = document.selectSingle("/SERVICIO/BLOQUE_DATOS");
    const auto groups = data.children("grupo_datos");
    if (groups.size() != 2) throw std::runtime_error("BLOQUE_DATOS should hold two groups");
    result.schoolYear = groups[0].selectSingle("dato[@nombre_dato='C_ANNO']").text();
    result.teacherCount = groups[1].attribute("registros");
    for (const auto& teacherGroup : groups[1].children("grupo_datos")) {
        TeacherOut teacher{teacherGroup.attribute("seq"), teacherGroup.attribute("registros"), {}, {}};
        for (const auto& dato : teacherGroup.children("dato"))
            teacher.values.emplace_back(dato.attribute("nombre_dato"), dato.text());
        for (const auto& activityGroup : teacherGroup.children("grupo_datos")) {
            ActivityOut activity{activityGroup.attribute("seq"), {}};
            for (const auto& dato : activityGroup.children("dato"))
                activity.values.emplace_back(dato.attribute("nombre_dato"), dato.text());
            teacher.activities.push_back(std::move(activity));
        }
        result.teachers.push_back(std::move(teacher));
    }
    return result;
}

}  // namespace importtest
