// Export time for a district-sized school document and for 4 and 16 times that size.
// Usage: bench_export [WORK_DIR] [SCALE ...]   (default: a folder under /tmp; scales 1 4 16)
// Each size is exported three times into a fresh exchange directory; the best and the median
// time are printed, since other work on the machine only ever adds time.
//
// Scale 1 is a hundred large secondary schools in one document: 40,000 subjects, 20,000 class
// units in 4,000 courses, 30,000 staff, 10,000 rooms, 10,000 activities, and 2 frames of 12
// slots. Names repeat the way they do in real schools: most subjects share their names with
// the other schools, unit names are the same in every school, and teachers' initials collide
// often, so the distinct-code searches and the repeated-name checks get real work.
#include "export/ExportRun.h"
#include "stores/dbf/Table.h"
#include "text/Cp1252.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kSchools = 100;
constexpr int kCoursesPerSchool = 40;
constexpr int kUnitsPerCourse = 5;
constexpr int kSubjectsPerCourse = 10;
constexpr int kStaffPerSchool = 300;
constexpr int kRoomsPerSchool = 100;
constexpr int kActivitiesPerSchool = 100;
constexpr int kReferenceRows = 500;
constexpr int kRuns = 3;

const char* const kSurnames[] = {"García", "González", "Rodríguez", "Fernández", "López",
                                 "Martínez", "Sánchez", "Pérez", "Gómez", "Martín", "Jiménez",
                                 "Ruiz", "Hernández", "Díaz", "Moreno", "Álvarez", "Muñoz",
                                 "Romero", "Alonso", "Gutiérrez", "Navarro", "Torres"};
const char* const kGivenNames[] = {"Ana", "Antonio", "María", "Manuel", "Carmen", "José",
                                   "Lucía", "Javier", "Isabel", "Ángel", "Rocío", "Íñigo"};
const char* const kSubjects[] = {"Lengua Castellana y Literatura", "Matemáticas",
                                 "Geografía e Historia", "Biología y Geología", "Inglés",
                                 "Educación Física", "Física y Química", "Música",
                                 "Tecnología y Digitalización", "Educación Plástica"};

class Xml {
public:
    explicit Xml(const std::filesystem::path& file) : m_out(file, std::ios::binary) {}
    void record(std::initializer_list<std::string> values) {
        m_out << "<grupo_datos>";
        for (const auto& value : values) m_out << "<dato>" << value << "</dato>";
        m_out << "</grupo_datos>\n";
    }
    void open(const char* seq) { m_out << "<grupo_datos seq=\"" << seq << "\">\n"; }
    void close() { m_out << "</grupo_datos>\n"; }
    std::ofstream& out() { return m_out; }

private:
    std::ofstream m_out;
};

int courseKey(int school, int course) { return 100000 + school * 100 + course; }

void writeDocument(const std::filesystem::path& file, int scale) {
    const int schools = kSchools * scale;
    Xml xml(file);
    xml.out() << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SERVICIO><BLOQUE_DATOS>\n"
                 "<grupo_datos seq=\"ANNO_ACADEMICO\"><dato>2026</dato></grupo_datos>\n";
    xml.open("MATERIAS");
    for (int s = 0; s < schools; ++s)
        for (int c = 0; c < kCoursesPerSchool; ++c)
            for (int m = 0; m < kSubjectsPerCourse; ++m) {
                // Three subjects in four are named as in every other school.
                const std::string name =
                    m < 7 ? std::string(kSubjects[m]) + " " + std::to_string(c % 6 + 1) + "º"
                          : "Taller propio " + std::to_string(m) + " del centro " +
                                std::to_string(s) + " curso " + std::to_string(c);
                xml.record({std::to_string(courseKey(s, c)), std::to_string(s * 1000 + c * 10 + m),
                            name});
            }
    xml.close();
    xml.open("ACTIVIDADES");
    for (int s = 0; s < schools; ++s)
        for (int a = 0; a < kActivitiesPerSchool; ++a)
            xml.record({std::to_string(a), "ACT" + std::to_string(a), "Guardia " + std::to_string(a)});
    xml.close();
    xml.open("EMPLEADOS");
    int person = 0;
    for (int s = 0; s < schools; ++s)
        for (int p = 0; p < kStaffPerSchool; ++p, ++person)
            xml.record({std::to_string(person), "01/09/2020", "Departamento " + std::to_string(p % 20),
                        kSurnames[person % 22], kSurnames[(person / 22) % 22],
                        kGivenNames[(person / 7) % 12]});
    xml.close();
    xml.open("DEPENDENCIAS");
    for (int s = 0; s < schools; ++s)
        for (int r = 0; r < kRoomsPerSchool; ++r)
            xml.record({r % 10 ? "A" + std::to_string(r) : "", "Aula " + std::to_string(r)});
    xml.close();
    xml.open("CURSOS_DEL_CENTRO");
    for (int s = 0; s < schools; ++s)
        for (int c = 0; c < kCoursesPerSchool; ++c)
            xml.record({std::to_string(courseKey(s, c)), std::to_string(c % 6 + 1) + "º curso"});
    xml.close();
    xml.open("UNIDADES");
    int unit = 0;
    for (int s = 0; s < schools; ++s)
        for (int c = 0; c < kCoursesPerSchool; ++c)
            for (int u = 0; u < kUnitsPerCourse; ++u, ++unit)
                xml.record({"U" + std::to_string(unit),
                            std::to_string(c % 6 + 1) + "º ESO " + std::string(1, char('A' + u)),
                            std::to_string(courseKey(s, c))});
    xml.close();
    xml.open("JORNADAS_ESCOLARES");
    xml.record({"ORD", "Jornada ordinaria", "15/09/2026", "31/05/2027"});
    xml.record({"INT", "Jornada intensiva", "01/06/2027", "22/06/2027"});
    xml.close();
    xml.open("TRAMOS_HORARIOS");
    for (const auto& [frame, start] : {std::pair{"ORD", 480}, std::pair{"INT", 510}})
        for (int t = 0; t < 12; ++t)
            xml.record({std::string(frame) + std::to_string(t), std::to_string(t + 1) + "ª hora",
                        std::to_string(start + 55 * t), std::to_string(start + 55 * t + 55), frame});
    xml.close();
    xml.out() << "</BLOQUE_DATOS></SERVICIO>\n";
}

void writeReferenceTable(const std::filesystem::path& dir) {
    using namespace stores::dbf;
    TableDef def{"NIVELEX.DBF",
                 {{"X_OFERTAMATRIG", FieldType::Integer, 0},
                  {"NIVEL_ABREV", FieldType::Character, 5},
                  {"ESTUDIO", FieldType::Character, 100}},
                 {},
                 TableLevel::DBase7};
    Table::create(dir, def);
    auto table = Table::open(dir, def.fileName);
    for (int row = 0; row < kReferenceRows; ++row) {
        table.append();
        table.setInteger("X_OFERTAMATRIG", courseKey(row / kCoursesPerSchool, row % kCoursesPerSchool));
        table.setText("NIVEL_ABREV", "ESO");
        table.setText("ESTUDIO", text::cp1252FromUtf8("Educación Secundaria Obligatoria"));
        table.post();
    }
    table.close();
}

class QuietFrontEnd : public exportrun::FrontEnd {
public:
    void showMessage(const std::string& text) override { last = text; }
    void setBusy(bool) override {}
    exportrun::FrameAnswer askFrames(const std::filesystem::path&) override {
        return {false, true, "ORD       INT       "};
    }
    std::string last;
};

long peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path work =
        argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path() / "bench_export";
    std::vector<int> scales;
    for (int i = 2; i < argc; ++i) scales.push_back(std::stoi(argv[i]));
    if (scales.empty()) scales = {1, 4, 16};

    std::filesystem::create_directories(work);
    writeReferenceTable(work);
    std::printf("%6s %10s %10s %9s %9s %11s %9s\n", "scale", "records", "xml MB", "best s",
                "median s", "best us/rec", "peak MB");
    for (const int scale : scales) {
        const auto document = work / ("district-" + std::to_string(scale) + ".xml");
        const auto exchange = work / ("KTEMP-" + std::to_string(scale));
        writeDocument(document, scale);
        const long records = static_cast<long>(scale) * kSchools *
                             (kCoursesPerSchool * (1 + kUnitsPerCourse + kSubjectsPerCourse) +
                              kStaffPerSchool + kRoomsPerSchool + kActivitiesPerSchool);
        std::vector<double> times;
        for (int run = 0; run < kRuns; ++run) {
            std::filesystem::remove_all(exchange);
            std::filesystem::create_directories(exchange);
            QuietFrontEnd frontEnd;
            const auto start = std::chrono::steady_clock::now();
            const auto outcome =
                exportrun::runExport({document, exchange, work / "NIVELEX.DBF"}, frontEnd);
            times.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            if (outcome != stores::RunOutcome::Finished) {
                std::cerr << "La exportación no terminó: " << frontEnd.last << "\n";
                return 1;
            }
        }
        std::sort(times.begin(), times.end());
        std::printf("%6d %10ld %10.1f %9.2f %9.2f %11.2f %9ld\n", scale, records,
                    std::filesystem::file_size(document) / 1e6, times.front(), times[kRuns / 2],
                    times.front() * 1e6 / records, peakMegabytes());
        std::fflush(stdout);
        std::filesystem::remove(document);
        std::filesystem::remove_all(exchange);
    }
    return 0;
}
