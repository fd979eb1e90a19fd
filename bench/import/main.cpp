// bench-import: times the import run on a generated district and on multiples of it.
//   bench-import [--dir DIR] [FACTOR...]     (factors default to 1 4 16)
// Each factor runs in a child process of its own, so that its peak memory is its own. A factor
// whose import would not fit in the memory available now is skipped: the machine is
// shared, and running out of memory would hurt more than this process.
#include "DistrictCase.h"

#include "import/ImportRun.h"
#include "stores/RunError.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

class SilentFrontEnd : public stores::RunFrontEnd {
public:
    void showMessage(const std::string&) override {}
    void setBusy(bool) override {}
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct CpuTime {
    double user = 0;
    double system = 0;
};

CpuTime cpuTime() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Peak memory of the import: the solution rows and, for each teacher, the saved text of its
// finished group, about 1 KB per SOLUC row in all (218 MB measured at factor 1), with a margin.
constexpr double kMegabytesPerFactor = 300.0;

double availableMegabytes() {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    double kilobytes = 0;
    while (meminfo >> key >> kilobytes) {
        if (key == "MemAvailable:") return kilobytes / 1024.0;
        meminfo.ignore(64, '\n');
    }
    return 0;
}

int runFactor(const std::filesystem::path& base, int factor) {
    const auto dir = base / ("x" + std::to_string(factor));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto size = bench::districtSize(factor);

    auto start = std::chrono::steady_clock::now();
    bench::writeDistrictCase(dir, size);
    const double generation = secondsSince(start);
    const double generationPeak = peakMegabytes();

    SilentFrontEnd frontEnd;
    start = std::chrono::steady_clock::now();
    const CpuTime cpuBefore = cpuTime();
    const auto result = importrun::runImport(
        {dir / "centro.xml", dir, [] { return std::string("11/12/2025 10:40:00"); }}, frontEnd);
    const double import = secondsSince(start);
    const CpuTime cpuAfter = cpuTime();
    const double user = cpuAfter.user - cpuBefore.user;
    const double system = cpuAfter.system - cpuBefore.system;
    if (result.outcome != stores::RunOutcome::Finished) {
        std::cerr << "x" << factor << ": the import did not finish\n";
        return 1;
    }
    const auto bytes = std::filesystem::file_size(result.resultFile);
    std::printf("x%-3d %6lld teachers %8lld SOLUC rows %7lld ASIGT rows | generate %4.1f s | "
                "import %6.1f s (user %6.1f s, system %5.1f s; %4.1f us/SOLUC row) | "
                "result %6.1f MB | peak RSS %7.1f MB (%.1f MB before the import)\n",
                factor, static_cast<long long>(size.teachers),
                static_cast<long long>(size.solutionRows), static_cast<long long>(size.assignments),
                generation, import, user, system,
                import * 1e6 / static_cast<double>(size.solutionRows),
                static_cast<double>(bytes) / 1e6, peakMegabytes(), generationPeak);
    std::fflush(stdout);
    std::filesystem::remove_all(dir);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::path base = std::filesystem::temp_directory_path() / "bench-import";
    std::vector<int> factors;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--dir" && i + 1 < argc) base = argv[++i];
        else if (const int factor = std::atoi(arg.c_str()); factor > 0) factors.push_back(factor);
        else {
            std::cerr << "usage: bench-import [--dir DIR] [FACTOR...]\n";
            return 2;
        }
    }
    if (factors.empty()) factors = {1, 4, 16};
    int failures = 0;
    for (const int factor : factors) {
        const double needed = kMegabytesPerFactor * factor;
        const double available = availableMegabytes();
        if (needed > 0.8 * available) {
            std::printf("x%-3d skipped: needs about %.1f GB of memory, %.1f GB available now\n", factor,
                        needed / 1024.0, available / 1024.0);
            std::fflush(stdout);
            continue;
        }
        const pid_t child = fork();
        if (child == 0) {
            try {
                _exit(runFactor(base, factor));
            } catch (const std::exception& e) {
                std::cerr << "x" << factor << ": " << e.what() << "\n";
                _exit(1);
            }
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) ++failures;
    }
    return failures == 0 ? 0 : 1;
}
