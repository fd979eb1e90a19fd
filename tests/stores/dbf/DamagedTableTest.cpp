// Damaged or hostile table files: each gives one clear message naming the file, never a crash
// or a read past the bytes the file has.
#include "stores/dbf/Table.h"

#include "DbfTestSupport.h"
#include "stores/RunError.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace dbftest;

// A sound table: two fields, A C(3) and B N(5,0), two records.
Image soundImage() {
    Image image;
    image.fields = {{"A", 'C', 3}, {"B", 'N', 5}};
    image.records = {" abc    1", " def   22"};
    return image;
}

std::string withBytes(std::string file, std::size_t at, const std::string& replacement) {
    return file.replace(at, replacement.size(), replacement);
}

struct Damage {
    const char* name;
    std::function<std::string()> file;
    std::string detail;
};

TEST(DamagedTable, EveryDamageIsReportedWithTheFileName) {
    const std::string sound = soundImage().file();  // header 32 + 2 * 32 + 1 = 97
    const auto image = [](auto change) {
        return [change] {
            Image i = soundImage();
            change(i);
            return i.file();
        };
    };
    const std::vector<Damage> cases = {
        {"empty file", [] { return std::string(); }, "está vacío"},
        {"truncated header", [=] { return sound.substr(0, 20); },
         "la cabecera está incompleta (20 bytes)"},
        {"truncated level-7 header", [=] { return withBytes(sound, 0, bytes({0x04})).substr(0, 60); },
         "la cabecera está incompleta (60 bytes)"},
        {"unknown version", [=] { return withBytes(sound, 0, bytes({0x07})); },
         "versión desconocida (0x07)"},
        {"text file", [] { return std::string("PROF;DIA;HORA\nANA;1;3\n"); },
         "versión desconocida (0x50)"},
        {"header length beyond the file", [=] { return withBytes(sound, 8, le16(5000)); },
         "la cabecera declara 5000 bytes y el archivo solo tiene 116"},
        {"header length below the minimum", [=] { return withBytes(sound, 8, le16(20)); },
         "la longitud de cabecera (20) es menor que la mínima"},
        {"header shorter than its descriptors", [=] { return withBytes(sound, 8, le16(70)); },
         "la cabecera (70 bytes) es más corta que su lista de campos"},
        {"no 0x0D after the descriptors",
         [=] { return withBytes(withBytes(sound, 8, le16(96)), 96, " "); },
         "la lista de campos no termina con el byte 0x0D dentro de la cabecera"},
        {"zero fields", image([](Image& i) { i.fields.clear(); i.records.clear(); }),
         "no tiene campos"},
        {"field without a name", image([](Image& i) { i.fields[0].name = ""; }),
         "el campo número 1 no tiene nombre"},
        {"width 0", image([](Image& i) { i.fields[1].width = 0; }), "el campo B tiene ancho 0"},
        {"binary integer of the wrong width",
         image([](Image& i) { i.fields[1] = {"B", 'I', 200}; }),
         "el campo B de tipo I tiene ancho 200 y debe tener 4"},
        {"record length longer than the fields", [=] { return withBytes(sound, 10, le16(12)); },
         "la longitud de registro (12) no coincide con la de sus campos (9)"},
        {"fields overflow the record", [=] { return withBytes(sound, 10, le16(4)); },
         "sus campos ocupan 9 bytes por registro y el registro declarado solo tiene 4"},
        {"record length 0", [=] { return withBytes(sound, 10, le16(0)); },
         "sus campos ocupan 9 bytes por registro y el registro declarado solo tiene 0"},
        {"absurd character width (high byte in the decimals)",
         image([](Image& i) { i.fields[0] = {"A", 'C', 255, 255}; }),
         "sus campos ocupan 65541 bytes por registro y el registro declarado solo tiene 261"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        writeBytes(dir / "SOLUC.DBF", c.file());
        std::string message = "(no error)";
        try {
            stores::dbf::Table::open(dir.path(), "SOLUC");
        } catch (const stores::RunError& e) {
            message = e.what();
        }
        EXPECT_EQ(message, "El archivo " + (dir / "SOLUC.DBF").string() +
                               " no es una tabla dBase válida: " + c.detail + ".");
    }
}

}  // namespace
