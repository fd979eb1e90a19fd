// importar DOCUMENTO.xml [--intercambio DIR]: the import run for scripts.
#include "app/cli/Commands.h"
#include "import/ImportRun.h"

#include <iostream>

namespace app::cli {

const char* const kImportUsage =
    "  importar DOCUMENTO.xml [--intercambio DIR]\n"
    "      Lee el horario resuelto por Horavia (SOLUC.DBF) y las tablas de la exportación en la\n"
    "      carpeta de intercambio y escribe el horario regular de cada profesor en\n"
    "      ZuzezivedOvivizuDOCUMENTO.xml, junto al documento. Al terminar muestra su ruta.\n";

int importCommand(const std::vector<std::string>& args) {
    std::optional<std::string> document;
    std::optional<std::string> exchangeDir;
    for (std::size_t i = 0; i < args.size();) {
        if (auto value = optionValue(args, i, "--intercambio")) {
            exchangeDir = std::move(value);
        } else if (args[i].rfind("--", 0) == 0) {
            throw UsageError("Opción desconocida para importar: " + args[i] + ".");
        } else if (document) {
            throw UsageError("Sobra el argumento " + args[i] + ": importar lee un solo documento.");
        } else {
            document = args[i++];
        }
    }
    if (!document) throw UsageError("Falta el documento XML que se va a importar.");

    ConsoleFrontEnd frontEnd;
    const importrun::ImportSettings settings{*document, exchangeDirFrom(exchangeDir), {}};
    const auto result = importrun::runImport(settings, frontEnd);
    if (result.outcome != stores::RunOutcome::Finished) return kExitStopped;
    std::cout << result.resultFile.string() << std::endl;
    return kExitFinished;
}

}  // namespace app::cli
