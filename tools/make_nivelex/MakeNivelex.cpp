// Builds the reference table NIVELEX.DBF that ships beside the program from data/nivelex.csv
// (UTF-8, ';' between the fields, one header line). Usage: make_nivelex CSV OUTPUT_FOLDER
#include "stores/RunError.h"
#include "stores/TableCatalogue.h"
#include "stores/dbf/Table.h"
#include "text/Cp1252.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using stores::RunError;
using stores::dbf::FieldType;

constexpr int kAbbreviationWidth = 10;
constexpr int kStudyWidth = 120;
constexpr char kHeader[] = "X_OFERTAMATRIG;NIVEL_ABREV;ESTUDIO";

struct Course {
    std::int32_t key = 0;
    std::string abbreviation;  // cp1252
    std::string study;
};

stores::dbf::TableDef nivelexDef() {
    using namespace stores::fields;
    return {std::string(stores::kReferenceTableFile),
            {{std::string(X_OFERTAMATRIG), FieldType::Integer, 0},
             {std::string(NIVEL_ABREV), FieldType::Character, kAbbreviationWidth},
             {std::string(ESTUDIO), FieldType::Character, kStudyWidth}},
            {},
            stores::dbf::TableLevel::DBase7};
}

std::string cp1252Field(const std::string& utf8, int width, const std::string& where) {
    const std::string converted = text::cp1252FromUtf8(utf8);
    if (text::utf8FromCp1252(converted) != utf8)
        throw RunError(where + ": el texto «" + utf8 + "» tiene caracteres que no caben en cp1252.");
    if (static_cast<int>(converted.size()) > width)
        throw RunError(where + ": el texto «" + utf8 + "» pasa de " + std::to_string(width) +
                       " caracteres.");
    return converted;
}

Course parseLine(const std::string& line, const std::string& where) {
    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        const auto end = line.find(';', start);
        parts.push_back(line.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (parts.size() != 3)
        throw RunError(where + ": se esperan 3 campos separados por ';' y hay " +
                       std::to_string(parts.size()) + ".");
    Course course;
    const auto& key = parts[0];
    const auto result = std::from_chars(key.data(), key.data() + key.size(), course.key);
    if (key.empty() || result.ec != std::errc() || result.ptr != key.data() + key.size())
        throw RunError(where + ": la clave «" + key + "» no es un número entero.");
    course.abbreviation = cp1252Field(parts[1], kAbbreviationWidth, where);
    course.study = cp1252Field(parts[2], kStudyWidth, where);
    return course;
}

std::vector<Course> readCourses(const fs::path& csv) {
    std::ifstream in(csv, std::ios::binary);
    if (!in) throw RunError("No se puede leer " + csv.string() + ".");
    std::vector<Course> courses;
    std::set<std::int32_t> keys;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string where = csv.string() + ", línea " + std::to_string(number);
        if (number == 1) {
            if (line != kHeader) throw RunError(where + ": la cabecera debe ser " + kHeader + ".");
            continue;
        }
        if (line.empty()) continue;
        courses.push_back(parseLine(line, where));
        if (!keys.insert(courses.back().key).second)
            throw RunError(where + ": la clave " + std::to_string(courses.back().key) +
                           " está repetida.");
    }
    return courses;
}

// The table is built in a folder of its own and moved into place complete, so a failed build
// never leaves a partial table where the program looks for it.
void writeTable(const std::vector<Course>& courses, const fs::path& outputDir) {
    const fs::path work = outputDir / (".nivelex-" + std::to_string(::getpid()));
    fs::create_directories(work);
    try {
        stores::dbf::Table::create(work, nivelexDef());
        auto table = stores::dbf::Table::open(work, stores::tables::NIVELEX);
        for (const auto& course : courses) {
            table.append();
            table.setInteger(stores::fields::X_OFERTAMATRIG, course.key);
            table.setText(stores::fields::NIVEL_ABREV, course.abbreviation);
            table.setText(stores::fields::ESTUDIO, course.study);
        }
        table.close();
        fs::rename(work / stores::kReferenceTableFile, outputDir / stores::kReferenceTableFile);
    } catch (...) {
        fs::remove_all(work);
        throw;
    }
    fs::remove_all(work);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "Uso: make_nivelex NIVELEX.CSV CARPETA_DE_SALIDA\n";
        return 2;
    }
    try {
        writeTable(readCourses(argv[1]), argv[2]);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
