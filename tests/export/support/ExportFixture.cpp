#include "ExportFixture.h"

#include "stores/RunError.h"
#include "stores/dbf/Table.h"
#include "text/Cp1252.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <unistd.h>

namespace exporttest {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    m_path = std::filesystem::path(testing::TempDir()) /
             ("export-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

Block oneFrame() {
    return {"JORNADAS_ESCOLARES", {{"ORD", "Ordinario", "01/09/2026", "30/06/2027"}}};
}

void writeFile(const std::filesystem::path& file, const std::string& content) {
    std::ofstream out(file, std::ios::binary);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

void writeReferenceTable(const std::filesystem::path& file, const std::vector<ReferenceRow>& rows) {
    using namespace stores::dbf;
    TableDef def;
    def.fileName = file.filename().string();
    def.fields = {{"X_OFERTAMATRIG", FieldType::Integer, 0},
                  {"NIVEL_ABREV", FieldType::Character, 5},
                  {"ESTUDIO", FieldType::Character, 100}};
    def.level = TableLevel::DBase7;
    Table::create(file.parent_path(), def);
    auto table = Table::open(file.parent_path(), def.fileName);
    for (const auto& row : rows) {
        table.append();
        table.setInteger("X_OFERTAMATRIG", row.key);
        table.setText("NIVEL_ABREV", text::cp1252FromUtf8(row.nivel));
        table.setText("ESTUDIO", text::cp1252FromUtf8(row.estudio));
        table.post();
    }
    table.close();
}

std::vector<std::string> rows(const std::filesystem::path& dir, const std::string& table,
                              const std::vector<std::string>& fields) {
    auto opened = stores::dbf::Table::open(dir, table);
    std::vector<std::string> all;
    for (opened.first(); !opened.atEnd(); opened.next()) {
        std::string row;
        for (std::size_t i = 0; i < fields.size(); ++i)
            row += (i ? "|" : "") + text::utf8FromCp1252(opened.text(fields[i]));
        all.push_back(row);
    }
    return all;
}

exportrun::FrameAnswer RecordingFrontEnd::askFrames(const std::filesystem::path&) {
    ++questions;
    if (answers.empty()) return {true, false, ""};
    auto answer = answers.front();
    answers.pop_front();
    return answer;
}

exportrun::FrameAnswer chosen(const std::vector<std::string>& codes) {
    exportrun::FrameAnswer answer;
    answer.eleccionValida = codes.size() == 1 || codes.size() == 2;
    for (const auto& code : codes) {
        std::string piece = text::cp1252FromUtf8(code).substr(0, 10);
        piece.resize(10, ' ');
        answer.marcosElegidos += piece;
    }
    return answer;
}

ExportFixture::ExportFixture()
    : m_exchange(m_temp.path() / "KTEMP"),
      m_document(m_temp.path() / "centro.xml"),
      m_reference(m_temp.path() / "programa" / "NIVELEX.DBF") {
    std::filesystem::create_directories(m_exchange);
    std::filesystem::create_directories(m_reference.parent_path());
    writeReferenceTable(m_reference, {{3001, "ESO", "Educación Secundaria Obligatoria"},
                                      {3002, "", "Bachillerato"},
                                      {3003, "FP", ""}});
}

exportrun::ExportSettings ExportFixture::settings() const {
    return {m_document, m_exchange, m_reference};
}

stores::RunOutcome ExportFixture::run(const std::vector<Block>& blocks) {
    return runXml(schoolXml(blocks));
}

stores::RunOutcome ExportFixture::runXml(const std::string& xml) {
    writeFile(m_document, xml);
    return exportrun::runExport(settings(), frontEnd);
}

}  // namespace exporttest
