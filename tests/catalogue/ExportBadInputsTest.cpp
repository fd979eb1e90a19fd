// Broken school documents and broken surroundings, each run through the batch tool's "exportar"
// over the tables of an earlier export. The outcomes are the export section of docs/bad-inputs.md.
#include "support/Catalogue.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>

namespace {

using namespace catalogue;
namespace fs = std::filesystem;

struct Places {
    fs::path document;
    fs::path exchange;
    fs::path folder;
};

// What a case changes around the run, besides the document.
struct Surroundings {
    std::vector<std::string> options;
    std::string shellSetup;
    std::unique_ptr<HeldFile> held;
    std::vector<fs::path> readOnly;
};

struct Probe {
    std::string table, field;
    int row;
};

struct Case {
    std::string input;
    std::string document;
    std::function<void(const Places&, Surroundings&)> prepare = nullptr;
    std::vector<Probe> probes = {};
};

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    if (at == std::string::npos) throw std::logic_error("no " + from);
    return text.replace(at, from.size(), to);
}

std::string withBlocks(const std::function<void(std::vector<Block>&)>& change) {
    auto blocks = smallSchool();
    change(blocks);
    return schoolXml(blocks);
}

// UTF-8 text as UTF-16 little-endian with its byte-order mark.
std::string utf16(const std::string& utf8) {
    std::string out = "\xFF\xFE";
    const auto unit = [&](char32_t u) { out += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)}; };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += static_cast<std::size_t>(length);
        if (c < 0x10000) {
            unit(c);
        } else {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string nested(int depth) {
    std::string xml = "<SERVICIO><BLOQUE_DATOS>";
    for (int i = 0; i < depth; ++i) xml += "<grupo_datos>";
    for (int i = 0; i < depth; ++i) xml += "</grupo_datos>";
    return xml + "</BLOQUE_DATOS></SERVICIO>";
}

std::string billionLaughs() {
    std::string dtd = "<!DOCTYPE SERVICIO [<!ENTITY lol0 \"lol\">";
    for (int i = 1; i < 10; ++i)
        dtd += "<!ENTITY lol" + std::to_string(i) + " \"" + [&] {
            std::string refs;
            for (int k = 0; k < 10; ++k) refs += "&lol" + std::to_string(i - 1) + ";";
            return refs;
        }() + "\">";
    return "<?xml version=\"1.0\"?>\n" + dtd + "]>\n<SERVICIO><BLOQUE_DATOS>&lol9;</BLOQUE_DATOS></SERVICIO>";
}

std::vector<Case> cases() {
    const std::string school = schoolXml(smallSchool());
    const auto lengthy = std::string(5000, 'x');
    return {
        {"Document cut short inside a record", school.substr(0, school.find("Lengua Castellana") + 6)},
        {"End tag that does not match its start tag (`</datos>`)",
         replaced(school, "<dato>Aula 1.01</dato>", "<dato>Aula 1.01</datos>")},
        {"Bare `&` in a value", replaced(school, "Aula 1.01", "Aula 1 & 2")},
        {"Attribute value without quotes", replaced(school, "seq=\"MATERIAS\"", "seq=MATERIAS")},
        {"Text before the XML declaration", "Exportado por Veltrana\n" + school},
        {"Empty file (0 bytes)", ""},
        {"Binary bytes instead of XML", std::string("\x03\x7E\x0C\x0B\x02\x00\x00\x00\x61\x00", 10)},
        {"Root element other than SERVICIO",
         replaced(replaced(school, "<SERVICIO>", "<HORARIOS>"), "</SERVICIO>", "</HORARIOS>")},
        {"No data section (BLOQUE_DATOS)", "<SERVICIO><OTRO/></SERVICIO>"},
        {"No time-frame block (JORNADAS_ESCOLARES)",
         withBlocks([](auto& b) { std::erase_if(b, [](const Block& x) { return x.seq == "JORNADAS_ESCOLARES"; }); })},
        {"Only the time-frame and slot blocks; every other block missing",
         withBlocks([](auto& b) {
             std::erase_if(b, [](const Block& x) {
                 return x.seq != "JORNADAS_ESCOLARES" && x.seq != "TRAMOS_HORARIOS";
             });
         })},
        {"Records lacking positions: a subject with 2 values, a teacher with 3, a unit with 2, a "
         "frame with 1, a slot with 4",
         withBlocks([](auto& b) {
             block(b, "MATERIAS").records[1].resize(2);
             block(b, "EMPLEADOS").records[1].resize(3);
             block(b, "UNIDADES").records[1].resize(2);
             block(b, "JORNADAS_ESCOLARES").records[0].resize(1);
             block(b, "TRAMOS_HORARIOS").records[2].resize(4);
         }),
         nullptr,
         {{"ASIGNOMT", "NOMBRE", 2}, {"PROFT", "NOMBRE", 2}, {"GRUPOST", "DESCRIP", 2}, {"PERIODOS", "JORNADA", 1}}},
        {"Course key that is not a number (`1º ESO`)",
         withBlocks([](auto& b) { block(b, "CURSOS_DEL_CENTRO").records[0][0] = "1º ESO"; })},
        {"Course key beyond 32 bits (`99999999999`)",
         withBlocks([](auto& b) { block(b, "CURSOS_DEL_CENTRO").records[0][0] = "99999999999"; })},
        {"Slot start that is not a number of minutes (`8:15`)",
         withBlocks([](auto& b) { block(b, "TRAMOS_HORARIOS").records[1][2] = "8:15"; })},
        {"Slot end beyond 32 bits (`99999999999`)",
         withBlocks([](auto& b) { block(b, "TRAMOS_HORARIOS").records[1][3] = "99999999999"; })},
        {"Slot start of 99,999,999 minutes",
         withBlocks([](auto& b) { block(b, "TRAMOS_HORARIOS").records[0][2] = "99999999"; }),
         nullptr, {{"DIASHORAST", "HORADESDE", 1}, {"DIASHORAST", "MINUTOS", 1}}},
        {"Names of 5,000 characters (subject, teacher, room, unit)",
         withBlocks([&](auto& b) {
             block(b, "MATERIAS").records[0][2] = "Matemáticas " + lengthy;
             block(b, "EMPLEADOS").records[0][3] = "García " + lengthy;
             block(b, "DEPENDENCIAS").records[0][1] = "Aula " + lengthy;
             block(b, "UNIDADES").records[0][1] = "1º ESO A " + lengthy;
         }),
         nullptr, {{"ASIGNOMT", "COD", 1}, {"PROFT", "NOMBRE", 1}, {"GRUPOST", "ABREV", 1}}},
        {"Characters outside cp1252 in a name (`Ā`, `漢`, `😀`)",
         withBlocks([](auto& b) { block(b, "MATERIAS").records[0][2] = "Matemáticas Ā漢😀"; }),
         nullptr, {{"ASIGNOMT", "NOMBRE", 1}}},
        {"Control character U+0001 written raw in a value",
         replaced(school, "Aula 1.01", std::string("Aula\x01 1.01"))},
        {"Control character as a reference (`&#1;`)", replaced(school, "Aula 1.01", "Aula&#1; 1.01")},
        {"Tab and line break inside a name",
         withBlocks([](auto& b) { block(b, "MATERIAS").records[0][2] = "\tMatemáticas\nII"; }),
         nullptr, {{"ASIGNOMT", "NOMBRE", 1}}},
        {"UTF-16 with byte-order mark",
         utf16(schoolXml({{"MATERIAS", {{"1", "2", "Música €"}}}, smallSchool()[6], smallSchool()[7]},
                         "<?xml version=\"1.0\" encoding=\"UTF-16\"?>")),
         nullptr, {{"ASIGNOMT", "NOMBRE", 1}}},
        {"Declared UTF-16 but written in UTF-8",
         schoolXml(smallSchool(), "<?xml version=\"1.0\" encoding=\"UTF-16\"?>")},
        {"Latin-1 bytes without an encoding declaration",
         schoolXml({{"MATERIAS", {{"1", "2", "M\xFAsica"}}}, smallSchool()[6], smallSchool()[7]}, "")},
        {"Declared windows-1252",
         schoolXml({{"MATERIAS", {{"1", "2", "M\xFAsica \x80"}}}, smallSchool()[6], smallSchool()[7]},
                   "<?xml version=\"1.0\" encoding=\"windows-1252\"?>"),
         nullptr, {{"ASIGNOMT", "NOMBRE", 1}}},
        {"External entity (`<!ENTITY x SYSTEM \"file:///etc/passwd\">`)",
         replaced(replaced(school, "<SERVICIO>",
                           "<!DOCTYPE SERVICIO [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n<SERVICIO>"),
                  "Aula 1.01", "&x;")},
        {"Entities that expand a billion times", billionLaughs()},
        {"Internal entity (`<!ENTITY e \"Aula\">`)",
         replaced(replaced(school, "<SERVICIO>", "<!DOCTYPE SERVICIO [<!ENTITY e \"Aula\">]>\n<SERVICIO>"),
                  "Aula 1.01", "&e; 1.01")},
        {"Reference to an external DTD, nothing declared",
         replaced(school, "<SERVICIO>",
                  "<!DOCTYPE SERVICIO SYSTEM \"http://veltrana.invalid/servicio.dtd\">\n<SERVICIO>")},
        {"Elements nested 100,000 deep", nested(100000)},
        {"A value of 11,000,000 characters", replaced(school, "Aula 1.01", std::string(11000000, 'a'))},
        {"The document does not exist", school,
         [](const Places& p, Surroundings&) { fs::remove(p.document); }},
        {"The document is a folder", school,
         [](const Places& p, Surroundings&) {
             fs::remove(p.document);
             fs::create_directory(p.document);
         }},
        {"Reference table missing", school,
         [](const Places& p, Surroundings& s) { s.options = {"--nivelex", (p.folder / "NIVELEX.DBF").string()}; }},
        {"Reference table damaged (cut to 20 bytes)", school,
         [](const Places& p, Surroundings& s) {
             const auto copy = p.folder / "NIVELEX.DBF";
             std::ofstream(copy, std::ios::binary) << ScratchFolder::read(BIN_DIR "/NIVELEX.DBF").substr(0, 20);
             s.options = {"--nivelex", copy.string()};
         }},
        {"Exchange directory missing", school,
         [](const Places& p, Surroundings&) { fs::remove_all(p.exchange); }},
        {"Exchange directory read-only", school,
         [](const Places& p, Surroundings& s) {
             if (!makeReadOnly(p.exchange)) throw std::runtime_error("cannot make a folder read-only here");
             s.readOnly.push_back(p.exchange);
         }},
        {"Disk full: no file may grow past 1 KB (ulimit -f 2)", school,
         [](const Places&, Surroundings& s) { s.shellSetup = "ulimit -f 2"; }},
        {"A table held open by another program (ASIGNOMT)", school,
         [](const Places& p, Surroundings& s) {
             s.held = std::make_unique<HeldFile>(p.exchange / "ASIGNOMT.DBF", false);
         }},
    };
}

// The tables an earlier export of the small school left, copied into each case's exchange folder;
// dated back, so that what a case writes again shows.
const fs::path& earlierTables() {
    static const ScratchFolder folder;
    static const fs::path exchange = [] {
        const auto dir = exportSmallSchool(folder);
        backdateTables(dir);
        return dir;
    }();
    return exchange;
}

TEST(BadInputs, ExportOutcomesAreTheDocumentedOnes) {
    std::vector<Row> rows;
    for (const auto& c : cases()) {
        SCOPED_TRACE(c.input);
        ScratchFolder folder;
        const Places places{folder.path() / "centro.xml", folder.path() / "KTEMP", folder.path()};
        fs::copy(earlierTables(), places.exchange);
        folder.write("centro.xml", c.document);
        Surroundings around;
        if (c.prepare) c.prepare(places, around);
        const bool exchangeExists = fs::exists(places.exchange);
        const FolderImage before = exchangeExists ? imageOf(places.exchange) : FolderImage{};

        std::vector<std::string> words = {"exportar", places.document.string(), "--intercambio",
                                          places.exchange.string()};
        words.insert(words.end(), around.options.begin(), around.options.end());
        const ToolRun run = runTool(words, around.shellSetup);
        around.held.reset();
        for (const auto& dir : around.readOnly) makeWritable(dir);

        expectOrderlyEnd(run, exchangeExists ? std::vector<fs::path>{places.exchange} : std::vector<fs::path>{});
        std::string left = exchangeExists ? describeExchange(before, places.exchange) : "nada (no hay carpeta)";
        if (run.status == 0)
            for (const auto& p : c.probes) left += "; " + probe(places.exchange, p.table, p.field, p.row);
        rows.push_back({c.input, run.status, withoutFolder(messageOf(run), folder.path()),
                        withoutFolder(left, folder.path())});
    }
    expectDocumented("export", rows);
}

}  // namespace
