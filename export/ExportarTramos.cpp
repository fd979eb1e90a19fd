// Seventh step: the chosen one or two time frames. DIASHORAST gets every slot of a chosen frame
// on each day of the week, numbered per day and frame; PERIODOS the chosen frames' dates;
// DIASHORAST2 is created empty with its index.
#include "export/ExportSteps.h"

#include "export/WholeNumber.h"
#include "stores/Files.h"
#include "stores/RunError.h"
#include "stores/TableCatalogue.h"
#include "text/Clipper.h"
#include "text/Cp1252.h"

#include <optional>

namespace exportrun {
namespace {

using namespace stores::fields;
using stores::dbf::Table;

constexpr std::size_t kPiece = 10;

// The codes of the chosen frames. A second code exists only when two frames were chosen, so
// with one frame a slot or frame record without a code is not taken for a second frame.
struct ChosenFrames {
    std::string first;
    std::optional<std::string> second;

    bool isFirst(const std::string& code) const { return code == first; }
    bool isSecond(const std::string& code) const { return second && code == *second; }
    bool contains(const std::string& code) const { return isFirst(code) || isSecond(code); }
};

std::string askUntilValid(ExportContext& context) {
    for (;;) {
        const FrameAnswer answer = context.frontEnd.askFrames(context.documentFile);
        if (answer.cancelled)
            throw RunStopped{
                "Exportación detenida: no se ha elegido ningún marco horario. Las tablas de "
                "los pasos anteriores ya están escritas; DIASHORAST, DIASHORAST2 y PERIODOS no "
                "se han modificado."};
        if (answer.eleccionValida) return answer.marcosElegidos;
    }
}

ChosenFrames chooseFrames(ExportContext& context,
                          const std::vector<stores::DocumentRecord>& frames) {
    std::string choice;
    if (frames.size() >= 2)
        choice = askUntilValid(context);
    else if (!frames.empty())
        choice = frames.front().trimmed(0);
    if (choice.size() == 2 * kPiece)
        return {text::AllTrim(choice.substr(0, kPiece)), text::AllTrim(choice.substr(kPiece))};
    return {text::AllTrim(text::Left(choice, kPiece)), std::nullopt};
}

// "540" -> "09:00": hours and minutes, each given a leading "0" when it is one character.
std::string twoDigits(std::int64_t value) {
    std::string digits = std::to_string(value);
    return digits.size() == 1 ? "0" + digits : digits;
}

std::string timeText(std::int32_t minutes) {
    std::int64_t hours = minutes / 60;
    if (minutes % 60 < 0) --hours;  // rounded down, so the minutes stay between 0 and 59
    return twoDigits(hours) + ":" + twoDigits(minutes - hours * 60);
}

// A slot time: trimmed, one "0" put in front when shorter than 4 characters, then read as a
// whole number; so an empty time reads as 0.
std::int32_t slotMinutes(const stores::DocumentRecord& record, std::size_t position,
                         std::size_t index, std::string_view what) {
    const std::string value = record.trimmed(position);
    const auto minutes = parseWholeNumber(value.size() < 4 ? "0" + value : value);
    if (!minutes)
        throw stores::RunError(std::string(what) + " " +
                               valueInRecord(value, index, stores::blocks::TRAMOS_HORARIOS) +
                               " no es un número entero de minutos.");
    return *minutes;
}

void writeSlotsOfDay(Table& table, const std::vector<stores::DocumentRecord>& slots,
                     const ChosenFrames& chosen, int day) {
    int firstCount = 0;
    int secondCount = 0;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const auto& slot = slots[i];
        const std::string frameCode = text::Left(slot.trimmed(4), kPiece);
        if (!chosen.contains(frameCode)) continue;
        const std::int32_t start = slotMinutes(slot, 2, i, "la hora de inicio");
        const std::int32_t end = slotMinutes(slot, 3, i, "la hora de fin");
        const int number = chosen.isFirst(frameCode) ? ++firstCount : ++secondCount;
        table.append();
        table.setText(DIHO, std::to_string(day) + std::to_string(number));
        table.setText(HORA, std::to_string(number));
        table.setText(DIA, std::to_string(day));
        table.setText(TEXTOHOR, slot.trimmed(1));
        table.setText(CODDIHO, slot.trimmed(0));
        table.setText(HORADESDE, timeText(start));
        table.setText(HORAHASTA, timeText(end));
        table.setText(MINUTOS, std::to_string(std::int64_t{end} - start));
        table.setText(MARCOXML, frameCode);
        table.post();
    }
}

// Start of the frame's first slot on day 1, in minutes, read back from its HORADESDE.
std::optional<std::int64_t> firstSlotStart(Table& table, const std::string& code) {
    if (!table.locate("DIHO;MARCOXML", {"11", code})) return std::nullopt;
    const std::string start = table.text(HORADESDE);
    const auto hours = parseWholeNumber(text::Left(start, 2));
    const auto minutes = parseWholeNumber(start.size() > 3 ? start.substr(3, 2) : "");
    if (!hours || !minutes)
        throw stores::RunError("la hora de inicio «" + text::utf8FromCp1252(start) +
                               "» del primer tramo del marco «" + text::utf8FromCp1252(code) +
                               "» no se puede leer como horas y minutos.");
    return std::int64_t{*hours} * 60 + *minutes;
}

// The frame whose first slot starts earlier on day 1 is frame 0; on equal starts, and with one
// frame, the first chosen frame is.
void numberFrames(Table& table, const ChosenFrames& chosen) {
    int firstNumber = 0;
    int secondNumber = 1;
    if (chosen.second) {
        const std::int64_t firstStart = firstSlotStart(table, chosen.first).value_or(0);
        const std::int64_t secondStart = firstSlotStart(table, *chosen.second).value_or(1440);
        if (firstStart > secondStart) std::swap(firstNumber, secondNumber);
    }
    for (table.first(); !table.atEnd(); table.next()) {
        const std::string code = table.text(MARCOXML);
        if (!chosen.contains(code)) continue;
        table.edit();
        table.setText(MARCO, std::to_string(chosen.isFirst(code) ? firstNumber : secondNumber));
        table.post();
    }
}

void writeSlots(ExportContext& context, const ChosenFrames& chosen) {
    auto table = Table::open(context.exchangeDir, "DIASHORAST.DBF");
    const auto slots = context.document.records(stores::blocks::TRAMOS_HORARIOS);
    for (int day = 1; day <= 7; ++day) writeSlotsOfDay(table, slots, chosen, day);
    numberFrames(table, chosen);
    table.close();
}

void writePeriods(ExportContext& context, const std::vector<stores::DocumentRecord>& frames,
                  const ChosenFrames& chosen) {
    auto table = Table::open(context.exchangeDir, "PERIODOS.DBF");
    for (const auto& frame : frames) {
        const std::string code = frame.trimmed(0);
        if (!chosen.contains(code)) continue;
        table.append();
        table.setText(CJORNADA, code);
        table.setText(JORNADA, frame.trimmed(1));
        table.setText(FECINI, frame.trimmed(2));
        table.setText(FECFIN, frame.trimmed(3));
        table.post();
    }
    table.close();
}

}  // namespace

void ExportarTramos(ExportContext& context) {
    const auto frames = context.document.records(stores::blocks::JORNADAS_ESCOLARES);
    // Asked before anything is deleted, so a question the user gives up leaves these tables.
    const ChosenFrames chosen = chooseFrames(context, frames);
    const auto& dir = context.exchangeDir;
    stores::deleteTableFiles(dir, stores::tables::DIASHORAST);
    stores::deleteTableFiles(dir, stores::tables::DIASHORAST2);
    stores::deleteFileIgnoringCase(dir, std::string(stores::tables::JORNADAS) + ".DBF");
    stores::createExchangeTable(dir, stores::tables::DIASHORAST);
    stores::createExchangeTable(dir, stores::tables::DIASHORAST2);
    stores::createExchangeTable(dir, stores::tables::PERIODOS);
    writeSlots(context, chosen);
    writePeriods(context, frames, chosen);
}

}  // namespace exportrun
