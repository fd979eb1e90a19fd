// Settings for the runs from the window's state: ArchivoXML, the exchange directory and the
// reference table beside the program.
#include "app/gui/CoreRuns.h"

#include "import/ImportRun.h"
#include "stores/Files.h"
#include "stores/TableCatalogue.h"

namespace app {

stores::RunOutcome CoreRuns::exportRun(const std::filesystem::path& document,
                                       exportrun::FrontEnd& frontEnd) {
    exportrun::ExportSettings settings;
    settings.document = document;
    settings.exchangeDir = stores::defaultExchangeDir();
    settings.referenceTable = m_referenceTable
        ? *m_referenceTable
        : stores::programFolder() / stores::kReferenceTableFile;
    return exportrun::runExport(settings, frontEnd);
}

stores::RunOutcome CoreRuns::importRun(const std::filesystem::path& document,
                                       stores::RunFrontEnd& frontEnd) {
    importrun::ImportSettings settings;
    settings.document = document;
    settings.exchangeDir = stores::defaultExchangeDir();
    return importrun::runImport(settings, frontEnd).outcome;
}

}  // namespace app
