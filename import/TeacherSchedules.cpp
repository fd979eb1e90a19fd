// The teacher loop and the eleven values of every activity.
#include "import/TeacherSchedules.h"

#include "import/ExchangeLookups.h"
#include "import/ResultDocument.h"
#include "import/SlotTime.h"
#include "import/SolutionLessons.h"
#include "stores/RunError.h"
#include "stores/TableCatalogue.h"
#include "text/Clipper.h"
#include "text/Cp1252.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <unordered_set>

namespace importrun {
namespace {

namespace fields = stores::fields;
using stores::XmlDocument;
using stores::XmlNode;

constexpr std::array<std::string_view, 11> kActivityValueNames = {
    "N_DIASEMANA", "X_TRAMO",  "X_DEPENDENCIA", "X_UNIDAD",  "X_OFERTAMATRIG", "X_MATERIAOMG",
    "F_INICIO",    "F_FIN",    "N_HORINI",      "N_HORFIN",  "X_ACTIVIDAD"};
using ActivityValues = std::array<std::string, kActivityValueNames.size()>;

bool isBlank(const std::string& value) { return text::AllTrim(value).empty(); }

std::string quoted(const std::string& cp1252) { return "\"" + text::utf8FromCp1252(cp1252) + "\""; }

class ScheduleWriter {
public:
    ScheduleWriter(XmlDocument& document, const PeriodDates& period, ExchangeLookups& lookups)
        : m_document(document), m_period(period), m_lookups(lookups) {}

    void appendTeacher(XmlNode horarios, std::int64_t number, const Teacher& teacher,
                       const std::vector<Lesson>& lessons) {
        auto group = newGroup(m_document, "HORARIO_REGULAR_PROFESOR_" + std::to_string(number));
        group.setAttribute("registros", static_cast<std::int64_t>(lessons.size()));
        horarios.appendChild(group);
        appendValue(m_document, group, "X_EMPLEADO", teacher.xEmpleado);
        appendValue(m_document, group, "F_TOMAPOS", teacher.fTomapos);
        std::int64_t activity = 0;
        for (const auto& lesson : lessons) appendActivity(group, ++activity, teacher, lesson);
        // Nothing reads a finished group again: keep only the text it will be saved as, so that
        // a district's result fits in memory.
        group.freeze();
    }

private:
    void appendActivity(XmlNode teacherGroup, std::int64_t number, const Teacher& teacher,
                        const Lesson& lesson) {
        const ActivityValues values = valuesOf(teacher, lesson);
        auto group = newGroup(m_document, "ACTIVIDAD_" + std::to_string(number));
        teacherGroup.appendChild(group);
        for (std::size_t i = 0; i < values.size(); ++i)
            appendValue(m_document, group, kActivityValueNames[i], values[i]);
    }

    ActivityValues valuesOf(const Teacher& teacher, const Lesson& lesson) {
        const Assignment* assignment = m_lookups.assignment(lesson.asig, lesson.codgrupo);
        const Slot* slot = m_lookups.slot(lesson.dia + std::to_string(lesson.hour),
                                          lesson.marco.substr(0, 1));
        const std::string* unit = m_lookups.unit(lesson.codgrupo);
        return {slot ? slot->dia : "",
                slot ? slot->coddiho : "",
                isBlank(lesson.aula) ? "" : lesson.aula,
                unit ? *unit : "",
                assignment ? assignment->claveCurso : "",
                assignment ? assignment->clave : "",
                m_period.start,
                m_period.end,
                minutes(slot ? slot->horaDesde : "", fields::HORADESDE, teacher, lesson),
                minutes(slot ? slot->horaHasta : "", fields::HORAHASTA, teacher, lesson),
                activityOf(lesson)};
    }

    std::string activityOf(const Lesson& lesson) {
        std::string activity = lesson.tarea;
        if (isBlank(activity)) {
            if (const std::string* codtarea = m_lookups.activity(lesson.asig)) activity = *codtarea;
        }
        return isBlank(activity) ? "1" : activity;
    }

    static std::string minutes(const std::string& time, std::string_view field,
                               const Teacher& teacher, const Lesson& lesson) {
        if (const auto value = minutesFromSlotTime(time)) return std::to_string(*value);
        throw stores::RunError(
            "La hora " + quoted(time) + " de " + std::string(field) + " en " +
            std::string(stores::tables::DIASHORAST) + " no es una hora hh:mm válida (tramo del día " +
            quoted(lesson.dia) + ", hora " + std::to_string(lesson.hour) + " del profesor " +
            quoted(teacher.abrev) + ", X_EMPLEADO " + quoted(teacher.xEmpleado) +
            "). No se ha guardado el resultado.");
    }

    XmlDocument& m_document;
    const PeriodDates& m_period;
    ExchangeLookups& m_lookups;
};

}  // namespace

std::vector<Teacher> readTeachers(stores::dbf::Table& proft) {
    std::vector<Teacher> teachers;
    for (proft.first(); !proft.atEnd(); proft.next())
        teachers.push_back({proft.text(fields::X_EMPLEADO), proft.text(fields::F_TOMAPOS),
                            proft.text(fields::ABREV)});
    return teachers;
}

void appendTeacherSchedules(XmlDocument& document, XmlNode horarios,
                            const std::vector<Teacher>& teachers, const PeriodDates& period,
                            ImportTables& tables) {
    std::unordered_set<std::string> abbreviations;
    for (const auto& teacher : teachers) abbreviations.insert(teacher.abrev);
    const auto lessons = SolutionLessons::read(tables.table(stores::tables::SOLUC), abbreviations);
    ExchangeLookups lookups(tables.table(stores::tables::ASIGT),
                            tables.table(stores::tables::ASIGNOMT),
                            tables.table(stores::tables::DIASHORAST),
                            tables.table(stores::tables::GRUPOST));
    ScheduleWriter writer(document, period, lookups);
    std::int64_t number = 0;
    for (const auto& teacher : teachers)
        writer.appendTeacher(horarios, ++number, teacher, lessons.of(teacher.abrev));
}

}  // namespace importrun
