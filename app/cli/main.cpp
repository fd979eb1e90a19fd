// DuzezErozaraDiruzidu-cli: the export and import runs for scripts, without a window.
#include "app/cli/Commands.h"
#include "stores/Files.h"
#include "stores/RunError.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

namespace app::cli {

void ConsoleFrontEnd::showMessage(const std::string& text) {
    auto& stream = text == stores::messages::kProcesoFinalizado ? std::cout : std::cerr;
    stream << text << std::endl;
}

std::filesystem::path exchangeDirFrom(const std::optional<std::string>& option) {
    if (option) return std::filesystem::path(*option);
    return stores::defaultExchangeDir();
}

std::optional<std::string> optionValue(const std::vector<std::string>& args, std::size_t& i,
                                       const std::string& option) {
    const std::string& word = args[i];
    if (word.rfind(option + "=", 0) == 0) {
        ++i;
        return word.substr(option.size() + 1);
    }
    if (word != option) return std::nullopt;
    if (i + 1 >= args.size()) throw UsageError("Falta el valor de la opción " + option + ".");
    i += 2;
    return args[i - 1];
}

void setOnce(std::optional<std::string>& target, std::string value, const std::string& option) {
    if (target) throw UsageError("La opción " + option + " se ha indicado más de una vez.");
    target = std::move(value);
}

}  // namespace app::cli

namespace {

void printHelp(std::ostream& out) {
    out << "Uso: DuzezErozaraDiruzidu-cli exportar|importar DOCUMENTO.xml [opciones]\n\n"
        << app::cli::kExportUsage << "\n"
        << app::cli::kImportUsage << "\n"
        << "Carpeta de intercambio: --intercambio DIR; si no se indica, la variable de entorno\n"
           "KTEMP y, sin ella, la carpeta KTEMP de la unidad C: de Wine ($WINEPREFIX o ~/.wine).\n\n"
           "Estado de salida: 0 si el proceso finaliza (\"Proceso finalizado\" en la salida\n"
           "estándar); 1 si se detiene con un mensaje o un error (el texto en la salida de\n"
           "errores); 2 si la orden está mal escrita.\n";
}

int usageError(const std::string& text) {
    std::cerr << text << "\n"
              << "Uso: DuzezErozaraDiruzidu-cli exportar|importar DOCUMENTO.xml [opciones]\n"
              << "Más información: DuzezErozaraDiruzidu-cli --help\n";
    return app::cli::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace app::cli;
    // Under a file-size limit, a write past it must fail with its error (and the run stop with a
    // message, leaving no half-written file) instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty()) return usageError("Falta la orden: exportar o importar.");
    if (words[0] == "--help" || words[0] == "-h" || words[0] == "ayuda") {
        printHelp(std::cout);
        return kExitFinished;
    }
    const std::vector<std::string> args(words.begin() + 1, words.end());
    try {
        if (words[0] == "exportar") return exportCommand(args);
        if (words[0] == "importar") return importCommand(args);
        return usageError("Orden desconocida: " + words[0] + ". Use exportar o importar.");
    } catch (const UsageError& e) {
        return usageError(e.what());
    } catch (const stores::RunError& e) {
        std::cerr << e.what() << std::endl;
    } catch (const std::bad_alloc&) {
        std::cerr << "No hay memoria suficiente para terminar el proceso." << std::endl;
    } catch (const std::exception& e) {
        std::cerr << "Error inesperado: " << e.what() << std::endl;
    }
    return kExitStopped;
}
