// Times the document work of both runs on documents of real shape and size: the export run's
// walk over every field of every block, and the import run's build and save of a result.
#include "stores/ExchangeDocument.h"
#include "stores/XmlDocument.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Wall time and the process's CPU time: on a shared machine the CPU time is the steadier figure.
struct Stopwatch {
    Clock::time_point wall = Clock::now();
    std::clock_t cpu = std::clock();

    std::string lap() {
        const double w = std::chrono::duration<double>(Clock::now() - wall).count();
        const double c = static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
        wall = Clock::now();
        cpu = std::clock();
        char text[64];
        std::snprintf(text, sizeof text, "%.2f s (CPU %.2f s)", w, c);
        return text;
    }
};

long peakMegabytes() {
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

const char* const kBlocks[] = {"MATERIAS", "ACTIVIDADES", "EMPLEADOS", "DEPENDENCIAS",
                               "CURSOS_DEL_CENTRO", "UNIDADES", "JORNADAS_ESCOLARES", "TRAMOS_HORARIOS"};

// Indented UTF-8, six fields a record, accented values, the school year block first.
void writeSchoolDocument(const std::filesystem::path& file, int recordsPerBlock) {
    std::ofstream out(file, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SERVICIO modulo=\"EXPORTACION\">\n  <BLOQUE_DATOS>\n"
        << "    <grupo_datos seq=\"ANNO_ACADEMICO\">\n      <dato nombre_dato=\"C_ANNO\">2024</dato>\n"
        << "    </grupo_datos>\n";
    for (const char* block : kBlocks) {
        out << "    <grupo_datos seq=\"" << block << "\" registros=\"" << recordsPerBlock << "\">\n";
        for (int r = 0; r < recordsPerBlock; ++r) {
            out << "      <grupo_datos seq=\"ID_" << r << "\">\n";
            out << "        <dato nombre_dato=\"X_CLAVE\">" << 100000 + r << "</dato>\n";
            out << "        <dato nombre_dato=\"C_CODIGO\">C" << r << "</dato>\n";
            out << "        <dato nombre_dato=\"D_NOMBRE\">  Educaci\xC3\xB3n F\xC3\xADsica y Espa\xC3\xB1ol " << r
                << "  </dato>\n";
            out << "        <dato nombre_dato=\"D_APELLIDO1\">Mu\xC3\xB1oz</dato>\n";
            out << "        <dato nombre_dato=\"D_APELLIDO2\">Pe\xC3\xB1" "a &amp; G\xC3\xB3mez</dato>\n";
            out << "        <dato nombre_dato=\"C_MARCO\">M1</dato>\n";
            out << "      </grupo_datos>\n";
        }
        out << "    </grupo_datos>\n";
    }
    out << "  </BLOQUE_DATOS>\n</SERVICIO>\n";
}

void exportWalk(const std::filesystem::path& file) {
    Stopwatch watch;
    auto doc = stores::ExchangeDocument::load(file);
    const std::string load = watch.lap();
    std::size_t records = 0, fields = 0, bytes = 0;
    for (const char* block : kBlocks) {
        for (const auto& record : doc.records(block)) {
            ++records;
            for (std::size_t k = 0; k < record.fieldCount(); ++k, ++fields) bytes += record.trimmed(k).size();
        }
    }
    const std::string walk = watch.lap();
    std::printf("export walk: %.1f MB, %zu records, %zu fields (%zu bytes read)\n",
                std::filesystem::file_size(file) / 1e6, records, fields, bytes);
    std::printf("  load %s, select and read every field %s, peak RSS %ld MB\n", load.c_str(), walk.c_str(),
                peakMegabytes());
}

void importBuild(const std::filesystem::path& folder, int teachers, int activities) {
    const auto input = folder / "input.xml";
    std::ofstream(input) << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<SERVICIO><BLOQUE_DATOS>"
                            "<grupo_datos seq=\"ANNO_ACADEMICO\"><dato>2024</dato></grupo_datos>"
                            "</BLOQUE_DATOS></SERVICIO>\n";
    Stopwatch watch;
    auto doc = stores::XmlDocument::load(input);
    doc.documentNode().removeChild(doc.selectSingle("/SERVICIO"));
    auto root = doc.createElement("SERVICIO");
    doc.documentNode().appendChild(root);
    auto section = doc.createElement("BLOQUE_DATOS");
    root.appendChild(section);
    auto regular = doc.createElement("grupo_datos");
    section.appendChild(regular);
    regular.setAttribute("seq", "HORARIOS_REGULARES");
    std::size_t elements = 3;
    for (int t = 1; t <= teachers; ++t) {
        auto teacher = doc.createElement("grupo_datos");
        regular.appendChild(teacher);
        teacher.setAttribute("seq", "HORARIO_REGULAR_PROFESOR_" + std::to_string(t));
        teacher.setAttribute("registros", std::int64_t{activities});
        ++elements;
        for (int a = 1; a <= activities; ++a) {
            auto activity = doc.createElement("grupo_datos");
            teacher.appendChild(activity);
            activity.setAttribute("seq", "ACTIVIDAD_" + std::to_string(a));
            ++elements;
            for (int f = 0; f < 11; ++f, ++elements) {
                auto field = doc.createElement("dato");
                field.setAttribute("nombre_dato", "CAMPO_" + std::to_string(f));
                field.setText("Mu\xF1oz & Pe\xF1" "a \x80 " + std::to_string(a));
                activity.appendChild(field);
            }
        }
    }
    const std::string build = watch.lap();
    const auto output = folder / "ZuzezivedOvivizuinput.xml";
    doc.save(output);
    const std::string save = watch.lap();
    std::printf("import build: %zu elements, saved %.1f MB (ISO-8859-1)\n", elements,
                std::filesystem::file_size(output) / 1e6);
    std::printf("  build %s, save %s, peak RSS %ld MB\n", build.c_str(), save.c_str(), peakMegabytes());
}

// Each part runs in a process of its own, so that its peak memory is its own.
template <typename Part>
bool runApart(Part part) {
    const pid_t child = fork();
    if (child == 0) {
        try {
            part();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            std::_Exit(1);
        }
        std::fflush(stdout);
        std::_Exit(0);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

// Usage: bench_xml_document [records per block] [teachers] [activities per teacher]
int main(int argc, char** argv) {
    const int recordsPerBlock = argc > 1 ? std::atoi(argv[1]) : 12500;
    const int teachers = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int activities = argc > 3 ? std::atoi(argv[3]) : 30;
    const auto folder = std::filesystem::temp_directory_path() / ("xml-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const auto school = folder / "school.xml";
    writeSchoolDocument(school, recordsPerBlock);
    std::fflush(stdout);
    const bool ok = runApart([&] { exportWalk(school); }) && runApart([&] { importBuild(folder, teachers, activities); });
    std::filesystem::remove_all(folder);
    return ok ? 0 : 1;
}
