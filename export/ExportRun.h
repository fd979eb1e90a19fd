// The export run: the school exchange document becomes the nine timetable tables that Horavia
// builds its timetable on.
#pragma once

#include "stores/RunFrontEnd.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace exportrun {

inline constexpr std::string_view kNivelexNoEncontrado =
    "ATENCIÓN - NIVELEX.DBF No encontrado - Reinstale DUZEZEROZARADIRUZIDU";

// What the time-frame question gave back: the closing check's two results, or that the user
// gave up (the run then stops).
struct FrameAnswer {
    bool cancelled = false;
    bool eleccionValida = false;
    std::string marcosElegidos;  // cp1252, one 10-character piece per chosen frame
};

class FrontEnd : public virtual stores::RunFrontEnd {
public:
    // Asks which one or two frames of the document to use; called only when the document holds
    // two or more, and again after every answer that is not valid.
    virtual FrameAnswer askFrames(const std::filesystem::path& document) = 0;
};

struct ExportSettings {
    std::filesystem::path document;        // ArchivoXML
    std::filesystem::path exchangeDir;     // Horavia's C:\KTEMP
    std::filesystem::path referenceTable;  // NIVELEX.DBF, normally beside the program
};

// From the input tests to "Proceso finalizado". Messages and the frame question go through
// `frontEnd`; a failure inside a step is a stores::RunError (tables already written stay).
stores::RunOutcome runExport(const ExportSettings& settings, FrontEnd& frontEnd);

}  // namespace exportrun
