// The bad-input catalogue: each case runs the batch tool on a broken input, and its outcome (exit
// status, message, what is left on disk) becomes one row of a table in docs/bad-inputs.md. The
// rows the tool gives today are compared with the rows written there.
#pragma once

#include "stores/support/SchoolDocument.h"
#include "stores/support/ScratchFolder.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace catalogue {

using testsupport::ScratchFolder;

using testsupport::Block;
using testsupport::schoolXml;

// A small school with every block the export reads, one time frame and three slots.
std::vector<Block> smallSchool();

// The block with this seq (it must be there).
Block& block(std::vector<Block>& blocks, const std::string& seq);

struct ToolRun {
    int status = -1;  // -1 when the tool did not exit by itself
    std::string out;
    std::string err;
};

// Runs DuzezErozaraDiruzidu-cli with these words. `shellSetup` runs first in the same shell
// (say, to lower a limit); the tool then replaces the shell.
ToolRun runTool(const std::vector<std::string>& words, const std::string& shellSetup = "");

// The nine tables of an export of smallSchool(), in the folder KTEMP made inside `folder`.
std::filesystem::path exportSmallSchool(const ScratchFolder& folder);

// Every file of a folder by name, with its bytes.
using FolderImage = std::map<std::string, std::string>;
FolderImage imageOf(const std::filesystem::path& folder);

// Dates the tables and index files of a folder back to 1 January 1999 (the dates in their
// headers), so that a table written again today never looks untouched.
void backdateTables(const std::filesystem::path& folder);

// What an export left in the exchange directory, compared with what was there before: the
// tables written anew with their rows, those left as they were, those gone, other files.
std::string describeExchange(const FolderImage& before, const std::filesystem::path& folder);

// A value of a table in the folder, as "TABLE.FIELD[row] = «value»" (row counted from 1).
std::string probe(const std::filesystem::path& folder, const std::string& table,
                  const std::string& field, int row);

struct Row {
    std::string input;    // what is wrong with the input
    int status = -1;      // exit status of the tool
    std::string message;  // its message (standard error, or standard output when it finished)
    std::string left;     // what is left on disk
};

// The message of a run: standard error when there is one, else standard output.
std::string messageOf(const ToolRun& run);

// `text` with every occurrence of `folder` written as "…", and the process-specific part of
// temporary file names taken out, so that a row is the same on every run.
std::string withoutFolder(std::string text, const std::filesystem::path& folder);

// The promises every case keeps, whatever the doc says: the tool exits with one of its own
// statuses and a message, and leaves no temporary file in these folders.
void expectOrderlyEnd(const ToolRun& run, const std::vector<std::filesystem::path>& folders);

// Compares the rows with the table between "<!-- begin: SECTION -->" and "<!-- end: SECTION -->"
// in docs/bad-inputs.md. With UPDATE_BAD_INPUTS=1 in the environment, writes them there instead.
void expectDocumented(const std::string& section, const std::vector<Row>& rows);

// Makes a folder refuse changes, also to root; false when the file system cannot.
bool makeReadOnly(const std::filesystem::path& folder);
void makeWritable(const std::filesystem::path& folder);

// Holds a file under a flock lock while it lives, as another program that has it open does.
class HeldFile {
public:
    HeldFile(const std::filesystem::path& file, bool exclusive);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    int m_fd = -1;
};

}  // namespace catalogue
