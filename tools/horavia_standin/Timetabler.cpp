// Greedy placement with a fixed pseudo-random order, so that the result is the same every time.
#include "Timetabler.h"

#include <algorithm>
#include <optional>
#include <set>
#include <tuple>
#include <utility>

namespace standin {
namespace {

// splitmix64: fully specified, so every platform and compiler gives the same sequence.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(next() % n); }
    bool percent(int chance) { return below(100) < static_cast<std::size_t>(chance); }

private:
    std::uint64_t m_state;
};

constexpr int kUnplacedPercent = 3;
constexpr int kRoomPercent = 85;
constexpr int kActivityPercent = 10;

bool isWeekday(const SlotRef& slot) { return slot.dia >= 1 && slot.dia <= 5; }

class Timetabler {
public:
    Timetabler(const Problem& problem, std::uint64_t seed) : m_problem(problem), m_random(seed) {
        for (const auto& slot : problem.slots) {
            const auto key = std::make_tuple(slot.dia, slot.hora, slot.marco);
            if (m_seen.insert(key).second) m_slots.push_back(slot);
        }
        m_load.assign(problem.teachers.size(), 0);
    }

    std::vector<SolutionRow> solve() {
        for (std::size_t i = 0; i < m_problem.assignments.size(); ++i)
            place(m_problem.assignments[i], i);
        return std::move(m_rows);
    }

private:
    // Slots of the group's frame, school days first, each part in a shuffled order.
    std::vector<std::size_t> candidateSlots(const std::string& group) {
        const auto frame = m_problem.groupFrames.find(group);
        std::vector<std::size_t> weekdays;
        std::vector<std::size_t> weekend;
        for (std::size_t s = 0; s < m_slots.size(); ++s) {
            if (frame != m_problem.groupFrames.end() && m_slots[s].marco != frame->second) continue;
            (isWeekday(m_slots[s]) ? weekdays : weekend).push_back(s);
        }
        shuffle(weekdays);
        shuffle(weekend);
        weekdays.insert(weekdays.end(), weekend.begin(), weekend.end());
        return weekdays;
    }

    void shuffle(std::vector<std::size_t>& items) {
        for (std::size_t i = items.size(); i > 1; --i) std::swap(items[i - 1], items[m_random.below(i)]);
    }

    // The least loaded teacher, looking from a place that moves with every assignment.
    std::size_t chooseTeacher(std::size_t assignmentIndex) const {
        const std::size_t count = m_load.size();
        std::size_t best = assignmentIndex % count;
        for (std::size_t k = 1; k < count; ++k) {
            const std::size_t t = (assignmentIndex + k) % count;
            if (m_load[t] < m_load[best]) best = t;
        }
        return best;
    }

    void place(const AssignmentRef& assignment, std::size_t index) {
        const auto candidates = candidateSlots(assignment.cgrup);
        const bool hasTeacher = !m_load.empty();
        const std::size_t teacher = hasTeacher ? chooseTeacher(index) : 0;
        const std::string prof = hasTeacher ? m_problem.teachers[teacher] : std::string();
        std::set<std::int32_t> daysUsed;
        for (int session = 0; session < assignment.sessions; ++session) {
            SolutionRow row{prof, 0, 0, "", assignment.casig, assignment.cgrup, "", ""};
            const auto slot = m_random.percent(kUnplacedPercent)
                                  ? std::nullopt
                                  : freeSlot(candidates, assignment.cgrup, hasTeacher, teacher, daysUsed);
            if (slot) {
                fill(row, *slot);
                daysUsed.insert(m_slots[*slot].dia);
                m_busyGroups.insert({assignment.cgrup, *slot});
                if (hasTeacher) {
                    m_busyTeachers.insert({teacher, *slot});
                    ++m_load[teacher];
                }
            }
            m_rows.push_back(std::move(row));
        }
    }

    // A slot where neither the group nor the teacher has a lesson; a day the assignment does not
    // use yet is taken first.
    std::optional<std::size_t> freeSlot(const std::vector<std::size_t>& candidates,
                                        const std::string& group, bool hasTeacher,
                                        std::size_t teacher, const std::set<std::int32_t>& daysUsed) const {
        for (const bool newDayOnly : {true, false}) {
            for (const std::size_t s : candidates) {
                if (newDayOnly && daysUsed.contains(m_slots[s].dia)) continue;
                if (m_busyGroups.contains({group, s})) continue;
                if (hasTeacher && m_busyTeachers.contains({teacher, s})) continue;
                return s;
            }
        }
        return std::nullopt;
    }

    void fill(SolutionRow& row, std::size_t slot) {
        row.dia = m_slots[slot].dia;
        row.hora = m_slots[slot].hora;
        row.marco = m_slots[slot].marco;
        if (!m_problem.rooms.empty() && m_random.percent(kRoomPercent)) {
            const std::size_t count = m_problem.rooms.size();
            const std::size_t start = m_random.below(count);
            for (std::size_t k = 0; k < count; ++k) {
                const std::size_t room = (start + k) % count;
                if (m_busyRooms.insert({room, slot}).second) {
                    row.aula = m_problem.rooms[room];
                    break;
                }
            }
        }
        const auto& codes = m_problem.activityCodes;
        if (!codes.empty() && m_random.percent(kActivityPercent))
            row.tarea = codes[m_random.below(codes.size())];
    }

    const Problem& m_problem;
    Random m_random;
    std::set<std::tuple<std::int32_t, std::int32_t, std::string>> m_seen;
    std::vector<SlotRef> m_slots;
    std::vector<int> m_load;
    std::set<std::pair<std::string, std::size_t>> m_busyGroups;
    std::set<std::pair<std::size_t, std::size_t>> m_busyTeachers;
    std::set<std::pair<std::size_t, std::size_t>> m_busyRooms;
    std::vector<SolutionRow> m_rows;
};

}  // namespace

std::vector<SolutionRow> solve(const Problem& problem, std::uint64_t seed) {
    return Timetabler(problem, seed).solve();
}

}  // namespace standin
