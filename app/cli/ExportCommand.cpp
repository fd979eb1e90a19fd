// "exportar": the export run for scripts. The frames to use come from --marco options and are
// checked the way the frame question checks a choice, before any table is touched.
#include "app/cli/Commands.h"

#include "export/ExportRun.h"
#include "export/FrameChoice.h"
#include "stores/Files.h"
#include "stores/TableCatalogue.h"
#include "text/Clipper.h"
#include "text/Cp1252.h"

#include <algorithm>
#include <iostream>
#include <system_error>

namespace app::cli {

const char* const kExportUsage =
    "  exportar DOCUMENTO.xml [--marco CODIGO]... [--intercambio DIR] [--nivelex FICHERO]\n"
    "    Convierte el documento de intercambio de Veltrana en las nueve tablas dBase de\n"
    "    Horavia, escritas en la carpeta de intercambio.\n"
    "    --marco CODIGO    Marco horario (jornada escolar) que se aplica al horario. Es\n"
    "                      obligatorio, una o dos veces, cuando el documento tiene dos o más\n"
    "                      marcos; el código se compara exactamente con el del documento. Con\n"
    "                      un solo marco no hace falta; si se da, debe ser el de ese marco.\n"
    "                      Dos marcos se toman en el orden del documento. Una elección que\n"
    "                      no vale detiene la exportación sin tocar ninguna tabla.\n"
    "    --nivelex FICHERO Tabla de referencia de niveles y estudios; si no se indica,\n"
    "                      NIVELEX.DBF junto al programa.\n";

namespace {

struct ExportOptions {
    std::string document;
    std::vector<std::string> frames;  // UTF-8, as given
    std::optional<std::string> exchangeDir;
    std::optional<std::string> referenceTable;
    bool help = false;
};

ExportOptions parseOptions(const std::vector<std::string>& args) {
    ExportOptions options;
    for (std::size_t i = 0; i < args.size();) {
        if (auto value = optionValue(args, i, "--marco")) {
            options.frames.push_back(*value);
        } else if (auto dir = optionValue(args, i, "--intercambio")) {
            setOnce(options.exchangeDir, *dir, "--intercambio");
        } else if (auto file = optionValue(args, i, "--nivelex")) {
            setOnce(options.referenceTable, *file, "--nivelex");
        } else if (args[i] == "--help" || args[i] == "-h") {
            options.help = true;
            ++i;
        } else if (args[i].size() > 1 && args[i].front() == '-') {
            throw UsageError("Opción desconocida para exportar: " + args[i] + ".");
        } else if (!options.document.empty()) {
            throw UsageError("Sobra el argumento " + args[i] + ": se exporta un solo documento.");
        } else {
            options.document = args[i++];
        }
    }
    if (!options.help && options.document.empty())
        throw UsageError("Falta el documento XML que se exporta.");
    return options;
}

std::string codeList(const std::vector<std::string>& codes) {
    std::string list;
    for (const auto& code : codes) list += (list.empty() ? "" : ", ") + text::utf8FromCp1252(code);
    return "Marcos horarios del documento: " + list + ".";
}

struct FrameChoiceResult {
    std::string marcosElegidos;  // cp1252; empty when the document needs no choice
    std::string problem;         // UTF-8; empty when the choice can be used
};

// With two or more frame records: every code must name a frame, and the pieces follow the
// document's order, as the frame question builds them.
FrameChoiceResult chooseAmong(const std::vector<std::string>& codes,
                              const std::vector<std::string>& given) {
    for (const auto& code : given)
        if (std::find(codes.begin(), codes.end(), code) == codes.end())
            return {"", "El documento no tiene el marco horario «" + text::utf8FromCp1252(code) +
                            "». " + codeList(codes)};
    std::vector<bool> selected;
    for (const auto& code : codes)
        selected.push_back(std::find(given.begin(), given.end(), code) != given.end());
    const auto check = exportrun::FrameChoice::close(codes, selected);
    if (check.eleccionValida) return {check.marcosElegidos, ""};
    if (given.empty()) return {"", check.message + "\n" + codeList(codes)};
    return {"", check.message};
}

// With one frame record the run uses it without asking; a --marco must then name it.
FrameChoiceResult checkOnlyFrame(const std::string& code, const std::vector<std::string>& given) {
    for (const auto& option : given)
        if (option != code && option != text::AllTrim(code))
            return {"", "El documento no tiene el marco horario «" +
                            text::utf8FromCp1252(option) + "». " + codeList({code})};
    return {};
}

FrameChoiceResult prepareFrames(const std::filesystem::path& document,
                                const std::vector<std::string>& frames) {
    const exportrun::FrameChoice choice(document);
    // A document that does not load, or has no frame, is reported by the run itself.
    if (!choice.loaded()) return {};
    std::vector<std::string> given;
    for (const auto& frame : frames) given.push_back(text::cp1252FromUtf8(frame));
    const auto codes = choice.recordCodes();
    if (codes.size() >= 2) return chooseAmong(codes, given);
    if (codes.size() == 1) return checkOnlyFrame(codes.front(), given);
    return {};
}

class ExportFrontEnd : public ConsoleFrontEnd, public exportrun::FrontEnd {
public:
    explicit ExportFrontEnd(std::string marcosElegidos) : m_marcosElegidos(std::move(marcosElegidos)) {}

    void showMessage(const std::string& text) override { ConsoleFrontEnd::showMessage(text); }
    void setBusy(bool busy) override { ConsoleFrontEnd::setBusy(busy); }

    // The choice was checked before the run; there is nobody to ask a second time.
    exportrun::FrameAnswer askFrames(const std::filesystem::path&) override {
        if (m_asked || m_marcosElegidos.empty()) return {true, false, ""};
        m_asked = true;
        return {false, true, m_marcosElegidos};
    }

private:
    std::string m_marcosElegidos;
    bool m_asked = false;
};

bool isRegularFile(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::is_regular_file(file, error);
}

}  // namespace

int exportCommand(const std::vector<std::string>& args) {
    const ExportOptions options = parseOptions(args);
    if (options.help) {
        std::cout << "Uso:\n" << kExportUsage;
        return kExitFinished;
    }
    exportrun::ExportSettings settings;
    settings.document = options.document;
    settings.exchangeDir = exchangeDirFrom(options.exchangeDir);
    settings.referenceTable = options.referenceTable
                                  ? std::filesystem::path(*options.referenceTable)
                                  : stores::programFolder() / stores::kReferenceTableFile;
    FrameChoiceResult frames;
    if (isRegularFile(settings.document)) frames = prepareFrames(settings.document, options.frames);
    if (!frames.problem.empty()) {
        std::cerr << frames.problem << std::endl;
        return kExitStopped;
    }
    ExportFrontEnd frontEnd(frames.marcosElegidos);
    const auto outcome = exportrun::runExport(settings, frontEnd);
    return outcome == stores::RunOutcome::Finished ? kExitFinished : kExitStopped;
}

}  // namespace app::cli
