// Fuzz target: Horavia's SOLUC, and perhaps one more exchange table, as any bytes, through the
// whole import run; the other tables come from an export of fuzz/import_school.xml made once at
// start. The run ends in an outcome or a RunError; a finished run leaves a result that loads
// with one teacher group per PROFT row counted, any other ending leaves no result, and no run
// leaves a temporary file.
//
// Input: one byte that picks the other table (0: none), then the SOLUC bytes, then, when the
// separator follows, that table's bytes.
#include "FuzzScratch.h"

#include "export/ExportRun.h"
#include "import/ImportRun.h"
#include "stores/Files.h"
#include "stores/RunError.h"
#include "stores/TableCatalogue.h"
#include "stores/XmlDocument.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace {

constexpr std::string_view kSeparator = "=====TABLA=====";
constexpr std::array<std::string_view, 8> kOtherTables = {
    stores::tables::GRUPOST,  stores::tables::CURSOST,    stores::tables::PROFT,
    stores::tables::AULAT,    stores::tables::ASIGNOMT,   stores::tables::DIASHORAST,
    stores::tables::ASIGT,    stores::tables::PERIODOS};

class SilentFrontEnd : public exportrun::FrontEnd {
public:
    void showMessage(const std::string&) override {}
    void setBusy(bool) override {}
    exportrun::FrameAnswer askFrames(const std::filesystem::path&) override { return {true, false, ""}; }
};

std::string fileName(std::string_view table) { return std::string(table) + ".DBF"; }

struct Places {
    fuzzsupport::ScratchFolder folder{"import"};
    std::filesystem::path document = folder.path() / "centro" / "horario.xml";
    std::filesystem::path result = importrun::resultPathFor(document);
    std::filesystem::path exchange = folder.path() / "KTEMP";
    std::map<std::string_view, std::string> exportedTables;

    Places() {
        std::filesystem::create_directories(document.parent_path());
        std::filesystem::create_directory(exchange);
        std::filesystem::copy_file(FUZZ_DIR "/import_school.xml", document);
        SilentFrontEnd frontEnd;
        const auto reference = stores::programFolder() / stores::kReferenceTableFile;
        if (exportrun::runExport({document, exchange, reference}, frontEnd) != stores::RunOutcome::Finished)
            fuzzsupport::broken("the export of import_school.xml did not finish");
        for (const auto table : kOtherTables)
            exportedTables[table] = fuzzsupport::ScratchFolder::read(exchange / fileName(table));
    }
};

int teacherGroups(stores::XmlDocument& result) {
    return static_cast<int>(
        result.select("/SERVICIO/BLOQUE_DATOS/grupo_datos[@seq=\"HORARIOS_REGULARES\"]/grupo_datos").size());
}

void checkResult(const Places& places, stores::RunOutcome outcome) {
    fuzzsupport::requireNoTemporaryFiles(places.exchange);
    fuzzsupport::requireNoTemporaryFiles(places.document.parent_path());
    const bool saved = std::filesystem::exists(places.result);
    if (outcome != stores::RunOutcome::Finished) {
        if (saved) fuzzsupport::broken("a run that did not finish left a result");
        return;
    }
    try {
        auto result = stores::XmlDocument::load(places.result);
        const auto horarios =
            result.selectSingle("/SERVICIO/BLOQUE_DATOS/grupo_datos[@seq=\"HORARIOS_REGULARES\"]");
        if (!horarios || horarios.attribute("registros") != std::to_string(teacherGroups(result)))
            fuzzsupport::broken("registros of HORARIOS_REGULARES differs from its teacher groups");
    } catch (const stores::RunError& e) {
        fuzzsupport::broken(std::string("the result does not load: ") + e.what());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Places places;
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t pick = data[0] % (kOtherTables.size() + 1);
    const auto separator = input.find(kSeparator);

    for (const auto& [table, bytes] : places.exportedTables)
        fuzzsupport::ScratchFolder::writeFile(places.exchange / fileName(table), bytes);
    fuzzsupport::ScratchFolder::writeFile(places.exchange / "SOLUC.DBF", input.substr(0, separator));
    if (pick > 0 && separator != std::string_view::npos)
        fuzzsupport::ScratchFolder::writeFile(places.exchange / fileName(kOtherTables[pick - 1]),
                                              input.substr(separator + kSeparator.size()));
    std::filesystem::remove(places.result);

    SilentFrontEnd frontEnd;
    const importrun::ImportSettings settings{places.document, places.exchange,
                                             [] { return std::string("01/09/2026 10:00:00"); }};
    stores::RunOutcome outcome = stores::RunOutcome::Stopped;
    try {
        outcome = importrun::runImport(settings, frontEnd).outcome;
    } catch (const stores::RunError&) {
    }
    checkResult(places, outcome);
    return 0;
}
