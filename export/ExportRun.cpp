// The export run from the input tests on: check the document, the reference table and the
// exchange directory, load the document, run the seven steps in their fixed order.
#include "export/ExportRun.h"

#include "export/ExportSteps.h"
#include "stores/ExchangeDocument.h"
#include "stores/Files.h"
#include "stores/RunError.h"

#include <system_error>

namespace exportrun {
namespace {

struct NamedStep {
    const char* name;
    void (*run)(ExportContext&);
};

constexpr NamedStep kSteps[] = {
    {"ExportarMaterias", ExportarMaterias},         {"ExportarActividades", ExportarActividades},
    {"ExportarProfesores", ExportarProfesores},     {"ExportarAulas", ExportarAulas},
    {"ExportarCursosGrupos", ExportarCursosGrupos}, {"ExportarAsignaciones", ExportarAsignaciones},
    {"ExportarTramos", ExportarTramos},
};

class BusyScope {
public:
    explicit BusyScope(FrontEnd& frontEnd) : m_frontEnd(frontEnd) { m_frontEnd.setBusy(true); }
    ~BusyScope() { m_frontEnd.setBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    FrontEnd& m_frontEnd;
};

bool isRegularFile(const std::filesystem::path& file) {
    std::error_code error;
    return !file.empty() && std::filesystem::is_regular_file(file, error);
}

bool referenceTableExists(const std::filesystem::path& file) {
    if (file.filename().empty()) return false;
    const auto folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    return stores::fileExistsIgnoringCase(folder, file.filename().string());
}

// The document's own problems that stop the run before any table is touched; empty when none.
std::string documentProblem(stores::ExchangeDocument& document, const std::filesystem::path& file) {
    if (!document.hasRoot())
        return "El archivo " + file.string() +
               " no es un documento de intercambio de Veltrana: su elemento raíz no es "
               "SERVICIO. No se ha modificado ninguna tabla.";
    if (document.records(stores::blocks::JORNADAS_ESCOLARES).empty())
        return "El documento " + file.string() +
               " no tiene ningún marco horario (bloque JORNADAS_ESCOLARES). No se ha modificado "
               "ninguna tabla.";
    return {};
}

void runSteps(ExportContext& context) {
    for (const auto& step : kSteps) {
        try {
            step.run(context);
        } catch (const stores::RunError& error) {
            throw stores::RunError(std::string(step.name) + ": " + error.what());
        }
    }
}

}  // namespace

stores::RunOutcome runExport(const ExportSettings& settings, FrontEnd& frontEnd) {
    if (!isRegularFile(settings.document)) {
        frontEnd.showMessage(std::string(stores::messages::kNoExisteArchivo));
        return stores::RunOutcome::NoDocument;
    }
    if (!referenceTableExists(settings.referenceTable)) {
        frontEnd.showMessage(std::string(kNivelexNoEncontrado));
        return stores::RunOutcome::Stopped;
    }
    std::error_code error;
    if (!std::filesystem::is_directory(settings.exchangeDir, error)) {
        frontEnd.showMessage("No existe la carpeta de intercambio " +
                             settings.exchangeDir.string() +
                             ". Créela o indique otra; no se ha modificado ninguna tabla.");
        return stores::RunOutcome::Stopped;
    }
    auto document = stores::ExchangeDocument::load(settings.document);
    if (const auto problem = documentProblem(document, settings.document); !problem.empty()) {
        frontEnd.showMessage(problem);
        return stores::RunOutcome::Stopped;
    }
    std::string stopMessage;
    {
        BusyScope busy(frontEnd);
        ExportContext context(document, settings, frontEnd);
        try {
            runSteps(context);
        } catch (const RunStopped& stop) {
            stopMessage = stop.message;
        }
    }
    if (!stopMessage.empty()) {
        frontEnd.showMessage(stopMessage);
        return stores::RunOutcome::Stopped;
    }
    frontEnd.showMessage(std::string(stores::messages::kProcesoFinalizado));
    return stores::RunOutcome::Finished;
}

}  // namespace exportrun
