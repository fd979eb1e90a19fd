// The lookups that turn Horavia's codes in a solved lesson back into Veltrana's keys, through the
// tables of the export run. Each table is read once, when it is first needed, into a map that
// keeps the first row of every key in stored order: the row a walk from the top would find.
// Keys are the texts as read, compared exactly (letter case counts, nothing trimmed).
#pragma once

#include "stores/dbf/Table.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

namespace importrun {

struct Assignment {  // an ASIGT row
    std::string clave;
    std::string claveCurso;
};

struct Slot {  // a DIASHORAST row
    std::string dia;
    std::string coddiho;
    std::string horaDesde;
    std::string horaHasta;
};

class ExchangeLookups {
public:
    ExchangeLookups(stores::dbf::Table& asigt, stores::dbf::Table& asignomt,
                    stores::dbf::Table& diashorast, stores::dbf::Table& grupost)
        : m_asigt(asigt), m_asignomt(asignomt), m_diashorast(diashorast), m_grupost(grupost) {}

    // ASIGT: the first row whose CASIG and CGRUP are these.
    const Assignment* assignment(const std::string& casig, const std::string& cgrup);
    // ASIGNOMT: CODTAREA of the first row whose COD is this (blank ones included).
    const std::string* activity(const std::string& cod);
    // DIASHORAST: the first row whose DIHO and MARCO are these.
    const Slot* slot(const std::string& diho, const std::string& marco);
    // GRUPOST: CLAVE of the first row whose ABREV is this.
    const std::string* unit(const std::string& abrev);

private:
    using TextPair = std::pair<std::string, std::string>;
    struct PairHash {
        std::size_t operator()(const TextPair& key) const {
            const std::size_t first = std::hash<std::string>{}(key.first);
            return first ^ (std::hash<std::string>{}(key.second) + 0x9e3779b97f4a7c15ULL +
                            (first << 6) + (first >> 2));
        }
    };

    stores::dbf::Table& m_asigt;
    stores::dbf::Table& m_asignomt;
    stores::dbf::Table& m_diashorast;
    stores::dbf::Table& m_grupost;
    std::optional<std::unordered_map<TextPair, Assignment, PairHash>> m_assignments;
    std::optional<std::unordered_map<std::string, std::string>> m_activities;
    std::optional<std::unordered_map<TextPair, Slot, PairHash>> m_slots;
    std::optional<std::unordered_map<std::string, std::string>> m_units;
};

}  // namespace importrun
