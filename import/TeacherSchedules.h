// Every teacher's regular weekly timetable: one group per PROFT row, holding one activity group
// per lesson that Horavia placed for the teacher, with its keys translated back to Veltrana's.
#pragma once

#include "import/ImportTables.h"
#include "stores/XmlDocument.h"

#include <string>
#include <vector>

namespace importrun {

struct Teacher {  // a PROFT row
    std::string xEmpleado;
    std::string fTomapos;
    std::string abrev;
};

struct PeriodDates {  // FECINI and FECFIN of the first PERIODOS row
    std::string start;
    std::string end;
};

// The rows of PROFT in stored order.
std::vector<Teacher> readTeachers(stores::dbf::Table& proft);

// Appends the group of every teacher, in order, to `horarios` (the HORARIOS_REGULARES group).
// A slot time that is no hh:mm stops with a RunError naming the teacher, the lesson's day and
// hour, and the value.
void appendTeacherSchedules(stores::XmlDocument& document, stores::XmlNode horarios,
                            const std::vector<Teacher>& teachers, const PeriodDates& period,
                            ImportTables& tables);

}  // namespace importrun
