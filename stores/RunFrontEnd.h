// What a run needs from the program that started it (window or command line): show one of the
// system's messages, and show that it is busy. A run never shows anything itself.
#pragma once

#include <string>
#include <string_view>

namespace stores {

// How a run ended, for the front end's outcome code and buttons. A failure is not an outcome:
// it is a RunError thrown out of the run.
enum class RunOutcome {
    Finished,    // every step ran; "Proceso finalizado" was shown
    NoDocument,  // "No existe archivo" was shown (outcome -1 in host mode)
    Stopped,     // the run stopped with one of its own messages, which was shown
};

namespace messages {
inline constexpr std::string_view kNoExisteArchivo = "No existe archivo";
inline constexpr std::string_view kProcesoFinalizado = "Proceso finalizado";
}  // namespace messages

class RunFrontEnd {
public:
    virtual ~RunFrontEnd() = default;
    // A modal message; returns when the user has read it. The text is UTF-8.
    virtual void showMessage(const std::string& text) = 0;
    // true while the run works (hourglass cursor), false when it has stopped working.
    virtual void setBusy(bool busy) = 0;
};

}  // namespace stores
