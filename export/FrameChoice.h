// The time-frame question without any toolkit: what the frame dialog lists and shows, and its
// closing check. The window's dialog and the command line both use it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace exportrun {

inline constexpr std::string_view kDemasiadosMarcos =
    "Demasiados Marcos Horarios seleccionados.\r\nComo máximo puede seleccionar 2 Marcos Horarios";
inline constexpr std::string_view kAlMenosUnMarco = "Debe al menos seleccionar 1 Marco Horario.";

// The details shown for the frame whose code is chosen; "-" where no frame record matches.
struct FrameDetails {
    std::string name = "-";
    std::string startDate = "-";
    std::string endDate = "-";
};

struct ClosingCheck {
    bool eleccionValida = false;
    std::string marcosElegidos;  // every selected item, in list order, as a 10-character piece
    std::string message;         // UTF-8; empty when the choice is valid
};

class FrameChoice {
public:
    // Reads its own copy of the document. A document that does not load offers no frame.
    explicit FrameChoice(const std::filesystem::path& document);

    // Position 0 of every frame record, untrimmed, in document order: only when the document
    // holds two or more frame records (otherwise empty). Texts are cp1252.
    const std::vector<std::string>& frameCodes() const { return m_codes; }
    bool loaded() const { return m_loaded; }

    // Position 0 of every frame record, untrimmed, in document order, however many there are.
    std::vector<std::string> recordCodes() const;

    // Name, start and end date of the last frame record whose position 0 equals `code`.
    FrameDetails details(std::string_view code) const;

    // Captions (position 1) of the slots whose position 4 equals `code`, in document order.
    // Nothing when the slot block holds fewer than two records (the list then keeps its items).
    std::optional<std::vector<std::string>> slotCaptions(std::string_view code) const;

    // The closing check over the list's items and their selection state.
    static ClosingCheck close(const std::vector<std::string>& items,
                              const std::vector<bool>& selected);

private:
    struct Frame { std::string code, name, startDate, endDate; };
    struct Slot { std::string frameCode, caption; };
    bool m_loaded = false;
    std::vector<std::string> m_codes;
    std::vector<Frame> m_frames;
    std::vector<Slot> m_slots;
    bool m_enoughFrames = false;
    bool m_enoughSlots = false;
};

}  // namespace exportrun
