// Helpers of the import tests: a private exchange directory with small tables, a SOLUC written by
// python3-dbf, a front end that records what the run shows, and a reader for the result.
#pragma once

#include "stores/RunFrontEnd.h"
#include "stores/support/ScratchFolder.h"

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace importtest {

using testsupport::ScratchFolder;

// One row: field name -> value as text (cp1252). Fields left out stay blank.
using Row = std::map<std::string, std::string>;

// Creates the exchange table `table` with its layout in `dir` and appends the rows.
void writeExchangeTable(const std::filesystem::path& dir, std::string_view table,
                        const std::vector<Row>& rows);

// Writes dir/SOLUC.DBF with python3-dbf. Values are given in the order of `fields`
// ("PROF C(10); DIA N(2,0); ..."); numbers as their decimal text, which goes to the script as a
// JSON number for N fields. An empty `fields` means SOLUC's usual fields: PROF C(10), DIA N(2,0),
// HORA N(2,0), MARCO C(2), ASIG C(10), CODGRUPO C(10), TAREA C(12), AULA C(10).
void writeSoluc(const std::filesystem::path& dir, const std::vector<std::vector<std::string>>& rows,
                const std::string& fields = "");

// Makes a folder refuse new files, also to root (immutable flag); false when the file system
// cannot. makeWritable undoes it.
bool makeReadOnly(const std::filesystem::path& folder);
void makeWritable(const std::filesystem::path& folder);

// A school document with the given first block text and nothing else that the import reads.
std::string schoolDocument(const std::string& schoolYearText = "2024-25");

// Runs a shell command line; returns its exit status and what it wrote to stdout and stderr.
struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};
CommandResult runCommand(const std::string& commandLine);
std::string shellQuoted(const std::string& word);

class RecordingFrontEnd : public stores::RunFrontEnd {
public:
    void showMessage(const std::string& text) override { events.push_back("mensaje: " + text); }
    void setBusy(bool busy) override { events.push_back(busy ? "ocupado" : "libre"); }
    std::vector<std::string> events;
};

// The result document read back: every teacher group with its values and activities.
struct ActivityOut {
    std::string seq;
    std::vector<std::pair<std::string, std::string>> values;  // nombre_dato, text (cp1252)
};
struct TeacherOut {
    std::string seq;
    std::string registros;
    std::vector<std::pair<std::string, std::string>> values;
    std::vector<ActivityOut> activities;
};
struct ResultOut {
    std::string schoolYear;
    std::string teacherCount;  // registros of HORARIOS_REGULARES
    std::vector<TeacherOut> teachers;
};
ResultOut readResult(const std::filesystem::path& file);

}  // namespace importtest
