// Speed of the table engine on the export's biggest table: writes ROWS rows (default 1,000,000)
// of the ASIGT layout in a temporary folder, then opens it and reads every field of every row,
// as the import run walks its tables. Prints rows per second and the peak memory.
// Usage: bench_dbf [ROWS]
#include "stores/TableCatalogue.h"
#include "stores/dbf/Table.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using stores::dbf::Table;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

void writeRows(const fs::path& dir, long rows) {
    using namespace stores::fields;
    stores::createExchangeTable(dir, stores::tables::ASIGT);
    Table table = Table::open(dir, stores::tables::ASIGT);
    for (long i = 0; i < rows; ++i) {
        const std::string n = std::to_string(i);
        table.append();
        table.setText(CASIG, "MAT" + n);
        table.setText(CGRUP, "G" + n);
        table.setText(CAULA, "A" + std::to_string(i % 40));
        table.setText(TURNO, "M");
        table.setText(NIVEL, "ESO");
        table.setText(CURSO, "1");
        table.setText(GRUPO, "A");
        table.setFloat(HORAS, 3.5);
        table.setText(SESIONES, "2-1");
        table.setText(CLAVE, n);
        table.setText(CLAVECURSO, "103001");
        table.setText(CTAREA, "");
        table.post();
    }
    table.close();
}

// Reads every field as text, the way the import run builds its maps.
std::size_t readRows(const fs::path& dir, long& rows) {
    Table table = Table::open(dir, stores::tables::ASIGT, stores::dbf::OpenMode::Exclusive);
    const int fieldCount = static_cast<int>(table.fields().size());
    std::size_t characters = 0;
    rows = 0;
    for (table.first(); !table.atEnd(); table.next(), ++rows)
        for (int f = 0; f < fieldCount; ++f) characters += table.text(f).size();
    return characters;
}

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
    const fs::path dir = fs::temp_directory_path() / ("bench-dbf-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    try {
        const auto writeStart = Clock::now();
        writeRows(dir, rows);
        const double writeSeconds = secondsSince(writeStart);
        const auto size = fs::file_size(dir / "ASIGT.DBF");

        long readCount = 0;
        const auto readStart = Clock::now();
        const std::size_t characters = readRows(dir, readCount);
        const double readSeconds = secondsSince(readStart);

        std::printf("rows                 %ld (file %.1f MB)\n", rows, size / 1e6);
        std::printf("write                %.2f s, %.0f rows/s\n", writeSeconds, rows / writeSeconds);
        std::printf("read (every field)   %.2f s, %.0f rows/s (%ld rows, %zu characters)\n",
                    readSeconds, readCount / readSeconds, readCount, characters);
        std::printf("peak memory          %ld MB\n", peakMegabytes());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        fs::remove_all(dir);
        return 1;
    }
    fs::remove_all(dir);
    return 0;
}
