// Running the batch tool on a case, describing what it left, and keeping docs/bad-inputs.md in step.
#include "Catalogue.h"

#include "stores/RunError.h"
#include "stores/TableCatalogue.h"
#include "stores/dbf/Table.h"
#include "text/Cp1252.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>

namespace catalogue {
namespace {

namespace fs = std::filesystem;

const std::string kTool = BIN_DIR "/DuzezErozaraDiruzidu-cli";
const std::string kDocument = DOCS_DIR "/bad-inputs.md";

std::string shellQuoted(const std::string& word) {
    std::string out = "'";
    for (const char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string rowsText(std::int64_t rows) {
    return std::to_string(rows) + (rows == 1 ? " fila" : " filas");
}

// The nine tables in the order the export writes them, each index file after its table, then
// anything else by name.
int rank(const std::string& file) {
    const auto& order = stores::exchangeTablesInCreationOrder();
    const std::string stem = file.substr(0, file.find('.'));
    const auto at = std::find(order.begin(), order.end(), stem);
    if (file.front() == '.' || at == order.end()) return 100;
    return 2 * static_cast<int>(at - order.begin()) + (file.ends_with(".DBF") ? 0 : 1);
}

std::string shownName(const std::string& file) {
    return file.ends_with(".DBF") ? file.substr(0, file.size() - 4) : file;
}

std::string tableState(const fs::path& folder, const std::string& file) {
    if (!file.ends_with(".DBF")) return shownName(file);
    try {
        auto table = stores::dbf::Table::open(folder, file);
        return shownName(file) + " (" + rowsText(table.rowCount()) + ")";
    } catch (const stores::RunError& e) {
        return shownName(file) + " (ilegible: " + e.what() + ")";
    }
}

std::string joined(const std::vector<std::string>& items, const std::string& separator = ", ") {
    std::string out;
    for (const auto& item : items) out += (out.empty() ? "" : separator) + item;
    return out;
}

// A table cell that renders as the text: markup characters escaped, line breaks as <br>.
std::string cell(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        switch (text[i]) {
        case '|': out += "\\|"; break;
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '\n': out += "<br>"; break;
        case '\r':
            if (i + 1 < text.size() && text[i + 1] == '\n') break;
            out += "<br>";
            break;
        default: out += text[i];
        }
    }
    return out;
}

std::string markdownTable(const std::vector<Row>& rows) {
    std::string table = "| Input | Exit | Message | Left on disk |\n|---|---|---|---|\n";
    for (const auto& row : rows)
        table += "| " + cell(row.input) + " | " + std::to_string(row.status) + " | " +
                 cell(row.message) + " | " + cell(row.left) + " |\n";
    return table;
}

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

std::string diffOf(const std::string& documented, const std::string& actual) {
    ScratchFolder folder;
    const auto a = folder.write("documented.md", documented);
    const auto b = folder.write("actual.md", actual);
    std::string out;
    if (FILE* pipe = ::popen(("diff -u " + shellQuoted(a.string()) + " " + shellQuoted(b.string())).c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

bool setImmutable(const fs::path& folder, bool on) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

}  // namespace

std::vector<Block> smallSchool() {
    return {
        {"MATERIAS", {{"103001", "000001", "Matemáticas"}, {"103001", "000002", "Lengua Castellana"}}},
        {"ACTIVIDADES", {{"A01", "GUARDIA", "Guardia"}}},
        {"EMPLEADOS",
         {{"1001", "01/09/2015", "Matemáticas", "García", "López", "Ana"},
          {"1002", "01/09/2018", "Lengua", "Pérez", "Ruiz", "Luis"}}},
        {"DEPENDENCIAS", {{"A101", "Aula 1.01"}}},
        {"CURSOS_DEL_CENTRO", {{"103001", "1º ESO"}}},
        {"UNIDADES", {{"U101", "1º ESO A", "103001"}, {"U102", "1º ESO B", "103001"}}},
        {"JORNADAS_ESCOLARES", {{"ORD", "Jornada ordinaria", "15/09/2026", "31/05/2027"}}},
        {"TRAMOS_HORARIOS",
         {{"O1", "1ª hora", "495", "550", "ORD"},
          {"O2", "2ª hora", "550", "605", "ORD"},
          {"O3", "3ª hora", "635", "690", "ORD"}}},
    };
}

fs::path exportSmallSchool(const ScratchFolder& folder) {
    const auto dir = folder.path() / "KTEMP";
    fs::create_directory(dir);
    const auto document = folder.write("centro.xml", schoolXml(smallSchool()));
    const auto run = runTool({"exportar", document.string(), "--intercambio", dir.string()});
    if (run.status != 0) throw std::runtime_error("the export of the small school failed: " + run.err);
    return dir;
}

Block& block(std::vector<Block>& blocks, const std::string& seq) {
    for (auto& b : blocks)
        if (b.seq == seq) return b;
    throw std::logic_error("no block " + seq);
}

ToolRun runTool(const std::vector<std::string>& words, const std::string& shellSetup) {
    ScratchFolder folder;
    const auto out = folder.path() / "out";
    const auto err = folder.path() / "err";
    std::string command = shellSetup + (shellSetup.empty() ? "" : "; ") + "exec " + shellQuoted(kTool);
    for (const auto& word : words) command += " " + shellQuoted(word);
    command += " >" + shellQuoted(out.string()) + " 2>" + shellQuoted(err.string()) + " </dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out), readFile(err)};
}

FolderImage imageOf(const fs::path& folder) {
    FolderImage image;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file())
            image[entry.path().filename().string()] = readFile(entry.path());
    return image;
}

void backdateTables(const fs::path& folder) {
    const std::string date = {99, 1, 1};  // year - 1900, month, day
    for (const auto& [name, bytes] : imageOf(folder)) {
        std::string dated = bytes;
        dated.replace(1, 3, date);
        if (name.ends_with(".MDX")) dated.replace(44, 3, date);  // the index's last update
        writeFile(folder / name, dated);
    }
}

std::string describeExchange(const FolderImage& before, const fs::path& folder) {
    const FolderImage after = imageOf(folder);
    std::vector<std::string> names;
    for (const auto& [name, bytes] : after) names.push_back(name);
    for (const auto& [name, bytes] : before)
        if (!after.contains(name)) names.push_back(name);
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return rank(a) < rank(b); });
    std::vector<std::string> written, unchanged, gone, temporary;
    for (const auto& name : names) {
        const auto now = after.find(name);
        const auto then = before.find(name);
        if (now == after.end()) gone.push_back(shownName(name));
        else if (name.front() == '.') temporary.push_back(name);
        else if (then != before.end() && then->second == now->second) unchanged.push_back(shownName(name));
        else written.push_back(tableState(folder, name));
    }
    std::vector<std::string> parts;
    if (!written.empty()) parts.push_back("escritas: " + joined(written));
    if (!unchanged.empty()) parts.push_back("sin cambios: " + joined(unchanged));
    if (!gone.empty()) parts.push_back("borradas: " + joined(gone));
    if (!temporary.empty()) parts.push_back("temporales: " + joined(temporary));
    return parts.empty() ? "carpeta vacía" : joined(parts, "; ");
}

std::string probe(const fs::path& folder, const std::string& table, const std::string& field, int row) {
    auto opened = stores::dbf::Table::open(folder, table);
    for (int i = 1; i < row && !opened.atEnd(); ++i) opened.next();
    return table + "." + field + "[" + std::to_string(row) + "] = «" +
           text::utf8FromCp1252(opened.text(field)) + "»";
}

std::string messageOf(const ToolRun& run) {
    std::string message = run.err.empty() ? run.out : run.err;
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
    return message;
}

std::string withoutFolder(std::string text, const fs::path& folder) {
    const std::string path = folder.string();
    for (std::size_t at; (at = text.find(path)) != std::string::npos;) text.replace(at, path.size(), "…");
    static const std::regex temporary(R"(\.([^/ ]+)\.[0-9]+-[0-9]+\.tmp)");
    return std::regex_replace(text, temporary, ".$1.PID-N.tmp");
}

void expectOrderlyEnd(const ToolRun& run, const std::vector<fs::path>& folders) {
    EXPECT_TRUE(run.status == 0 || run.status == 1) << "exit status " << run.status << "\n" << run.err;
    if (run.status == 0) {
        EXPECT_EQ(run.out.rfind("Proceso finalizado\n", 0), 0u) << run.out;
        EXPECT_EQ(run.err, "");
    } else {
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err, "") << "a run that stops says why";
    }
    for (const auto& folder : folders)
        for (const auto& entry : fs::directory_iterator(folder))
            EXPECT_NE(entry.path().filename().string().front(), '.')
                << "temporary file left behind: " << entry.path();
}

void expectDocumented(const std::string& section, const std::vector<Row>& rows) {
    const std::string begin = "<!-- begin: " + section + " -->\n";
    const std::string end = "<!-- end: " + section + " -->";
    const int lock = ::open(kDocument.c_str(), O_RDWR);
    ASSERT_GE(lock, 0) << kDocument << " is missing";
    ::flock(lock, LOCK_EX);  // the export and import catalogues may update it at the same time
    std::string document = readFile(kDocument);
    const auto from = document.find(begin);
    const auto to = document.find(end);
    if (from == std::string::npos || to == std::string::npos || to < from) {
        ::close(lock);
        FAIL() << kDocument << " lacks the lines \"" << begin << "\" and \"" << end << "\"";
    }
    const std::size_t start = from + begin.size();
    const std::string documented = document.substr(start, to - start);
    const std::string actual = markdownTable(rows);
    const char* update = std::getenv("UPDATE_BAD_INPUTS");
    if (update != nullptr && std::string(update) == "1") {
        document.replace(start, to - start, actual);
        writeFile(kDocument, document);
    } else {
        EXPECT_TRUE(documented == actual)
            << "The catalogue of bad inputs in " << kDocument << " (section " << section
            << ") differs from what the tool does now:\n"
            << diffOf(documented, actual)
            << "If the new behaviour is right, write it into the document with\n"
               "  UPDATE_BAD_INPUTS=1 ctest --test-dir build -R BadInputs\n"
               "and review the change.";
    }
    ::close(lock);
}

bool makeReadOnly(const fs::path& folder) {
    if (::geteuid() == 0) {
        if (!setImmutable(folder, true)) return false;
    } else {
        fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    }
    const auto probeFile = folder / "probe";
    std::ofstream(probeFile).put('x');
    if (!fs::exists(probeFile)) return true;
    fs::remove(probeFile);
    makeWritable(folder);
    return false;
}

void makeWritable(const fs::path& folder) {
    if (::geteuid() == 0) setImmutable(folder, false);
    else fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
}

HeldFile::HeldFile(const fs::path& file, bool exclusive) : m_fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (m_fd < 0 || ::flock(m_fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0)
        throw std::runtime_error("cannot hold " + file.string());
}

HeldFile::~HeldFile() {
    if (m_fd >= 0) ::close(m_fd);
}

}  // namespace catalogue
