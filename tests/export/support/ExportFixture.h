// Helpers of the export tests: a school document written from a few blocks, a private exchange
// directory and reference table, a front end that records what the run showed, and table rows
// read back as text.
#pragma once

#include "export/ExportRun.h"
#include "stores/support/SchoolDocument.h"

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

namespace exporttest {

// A directory of its own for one test, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

using testsupport::Block;
using testsupport::schoolXml;

// The frame block of a school with the single frame ORD.
Block oneFrame();

void writeFile(const std::filesystem::path& file, const std::string& content);

struct ReferenceRow {
    int key;
    std::string nivel, estudio;  // UTF-8
};
// A NIVELEX.DBF with the three fields the run reads, as the program's table has them.
void writeReferenceTable(const std::filesystem::path& file, const std::vector<ReferenceRow>& rows);

// Every row of dir/table, the given fields joined by '|', converted to UTF-8.
std::vector<std::string> rows(const std::filesystem::path& dir, const std::string& table,
                              const std::vector<std::string>& fields);

class RecordingFrontEnd : public exportrun::FrontEnd {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void setBusy(bool busy) override { busyCalls.push_back(busy); }
    exportrun::FrameAnswer askFrames(const std::filesystem::path& document) override;

    std::vector<std::string> messages;
    std::vector<bool> busyCalls;
    std::deque<exportrun::FrameAnswer> answers;  // given in turn; cancelled when none is left
    int questions = 0;
};

// A choice of frames as the frame question gives it back: 10 characters a code.
exportrun::FrameAnswer chosen(const std::vector<std::string>& codes);

// A temporary document, exchange directory and reference table, and the run over them.
class ExportFixture {
public:
    ExportFixture();
    const std::filesystem::path& exchangeDir() const { return m_exchange; }
    const std::filesystem::path& document() const { return m_document; }
    const std::filesystem::path& referenceTable() const { return m_reference; }
    exportrun::ExportSettings settings() const;

    // Writes the document from the blocks and runs the export over it.
    stores::RunOutcome run(const std::vector<Block>& blocks);
    stores::RunOutcome runXml(const std::string& xml);

    std::vector<std::string> rows(const std::string& table,
                                  const std::vector<std::string>& fields) const {
        return exporttest::rows(m_exchange, table, fields);
    }

    RecordingFrontEnd frontEnd;

private:
    TempDir m_temp;
    std::filesystem::path m_exchange, m_document, m_reference;
};

}  // namespace exporttest
