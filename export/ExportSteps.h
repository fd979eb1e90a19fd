// What the seven steps of the export run share: the loaded document, where the tables go, the
// front end, and the two lists that the subject step fills. Used inside export/ only.
#pragma once

#include "export/ExportRun.h"
#include "export/UsedCodes.h"
#include "stores/ExchangeDocument.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_set>

namespace exportrun {

// One run's state. The lists are made for every run, so a run after a failed one starts clean.
struct ExportContext {
    ExportContext(stores::ExchangeDocument& document, const ExportSettings& settings,
                  FrontEnd& frontEnd)
        : document(document),
          documentFile(settings.document),
          exchangeDir(settings.exchangeDir),
          referenceTable(settings.referenceTable),
          frontEnd(frontEnd) {}

    stores::ExchangeDocument& document;
    std::filesystem::path documentFile;
    std::filesystem::path exchangeDir;
    std::filesystem::path referenceTable;
    FrontEnd& frontEnd;
    UsedCodes codigosUsados{UsedCodes::LetterCase::Counts};
    std::unordered_set<std::string> nombresUsados;  // upper-cased subject names, case counts
};

// The run stops here with a message of its own (shown by the front end), not with an error.
struct RunStopped {
    std::string message;  // UTF-8
};

void ExportarMaterias(ExportContext& context);
void ExportarActividades(ExportContext& context);
void ExportarProfesores(ExportContext& context);
void ExportarAulas(ExportContext& context);
void ExportarCursosGrupos(ExportContext& context);
void ExportarAsignaciones(ExportContext& context);
void ExportarTramos(ExportContext& context);

// "«value» del registro 3 de CURSOS_DEL_CENTRO": a document value (cp1252, shown in UTF-8) and
// its record, counted from 1 in document order, for the messages of the steps.
std::string valueInRecord(std::string_view value, std::size_t index, std::string_view block);

// The first character of a text, or nothing when it is empty.
std::string firstCharacter(std::string_view value);

// `code` as its first 8 and last 2 characters when it is longer than 10.
std::string shortenedCode(const std::string& code);

}  // namespace exportrun
