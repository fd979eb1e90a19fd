// A small, deterministic timetabler that plays Horavia's part: every assignment's sessions go
// into free slots of its group, each with a teacher who is nowhere else at that time and, where
// one is free, a room. It aims at plausible data for tests and the demo, not at a good timetable.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace standin {

struct SlotRef {  // a DIASHORAST row
    std::int32_t dia = 0;
    std::int32_t hora = 0;
    std::string marco;
};

struct AssignmentRef {  // an ASIGT row
    std::string casig;
    std::string cgrup;
    int sessions = 0;  // HORAS, rounded
};

struct Problem {
    std::vector<std::string> teachers;        // PROFT.ABREV
    std::vector<std::string> rooms;           // AULAT.ABREV
    std::map<std::string, std::string> groupFrames;  // GRUPOST.ABREV -> MARCO (first row)
    std::vector<SlotRef> slots;
    std::vector<AssignmentRef> assignments;
    std::vector<std::string> activityCodes;   // non-blank ASIGNOMT.CODTAREA of activities
};

struct SolutionRow {  // a SOLUC row; dia 0: a session that was not placed
    std::string prof;
    std::int32_t dia = 0;
    std::int32_t hora = 0;
    std::string marco;
    std::string asig;
    std::string codgrupo;
    std::string tarea;
    std::string aula;
};

// The same problem and seed always give the same rows, in assignment order.
std::vector<SolutionRow> solve(const Problem& problem, std::uint64_t seed);

}  // namespace standin
