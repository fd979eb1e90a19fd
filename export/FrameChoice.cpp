// The time-frame question's logic: the frames offered, what is shown for one of them, and the
// check made when the question closes.
#include "export/FrameChoice.h"

#include "stores/ExchangeDocument.h"
#include "stores/RunError.h"
#include "text/Clipper.h"

#include <algorithm>

namespace exportrun {

FrameChoice::FrameChoice(const std::filesystem::path& document) {
    std::optional<stores::ExchangeDocument> loadedDocument;
    try {
        loadedDocument.emplace(stores::ExchangeDocument::load(document));
    } catch (const stores::RunError&) {
        return;
    }
    m_loaded = true;
    for (const auto& record : loadedDocument->records(stores::blocks::JORNADAS_ESCOLARES))
        m_frames.push_back({record.field(0), record.field(1), record.field(2), record.field(3)});
    for (const auto& record : loadedDocument->records(stores::blocks::TRAMOS_HORARIOS))
        m_slots.push_back({record.field(4), record.field(1)});
    m_enoughFrames = m_frames.size() > 1;
    m_enoughSlots = m_slots.size() > 1;
    if (m_enoughFrames)
        for (const auto& frame : m_frames) m_codes.push_back(frame.code);
}

std::vector<std::string> FrameChoice::recordCodes() const {
    std::vector<std::string> codes;
    for (const auto& frame : m_frames) codes.push_back(frame.code);
    return codes;
}

FrameDetails FrameChoice::details(std::string_view code) const {
    FrameDetails shown;
    if (!m_enoughFrames) return shown;
    for (const auto& frame : m_frames)
        if (frame.code == code) shown = {frame.name, frame.startDate, frame.endDate};
    return shown;
}

std::optional<std::vector<std::string>> FrameChoice::slotCaptions(std::string_view code) const {
    if (!m_enoughSlots) return std::nullopt;
    std::vector<std::string> captions;
    for (const auto& slot : m_slots)
        if (slot.frameCode == code) captions.push_back(slot.caption);
    return captions;
}

ClosingCheck FrameChoice::close(const std::vector<std::string>& items,
                                const std::vector<bool>& selected) {
    ClosingCheck check;
    check.eleccionValida = true;
    const auto isSelected = [&](std::size_t i) { return i < selected.size() && selected[i]; };
    std::size_t count = 0;
    for (std::size_t i = 0; i < items.size(); ++i) count += isSelected(i) ? 1 : 0;
    if (count > 2) {
        check.message = kDemasiadosMarcos;
        check.eleccionValida = false;
    } else if (count < 1) {
        check.message = kAlMenosUnMarco;
        check.eleccionValida = false;
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!isSelected(i)) continue;
        std::string piece = text::Left(items[i], 10);
        piece.resize(10, ' ');
        check.marcosElegidos += piece;
    }
    return check;
}

}  // namespace exportrun
