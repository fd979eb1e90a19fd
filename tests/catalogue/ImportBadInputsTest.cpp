// Broken solution tables, exchange tables, documents and surroundings, each run through the
// batch tool's "importar" beside the result of an earlier import. The outcomes are the import
// section of docs/bad-inputs.md.
#include "support/Catalogue.h"

#include "stores/RunError.h"
#include "stores/XmlDocument.h"
#include "stores/dbf/Table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>

namespace {

using namespace catalogue;
namespace fs = std::filesystem;
using stores::dbf::FieldType;
using stores::dbf::Table;

const std::string kEarlierResult = "resultado anterior\n";

struct Places {
    fs::path document;
    fs::path result;
    fs::path exchange;
};

struct Surroundings {
    std::string shellSetup;
    std::unique_ptr<HeldFile> held;
    std::vector<fs::path> readOnly;
};

using Preparation = std::function<void(const Places&, Surroundings&)>;

struct Case {
    std::string input;
    Preparation prepare;
};

// One SOLUC row: PROF, DIA, HORA, MARCO, ASIG, CODGRUPO, TAREA, AULA (cp1252 text).
using Lesson = std::vector<std::string>;

struct SolucField {
    std::string name;
    FieldType type;
    int width;
};

// SOLUC as written below: a 289-byte header (eight fields) and records of 76 bytes.
constexpr std::size_t kSolucHeader = 32 + 8 * 32 + 1;
constexpr std::size_t kSolucRecord = 1 + 10 + 11 + 11 + 1 + 10 + 10 + 12 + 10;

const std::vector<SolucField> kSolucFields = {
    {"PROF", FieldType::Character, 10}, {"DIA", FieldType::Integer, 0},
    {"HORA", FieldType::Integer, 0},    {"MARCO", FieldType::Character, 1},
    {"ASIG", FieldType::Character, 10}, {"CODGRUPO", FieldType::Character, 10},
    {"TAREA", FieldType::Character, 12}, {"AULA", FieldType::Character, 10}};

// Writes SOLUC.DBF with these fields (those of kSolucFields, by default) and rows.
void writeSoluc(const fs::path& dir, const std::vector<Lesson>& lessons,
                std::vector<SolucField> fields = kSolucFields) {
    stores::dbf::TableDef def{"SOLUC.DBF", {}, {}, stores::dbf::TableLevel::DBase4};
    for (const auto& f : fields) def.fields.push_back({f.name, f.type, f.width});
    Table::create(dir, def);
    auto table = Table::open(dir, "SOLUC.DBF");
    for (const auto& lesson : lessons) {
        table.append();
        for (std::size_t i = 0; i < fields.size() && i < lesson.size(); ++i)
            table.setText(fields[i].name, lesson[i]);
        table.post();
    }
    table.close();
}

std::string textOf(const fs::path& dir, const std::string& table, const std::string& field) {
    return Table::open(dir, table).text(field);
}

// Three lessons of two teachers and a row that is no lesson, in the tables of the small school.
std::vector<Lesson> lessons(const fs::path& exchange) {
    const std::string subject = textOf(exchange, "ASIGNOMT", "COD");
    return {{"GLA", "1", "1", "0", subject, "1\xBA ESO A", "", "A101"},
            {"GLA", "2", "3", "0", subject, "1\xBA ESO A", "", ""},
            {"PRL", "3", "2", "0", subject, "1\xBA ESO B", "", ""},
            {"PRL", "0", "0", "", "", "", "", ""}};
}

std::string withBytes(std::string file, std::size_t at, const std::string& replacement) {
    return file.replace(at, replacement.size(), replacement);
}

// Changes SOLUC.DBF's bytes.
Preparation damagedSoluc(std::function<std::string(std::string)> change) {
    return [change](const Places& p, Surroundings&) {
        const auto file = p.exchange / "SOLUC.DBF";
        const std::string bytes = change(ScratchFolder::read(file));
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    };
}

Preparation otherSoluc(std::function<void(const fs::path&)> write) {
    return [write](const Places& p, Surroundings&) { write(p.exchange); };
}

std::vector<Case> cases() {
    return {
        {"SOLUC.DBF missing", [](const Places& p, Surroundings&) { fs::remove(p.exchange / "SOLUC.DBF"); }},
        {"SOLUC.DBF empty (0 bytes)", damagedSoluc([](std::string) { return std::string(); })},
        {"SOLUC.DBF cut inside its header (20 bytes)",
         damagedSoluc([](std::string bytes) { return bytes.substr(0, 20); })},
        {"SOLUC.DBF cut in the middle of its third record",
         damagedSoluc([](std::string bytes) { return bytes.substr(0, kSolucHeader + 2 * kSolucRecord + 30); })},
        {"SOLUC.DBF whose record length disagrees with its fields",
         damagedSoluc([](std::string bytes) { return withBytes(bytes, 10, std::string("\x50\x00", 2)); })},
        {"SOLUC.DBF with an unknown version byte (0x07)",
         damagedSoluc([](std::string bytes) { return withBytes(bytes, 0, "\x07"); })},
        {"SOLUC.DBF that is a text file (CSV)",
         damagedSoluc([](std::string) { return std::string("PROF;DIA;HORA\nGLA;1;1\n"); })},
        {"SOLUC.DBF declaring more records than it holds, one of them deleted",
         damagedSoluc([](std::string bytes) {
             bytes = withBytes(bytes, 4, std::string("\x40\x00\x00\x00", 4));
             return withBytes(bytes, kSolucHeader, "*");
         })},
        {"SOLUC.DBF without the field HORA", otherSoluc([](const fs::path& dir) {
             auto fields = kSolucFields;
             fields.erase(fields.begin() + 2);
             writeSoluc(dir, {{"GLA", "1", "0", "MAT"}}, fields);
         })},
        {"SOLUC.DBF with text in DIA (`lunes`)", otherSoluc([](const fs::path& dir) {
             auto fields = kSolucFields;
             fields[1] = {"DIA", FieldType::Character, 10};
             auto rows = lessons(dir);
             rows[1][1] = "lunes";
             writeSoluc(dir, rows, fields);
         })},
        {"SOLUC.DBF with a DIA beyond 32 bits (`99999999999`)", otherSoluc([](const fs::path& dir) {
             auto rows = lessons(dir);
             rows[2][1] = "99999999999";
             writeSoluc(dir, rows);
         })},
        {"SOLUC.DBF held open by another program", [](const Places& p, Surroundings& s) {
             s.held = std::make_unique<HeldFile>(p.exchange / "SOLUC.DBF", false);
         }},
        {"PROFT.DBF missing", [](const Places& p, Surroundings&) { fs::remove(p.exchange / "PROFT.DBF"); }},
        {"PROFT.DBF empty (0 bytes)", [](const Places& p, Surroundings&) {
             std::ofstream(p.exchange / "PROFT.DBF", std::ios::trunc);
         }},
        {"DIASHORAST.DBF with a slot time that is no clock time (`8:5`)",
         [](const Places& p, Surroundings&) {
             auto table = Table::open(p.exchange, "DIASHORAST");
             table.edit();
             table.setText("HORADESDE", "8:5");
             table.close();
         }},
        {"PERIODOS.DBF missing", [](const Places& p, Surroundings&) { fs::remove(p.exchange / "PERIODOS.DBF"); }},
        {"Document not well-formed", [](const Places& p, Surroundings&) {
             std::ofstream(p.document) << "<SERVICIO><BLOQUE_DATOS></SERVICIO>";
         }},
        {"Document without BLOQUE_DATOS", [](const Places& p, Surroundings&) {
             std::ofstream(p.document) << "<SERVICIO><OTRO>2026</OTRO></SERVICIO>";
         }},
        {"Document declaring an entity", [](const Places& p, Surroundings&) {
             std::ofstream(p.document) << "<!DOCTYPE SERVICIO [<!ENTITY a \"2026\">]>\n"
                                          "<SERVICIO><BLOQUE_DATOS><grupo_datos>&a;</grupo_datos>"
                                          "</BLOQUE_DATOS></SERVICIO>";
         }},
        {"Document in UTF-16", [](const Places& p, Surroundings&) {
             std::string utf16 = "\xFF\xFE";
             for (const char c : std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<SERVICIO>"
                                             "<BLOQUE_DATOS><grupo_datos><dato>2026</dato></grupo_datos>"
                                             "</BLOQUE_DATOS></SERVICIO>"))
                 utf16 += std::string{c, '\0'};
             std::ofstream(p.document, std::ios::binary) << utf16;
         }},
        {"The document does not exist", [](const Places& p, Surroundings&) { fs::remove(p.document); }},
        {"Exchange directory missing", [](const Places& p, Surroundings&) { fs::remove_all(p.exchange); }},
        {"Exchange directory read-only (the import only reads there)", [](const Places& p, Surroundings& s) {
             if (!makeReadOnly(p.exchange)) throw std::runtime_error("cannot make a folder read-only here");
             s.readOnly.push_back(p.exchange);
         }},
        {"Result folder read-only", [](const Places& p, Surroundings& s) {
             if (!makeReadOnly(p.document.parent_path()))
                 throw std::runtime_error("cannot make a folder read-only here");
             s.readOnly.push_back(p.document.parent_path());
         }},
        {"Disk full while the result is saved: no file may grow past 1 KB (ulimit -f 2)",
         [](const Places&, Surroundings& s) { s.shellSetup = "ulimit -f 2"; }},
    };
}

std::string describeResult(const fs::path& result) {
    if (!fs::exists(result)) return "sin resultado";
    const std::string bytes = ScratchFolder::read(result);
    if (bytes == kEarlierResult) return "resultado anterior, sin cambios";
    try {
        auto document = stores::XmlDocument::load(result);
        const std::string teachers =
            "/SERVICIO/BLOQUE_DATOS/grupo_datos[@seq=\"HORARIOS_REGULARES\"]/grupo_datos";
        return "resultado nuevo: " + std::to_string(document.select(teachers).size()) + " profesores, " +
               std::to_string(document.select(teachers + "/grupo_datos").size()) + " actividades";
    } catch (const stores::RunError& e) {
        return std::string("resultado ilegible: ") + e.what();
    }
}

// The tables an earlier export of the small school left, and a SOLUC for them.
const fs::path& exchangeTables() {
    static const ScratchFolder folder;
    static const fs::path exchange = [] {
        const auto dir = exportSmallSchool(folder);
        writeSoluc(dir, lessons(dir));
        return dir;
    }();
    return exchange;
}

TEST(BadInputs, ImportOutcomesAreTheDocumentedOnes) {
    std::vector<Row> rows;
    for (const auto& c : cases()) {
        SCOPED_TRACE(c.input);
        ScratchFolder folder;
        const fs::path centro = folder.path() / "centro";
        fs::create_directory(centro);
        const Places places{centro / "horario.xml", centro / "ZuzezivedOvivizuhorario.xml",
                            folder.path() / "KTEMP"};
        fs::copy(exchangeTables(), places.exchange);
        folder.write("centro/horario.xml", schoolXml(smallSchool()));
        folder.write("centro/ZuzezivedOvivizuhorario.xml", kEarlierResult);
        Surroundings around;
        c.prepare(places, around);
        const bool exchangeExists = fs::exists(places.exchange);
        const FolderImage tablesBefore = exchangeExists ? imageOf(places.exchange) : FolderImage{};

        const ToolRun run = runTool({"importar", places.document.string(), "--intercambio",
                                     places.exchange.string()},
                                    around.shellSetup);
        around.held.reset();
        for (const auto& dir : around.readOnly) makeWritable(dir);

        std::vector<fs::path> folders = {centro};
        if (exchangeExists) folders.push_back(places.exchange);
        expectOrderlyEnd(run, folders);
        if (exchangeExists) {
            EXPECT_TRUE(imageOf(places.exchange) == tablesBefore) << "the import wrote a table";
        }
        if (run.status != 0) {
            EXPECT_EQ(ScratchFolder::read(places.result), kEarlierResult) << "a failed import lost the result";
        }
        rows.push_back({c.input, run.status, withoutFolder(messageOf(run), folder.path()),
                        withoutFolder(describeResult(places.result), folder.path())});
    }
    expectDocumented("import", rows);
}

}  // namespace
