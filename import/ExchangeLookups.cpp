// Reads each lookup table once, the first time a lesson needs it.
#include "import/ExchangeLookups.h"

#include "stores/TableCatalogue.h"

namespace importrun {
namespace {

using stores::dbf::Table;
namespace fields = stores::fields;

// Walks the table from its first row; `add` is given every row in stored order.
template <typename Add>
void walk(Table& table, Add add) {
    for (table.first(); !table.atEnd(); table.next()) add(table);
}

template <typename Map, typename Key>
auto* find(const Map& map, const Key& key) {
    const auto found = map.find(key);
    return found == map.end() ? nullptr : &found->second;
}

}  // namespace

const Assignment* ExchangeLookups::assignment(const std::string& casig, const std::string& cgrup) {
    if (!m_assignments) {
        m_assignments.emplace();
        walk(m_asigt, [&](Table& row) {
            m_assignments->try_emplace({row.text(fields::CASIG), row.text(fields::CGRUP)},
                                       Assignment{row.text(fields::CLAVE), row.text(fields::CLAVECURSO)});
        });
    }
    return find(*m_assignments, TextPair{casig, cgrup});
}

const std::string* ExchangeLookups::activity(const std::string& cod) {
    if (!m_activities) {
        m_activities.emplace();
        walk(m_asignomt, [&](Table& row) {
            m_activities->try_emplace(row.text(fields::COD), row.text(fields::CODTAREA));
        });
    }
    return find(*m_activities, cod);
}

const Slot* ExchangeLookups::slot(const std::string& diho, const std::string& marco) {
    if (!m_slots) {
        m_slots.emplace();
        walk(m_diashorast, [&](Table& row) {
            m_slots->try_emplace({row.text(fields::DIHO), row.text(fields::MARCO)},
                                 Slot{row.text(fields::DIA), row.text(fields::CODDIHO),
                                      row.text(fields::HORADESDE), row.text(fields::HORAHASTA)});
        });
    }
    return find(*m_slots, TextPair{diho, marco});
}

const std::string* ExchangeLookups::unit(const std::string& abrev) {
    if (!m_units) {
        m_units.emplace();
        walk(m_grupost, [&](Table& row) {
            m_units->try_emplace(row.text(fields::ABREV), row.text(fields::CLAVE));
        });
    }
    return find(*m_units, abrev);
}

}  // namespace importrun
