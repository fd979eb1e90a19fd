// A generated exchange directory the size of a school district (or a multiple of it), written
// with the table engine: what the export run and Horavia would leave for the import run.
#pragma once

#include <cstdint>
#include <filesystem>

namespace bench {

struct CaseSize {
    std::int64_t teachers = 0;
    std::int64_t groups = 0;
    std::int64_t assignments = 0;    // ASIGT rows
    std::int64_t solutionRows = 0;   // SOLUC rows
};

// Factor 1: 5,000 teachers, 1,250 groups, 50,000 assignments, 200,000 solution rows.
CaseSize districtSize(int factor);

// Writes the eight exchange tables, PERIODOS, SOLUC and a school document "centro.xml" into
// `dir`, which must exist and be empty.
void writeDistrictCase(const std::filesystem::path& dir, const CaseSize& size);

}  // namespace bench
