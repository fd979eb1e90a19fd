// Fuzz target: any bytes as the school exchange document, through the whole export run into an
// exchange directory of its own, with the reference table the build makes. The frame question
// is answered the same way every time. The run ends in an outcome or a RunError; it never leaves
// a temporary file, and a finished run leaves nine tables that open.
#include "FuzzScratch.h"

#include "export/ExportRun.h"
#include "export/FrameChoice.h"
#include "stores/Files.h"
#include "stores/RunError.h"
#include "stores/TableCatalogue.h"
#include "stores/dbf/Table.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// Refuses the first choice when it can (three frames), then picks the first frame, and the last
// one as well when the list has an even number of frames. Gives up after that.
class ScriptedFrontEnd : public exportrun::FrontEnd {
public:
    void showMessage(const std::string&) override {}
    void setBusy(bool) override {}

    exportrun::FrameAnswer askFrames(const std::filesystem::path& document) override {
        const exportrun::FrameChoice choice(document);
        const auto& codes = choice.frameCodes();
        std::vector<bool> selected(codes.size(), false);
        ++m_questions;
        if (m_questions == 1 && codes.size() >= 3) {
            selected.assign(3, true);
            selected.resize(codes.size(), false);
        } else if (m_questions <= 2 && !codes.empty()) {
            selected.front() = true;
            if (codes.size() % 2 == 0) selected.back() = true;
        } else {
            return {true, false, ""};
        }
        const auto check = exportrun::FrameChoice::close(codes, selected);
        return {false, check.eleccionValida, check.marcosElegidos};
    }

private:
    int m_questions = 0;
};

struct Places {
    fuzzsupport::ScratchFolder folder{"export"};
    std::filesystem::path document = folder.path() / "centro.xml";
    std::filesystem::path exchange = folder.path() / "KTEMP";
    std::filesystem::path reference = stores::programFolder() / stores::kReferenceTableFile;

    Places() {
        std::filesystem::create_directory(exchange);
        if (!std::filesystem::exists(reference))
            fuzzsupport::broken("the reference table is missing: " + reference.string());
    }
};

void requireNineTables(const std::filesystem::path& exchange) {
    for (const auto table : stores::exchangeTablesInCreationOrder()) {
        try {
            stores::dbf::Table::open(exchange, table).close();
        } catch (const stores::RunError& e) {
            fuzzsupport::broken(std::string("a finished run left a table that does not open: ") + e.what());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Places places;
    fuzzsupport::ScratchFolder::writeFile(places.document,
                                          std::string_view(reinterpret_cast<const char*>(data), size));
    ScriptedFrontEnd frontEnd;
    stores::RunOutcome outcome = stores::RunOutcome::Stopped;
    try {
        outcome = exportrun::runExport({places.document, places.exchange, places.reference}, frontEnd);
    } catch (const stores::RunError&) {
    }
    fuzzsupport::requireNoTemporaryFiles(places.exchange);
    if (outcome == stores::RunOutcome::Finished) requireNineTables(places.exchange);
    return 0;
}
