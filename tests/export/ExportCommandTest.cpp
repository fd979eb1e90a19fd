// The batch tool's "exportar", run as a separate program: the example school end to end, read
// back with an independent dBase reader, and the command's refusals.
#include "support/ExportFixture.h"

#include "stores/dbf/Table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

using exporttest::ExportFixture;
using exporttest::TempDir;

const std::string kCli = BIN_DIR "/DuzezErozaraDiruzidu-cli";

std::string quoted(const std::string& word) {
    std::string out = "'";
    for (const char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string readAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

struct Outcome {
    int status = -1;
    std::string out, err;
};

Outcome runProgram(const TempDir& dir, const std::string& program,
                   const std::vector<std::string>& args) {
    std::string command = quoted(program);
    for (const auto& arg : args) command += " " + quoted(arg);
    const auto out = dir.path() / "salida.txt";
    const auto err = dir.path() / "errores.txt";
    const int status = std::system((command + " >" + quoted(out.string()) + " 2>" +
                                    quoted(err.string()) + " </dev/null").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readAll(out), readAll(err)};
}

Outcome exportar(const TempDir& dir, std::vector<std::string> args) {
    args.insert(args.begin(), "exportar");
    return runProgram(dir, kCli, args);
}

// The batch tool is built only together with both runs; until then there is nothing to run.
class ExportCommand : public testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kCli)) GTEST_SKIP() << kCli << " is not built";
    }
};

std::vector<std::string> tablesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(ExportCommand, ExportsTheExampleSchool) {
    TempDir dir;
    const auto exchange = dir.path() / "KTEMP";
    std::filesystem::create_directories(exchange);
    const auto result = exportar(dir, {EXAMPLES_DIR "/instituto.xml", "--marco", "ORD",
                                       "--intercambio", exchange.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Proceso finalizado\n");
    EXPECT_EQ(result.err, "");

    const auto dump = runProgram(dir, PYTHON3, {TOOLS_DIR "/dump_tables.py", exchange.string(),
                                                "ASIGNOMT", "PROFT", "AULAT", "CURSOST", "GRUPOST",
                                                "ASIGT", "DIASHORAST", "DIASHORAST2", "PERIODOS"});
    ASSERT_EQ(dump.status, 0) << dump.err;
    const std::string expectedFile = TOOLS_DIR "/../export/instituto_tables.txt";
    const std::string actualFile = (dir.path() / "instituto_tables.txt").string();
    exporttest::writeFile(actualFile, dump.out);
    EXPECT_TRUE(dump.out == readAll(expectedFile))
        << "the tables differ from " << expectedFile << ":\n"
        << runProgram(dir, "/usr/bin/diff", {expectedFile, actualFile}).out;
}

TEST_F(ExportCommand, TwoFramesArePutInTheDocumentsOrder) {
    TempDir dir;
    const auto exchange = dir.path() / "KTEMP";
    std::filesystem::create_directories(exchange);
    const auto result = exportar(dir, {EXAMPLES_DIR "/instituto.xml", "--marco", "INT", "--marco=ORD",
                                       "--intercambio", exchange.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(exporttest::rows(exchange, "PERIODOS", {"CJORNADA"}),
              (std::vector<std::string>{"ORD", "INT"}));
    // The ordinary day starts at 08:15, the intensive one at 08:30.
    const auto grid = exporttest::rows(exchange, "DIASHORAST", {"DIHO", "MARCOXML", "MARCO"});
    ASSERT_EQ(grid.size(), 98u);
    EXPECT_EQ(grid[0], "11|ORD|0");
    EXPECT_EQ(grid[7], "11|INT|1");
}

TEST_F(ExportCommand, RefusesAWrongChoiceOfFramesBeforeTouchingAnyTable) {
    const std::string threeFrames = exporttest::schoolXml(
        {{"JORNADAS_ESCOLARES", {{"ORD", "Ordinaria"}, {"INT", "Intensiva"}, {"TARDE", "Tarde"}}}});
    const std::string oneFrame = exporttest::schoolXml({exporttest::oneFrame()});
    struct Case {
        const char* what;
        const std::string* document;
        std::vector<std::string> frames;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {"no frame given", &threeFrames, {}, 1,
         "Debe al menos seleccionar 1 Marco Horario.\n"
         "Marcos horarios del documento: ORD, INT, TARDE.\n"},
        {"three frames", &threeFrames, {"TARDE", "ORD", "INT"}, 1,
         "Demasiados Marcos Horarios seleccionados.\r\n"
         "Como máximo puede seleccionar 2 Marcos Horarios\n"},
        {"unknown frame", &threeFrames, {"ORD", "Tarde"}, 1,
         "El documento no tiene el marco horario «Tarde». "
         "Marcos horarios del documento: ORD, INT, TARDE.\n"},
        {"another than the only frame", &oneFrame, {"INT"}, 1,
         "El documento no tiene el marco horario «INT». Marcos horarios del documento: ORD.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExportFixture fixture;
        exporttest::writeFile(fixture.document(), *c.document);
        std::vector<std::string> args = {fixture.document().string(), "--intercambio",
                                         fixture.exchangeDir().string(), "--nivelex",
                                         fixture.referenceTable().string()};
        for (const auto& frame : c.frames) args.insert(args.end(), {"--marco", frame});
        const auto result = exportar(TempDir(), args);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(tablesIn(fixture.exchangeDir()).empty());
    }
}

TEST_F(ExportCommand, ExitStatusTellsFinishedStoppedAndUsageErrorsApart) {
    ExportFixture fixture;
    exporttest::writeFile(fixture.document(), exporttest::schoolXml({exporttest::oneFrame()}));
    const std::string doc = fixture.document().string();
    const std::string ktemp = fixture.exchangeDir().string();
    const std::string nivelex = fixture.referenceTable().string();
    struct Case {
        const char* what;
        std::vector<std::string> args;
        int status;
        std::string errStart;
    };
    const Case cases[] = {
        {"the only frame named", {doc, "--marco", "ORD", "--intercambio", ktemp, "--nivelex", nivelex}, 0, ""},
        {"missing document", {doc + ".no", "--intercambio", ktemp, "--nivelex", nivelex}, 1,
         "No existe archivo\n"},
        {"missing reference table", {doc, "--intercambio", ktemp, "--nivelex", nivelex + ".no"}, 1,
         "ATENCIÓN - NIVELEX.DBF No encontrado - Reinstale DUZEZEROZARADIRUZIDU\n"},
        {"no document given", {"--intercambio", ktemp}, 2, "Falta el documento XML que se exporta.\n"},
        {"two documents", {doc, doc}, 2, "Sobra el argumento "},
        {"unknown option", {doc, "--marcos", "ORD"}, 2, "Opción desconocida para exportar: --marcos.\n"},
        {"option without value", {doc, "--marco"}, 2, "Falta el valor de la opción --marco.\n"},
        {"exchange folder twice", {doc, "--intercambio", ktemp, "--intercambio", ktemp}, 2,
         "La opción --intercambio se ha indicado más de una vez.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto result = exportar(TempDir(), c.args);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.err.rfind(c.errStart, 0), 0u) << result.err;
        if (c.status == 2) {
            EXPECT_NE(result.err.find("Uso: "), std::string::npos);
        }
        EXPECT_EQ(result.out, c.status == 0 ? "Proceso finalizado\n" : "");
    }
}

TEST_F(ExportCommand, HelpExplainsTheCommand) {
    const auto result = exportar(TempDir(), {"--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("--marco CODIGO"), std::string::npos);
    EXPECT_NE(result.out.find("--nivelex FICHERO"), std::string::npos);
}

}  // namespace
