// "importar": the import run for scripts. On success the path of the result follows
// "Proceso finalizado" on standard output.
#include "app/cli/Commands.h"
#include "import/ImportRun.h"

#include <iostream>

namespace app::cli {

const char* const kImportUsage =
    "  importar DOCUMENTO.xml [--intercambio DIR]\n"
    "    Lee el horario resuelto por Horavia (SOLUC.DBF) con las tablas de la exportación\n"
    "    de la carpeta de intercambio y escribe el horario regular de cada profesor en\n"
    "    ZuzezivedOvivizuDOCUMENTO.xml, junto al documento; al terminar muestra su ruta.\n";

namespace {

struct ImportOptions {
    std::string document;
    std::optional<std::string> exchangeDir;
    bool help = false;
};

ImportOptions parseOptions(const std::vector<std::string>& args) {
    ImportOptions options;
    for (std::size_t i = 0; i < args.size();) {
        if (auto dir = optionValue(args, i, "--intercambio")) {
            setOnce(options.exchangeDir, *dir, "--intercambio");
        } else if (args[i] == "--help" || args[i] == "-h") {
            options.help = true;
            ++i;
        } else if (args[i].size() > 1 && args[i].front() == '-') {
            throw UsageError("Opción desconocida para importar: " + args[i] + ".");
        } else if (!options.document.empty()) {
            throw UsageError("Sobra el argumento " + args[i] + ": se importa un solo documento.");
        } else {
            options.document = args[i++];
        }
    }
    if (!options.help && options.document.empty())
        throw UsageError("Falta el documento XML que se importa.");
    return options;
}

}  // namespace

int importCommand(const std::vector<std::string>& args) {
    const ImportOptions options = parseOptions(args);
    if (options.help) {
        std::cout << "Uso:\n" << kImportUsage;
        return kExitFinished;
    }
    ConsoleFrontEnd frontEnd;
    const auto result = importrun::runImport(
        {options.document, exchangeDirFrom(options.exchangeDir), {}}, frontEnd);
    if (result.outcome != stores::RunOutcome::Finished) return kExitStopped;
    std::cout << result.resultFile.string() << std::endl;
    return kExitFinished;
}

}  // namespace app::cli
