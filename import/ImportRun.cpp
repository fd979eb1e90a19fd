// The import run's frame: check the input, open the tables, read the school year and the
// period, rebuild the document around the teacher schedules and save it beside the input.
#include "import/ImportRun.h"

#include "import/ImportTables.h"
#include "import/ResultDocument.h"
#include "import/TeacherSchedules.h"
#include "stores/ExchangeDocument.h"
#include "stores/Files.h"
#include "stores/RunError.h"
#include "stores/TableCatalogue.h"
#include "text/Cp1252.h"

#include <system_error>

namespace importrun {
namespace {

using stores::RunError;
using stores::RunFrontEnd;
using stores::RunOutcome;

constexpr std::string_view kPeriodosNoEncontrado =
    "ATENCIÓN - PERIODOS.DBF No encontrado - Importe de nuevo XML de VELTRANA.";
constexpr std::string_view kPeriodosFile = "PERIODOS.DBF";

// Shows the hourglass while the run works and takes it away on every ending, failures included.
class BusyScope {
public:
    explicit BusyScope(RunFrontEnd& frontEnd) : m_frontEnd(frontEnd) { m_frontEnd.setBusy(true); }
    ~BusyScope() { end(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    void end() {
        if (m_busy) m_frontEnd.setBusy(false);
        m_busy = false;
    }

private:
    RunFrontEnd& m_frontEnd;
    bool m_busy = true;
};

std::string schoolYearOf(stores::ExchangeDocument& document, const std::filesystem::path& file) {
    if (auto year = document.schoolYear()) return *year;
    throw RunError("El documento \"" + file.string() +
                   "\" no tiene datos en /SERVICIO/BLOQUE_DATOS, de donde se toma el año "
                   "académico. No se ha guardado ningún resultado.");
}

PeriodDates readPeriod(const std::filesystem::path& exchangeDir) {
    auto periodos = stores::dbf::Table::open(exchangeDir, kPeriodosFile);
    periodos.first();
    PeriodDates period{periodos.text(stores::fields::FECINI), periodos.text(stores::fields::FECFIN)};
    periodos.close();
    return period;
}

std::string fechaOf(const ImportSettings& settings) {
    return text::cp1252FromUtf8(settings.dateTime ? settings.dateTime() : currentDateTimeText());
}

}  // namespace

std::filesystem::path resultPathFor(const std::filesystem::path& document) {
    return document.parent_path() / (std::string(kResultPrefix) + document.filename().string());
}

ImportResult runImport(const ImportSettings& settings, RunFrontEnd& frontEnd) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(settings.document, error)) {
        frontEnd.showMessage(std::string(stores::messages::kNoExisteArchivo));
        return {RunOutcome::NoDocument, {}};
    }
    BusyScope busy(frontEnd);
    auto tables = ImportTables::open(settings.exchangeDir);
    auto document = stores::ExchangeDocument::load(settings.document);
    const std::string schoolYear = schoolYearOf(document, settings.document);
    if (!stores::fileExistsIgnoringCase(settings.exchangeDir, kPeriodosFile)) {
        busy.end();
        frontEnd.showMessage(std::string(kPeriodosNoEncontrado));
        return {RunOutcome::Stopped, {}};
    }
    const PeriodDates period = readPeriod(settings.exchangeDir);

    const auto teachers = readTeachers(tables.table(stores::tables::PROFT));
    const auto teacherCount = tables.table(stores::tables::PROFT).rowCount();
    auto horarios = rebuildDocument(document, {fechaOf(settings), schoolYear, teacherCount});
    appendTeacherSchedules(document.xml(), horarios, teachers, period, tables);
    tables.close();

    const auto resultFile = resultPathFor(settings.document);
    document.xml().save(resultFile);
    busy.end();
    frontEnd.showMessage(std::string(stores::messages::kProcesoFinalizado));
    return {RunOutcome::Finished, resultFile};
}

}  // namespace importrun
