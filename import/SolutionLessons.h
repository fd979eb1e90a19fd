// Horavia's solution table, read once and grouped by teacher: for each teacher abbreviation, the
// placed lessons (rows whose DIA is not 0) in the table's stored order. This gives the rows that
// the filter "PROF= '<ABREV>'" lets through, without scanning the table once per teacher.
#pragma once

#include "stores/dbf/Table.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace importrun {

struct Lesson {  // a SOLUC row; texts as read
    std::string dia;         // DIA as text: the start of the slot key
    std::int32_t day = 0;    // DIA as a whole number
    std::int32_t hour = 0;   // HORA as a whole number
    std::string marco;
    std::string asig;
    std::string codgrupo;
    std::string tarea;
    std::string aula;
};

class SolutionLessons {
public:
    // Walks SOLUC once. Only the rows of `teachers` (PROF texts, compared exactly as read) are
    // looked at further; their DIA, and for placed rows the other fields, are read as the
    // lessons need them, so a DIA or HORA that is no number fails here with the table's error.
    static SolutionLessons read(stores::dbf::Table& soluc,
                                const std::unordered_set<std::string>& teachers);

    // The placed lessons of the teacher with this abbreviation; empty when there are none.
    const std::vector<Lesson>& of(const std::string& abrev) const;

private:
    std::unordered_map<std::string, std::vector<Lesson>> m_byTeacher;
};

}  // namespace importrun
