// One pass over SOLUC, grouping the placed lessons by teacher.
#include "import/SolutionLessons.h"

#include "stores/TableCatalogue.h"

namespace importrun {
namespace {

namespace fields = stores::fields;

Lesson lessonAt(stores::dbf::Table& soluc, std::int32_t day) {
    Lesson lesson;
    lesson.day = day;
    lesson.dia = soluc.text(fields::DIA);
    lesson.hour = soluc.integer(fields::HORA);
    lesson.marco = soluc.text(fields::MARCO);
    lesson.asig = soluc.text(fields::ASIG);
    lesson.codgrupo = soluc.text(fields::CODGRUPO);
    lesson.tarea = soluc.text(fields::TAREA);
    lesson.aula = soluc.text(fields::AULA);
    return lesson;
}

}  // namespace

SolutionLessons SolutionLessons::read(stores::dbf::Table& soluc,
                                      const std::unordered_set<std::string>& teachers) {
    SolutionLessons lessons;
    if (teachers.empty()) return lessons;
    for (soluc.first(); !soluc.atEnd(); soluc.next()) {
        std::string abrev = soluc.text(fields::PROF);
        if (!teachers.contains(abrev)) continue;
        const std::int32_t day = soluc.integer(fields::DIA);
        if (day == 0) continue;
        lessons.m_byTeacher[std::move(abrev)].push_back(lessonAt(soluc, day));
    }
    return lessons;
}

const std::vector<Lesson>& SolutionLessons::of(const std::string& abrev) const {
    static const std::vector<Lesson> none;
    const auto found = m_byTeacher.find(abrev);
    return found == m_byTeacher.end() ? none : found->second;
}

}  // namespace importrun
