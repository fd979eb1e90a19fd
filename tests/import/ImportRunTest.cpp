#include "import/ImportRun.h"
#include "stores/RunError.h"
#include "stores/TableCatalogue.h"
#include "stores/dbf/Table.h"
#include "support/ImportFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace importtest;
namespace tables = stores::tables;
using stores::RunOutcome;

const std::function<std::string()> kFecha = [] { return std::string("11/12/2025 10:40:00"); };

// One teacher with one lesson in a slot whose times are given.
void writeTables(const std::filesystem::path& dir, const std::string& horaDesde = "08:30",
                 const std::string& xEmpleado = "1001") {
    writeExchangeTable(dir, tables::PROFT, {{{"ABREV", "GLA"}, {"X_EMPLEADO", xEmpleado}}});
    writeExchangeTable(dir, tables::ASIGT, {{{"CASIG", "MAT"}, {"CGRUP", "1A"}, {"CLAVE", "M1"}}});
    writeExchangeTable(dir, tables::ASIGNOMT, {{{"COD", "MAT"}}});
    writeExchangeTable(dir, tables::DIASHORAST, {{{"DIHO", "13"}, {"CODDIHO", "T3"}, {"DIA", "1"},
                                                   {"HORADESDE", horaDesde}, {"HORAHASTA", "09:25"},
                                                   {"MARCO", "0"}}});
    writeExchangeTable(dir, tables::GRUPOST, {{{"ABREV", "1A"}, {"CLAVE", "U1A"}}});
    writeExchangeTable(dir, tables::AULAT, {});
    writeExchangeTable(dir, tables::CURSOST, {});
    writeExchangeTable(dir, tables::PERIODOS, {{{"FECINI", "15/09/2024"}, {"FECFIN", "23/06/2025"}}});
    writeSoluc(dir, {{"GLA", "1", "3", "0", "MAT", "1A", "", "A1"}});
}

struct Run {
    importrun::ImportResult result;
    std::vector<std::string> events;
    std::string error;  // the RunError's text, when the run failed
};

Run runImport(const std::filesystem::path& document, const std::filesystem::path& exchangeDir) {
    RecordingFrontEnd frontEnd;
    Run run;
    try {
        run.result = importrun::runImport({document, exchangeDir, kFecha}, frontEnd);
    } catch (const stores::RunError& e) {
        run.error = e.what();
    }
    run.events = frontEnd.events;
    return run;
}

std::vector<std::string> filesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Every exchange table can be opened exclusively again: the run let them all go.
void expectTablesReleased(const std::filesystem::path& dir) {
    for (const auto table : {tables::SOLUC, tables::GRUPOST, tables::CURSOST, tables::PROFT,
                             tables::AULAT, tables::ASIGNOMT, tables::DIASHORAST, tables::ASIGT}) {
        if (!std::filesystem::exists(dir / (std::string(table) + ".DBF"))) continue;
        EXPECT_NO_THROW(stores::dbf::Table::open(dir, table, stores::dbf::OpenMode::Exclusive)) << table;
    }
}

TEST(ImportRun, FinishedRunSavesBesideTheDocumentAndSaysSo) {
    ScratchFolder dir;
    writeTables(dir.path());
    const auto document = dir.write("horario.xml", schoolDocument());
    dir.write("ZuzezivedOvivizuhorario.xml", "resultado anterior");

    const auto run = runImport(document, dir.path());
    ASSERT_EQ(run.error, "");
    EXPECT_EQ(run.result.outcome, RunOutcome::Finished);
    EXPECT_EQ(run.result.resultFile, dir.path() / "ZuzezivedOvivizuhorario.xml");
    EXPECT_EQ(run.events, (std::vector<std::string>{"ocupado", "libre", "mensaje: Proceso finalizado"}));
    const std::string saved = ScratchFolder::read(run.result.resultFile);
    EXPECT_NE(saved.find("<SERVICIO modulo=\"HORARIOS\" tipo=\"I\" autor=\"HORARIOS\" fecha=\"11/12/2025 10:40:00\">"),
              std::string::npos) << saved;
    EXPECT_NE(saved.find("<grupo_datos seq=\"HORARIOS_REGULARES\" registros=\"1\">"), std::string::npos);
    EXPECT_NE(saved.find("<grupo_datos seq=\"HORARIO_REGULAR_PROFESOR_1\" registros=\"1\">"), std::string::npos);
    EXPECT_EQ(saved.find("MATERIAS"), std::string::npos) << "no element of the input stays";
    EXPECT_EQ(ScratchFolder::read(document), schoolDocument()) << "the input is never written";
    expectTablesReleased(dir.path());
}

TEST(ImportRun, ResultPathIsBesideTheDocumentWithThePrefix) {
    struct Case { const char* document; const char* result; };
    const Case cases[] = {
        {"/datos/centro/horario.xml", "/datos/centro/ZuzezivedOvivizuhorario.xml"},
        {"horario.XML", "ZuzezivedOvivizuhorario.XML"},
        {"/a b/x.y.xml", "/a b/ZuzezivedOvivizux.y.xml"},
    };
    for (const auto& c : cases) EXPECT_EQ(importrun::resultPathFor(c.document), c.result);
}

TEST(ImportRun, SchoolYearIsTheFirstFourCharactersOfTheFirstBlock) {
    struct Case { const char* firstBlockText; const char* year; };
    const Case cases[] = {{"2023-24", "2023"}, {"20", "20"}, {"", ""}, {" 2023", " 202"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.firstBlockText);
        ScratchFolder dir;
        writeTables(dir.path());
        const auto document = dir.write("horario.xml", schoolDocument(c.firstBlockText));
        const auto run = runImport(document, dir.path());
        ASSERT_EQ(run.error, "");
        EXPECT_EQ(readResult(run.result.resultFile).schoolYear, c.year);
    }
}

TEST(ImportRun, EmptyTeacherAndPeriodTablesGiveEmptyParts) {
    ScratchFolder dir;
    writeTables(dir.path());
    writeExchangeTable(dir.path(), tables::PERIODOS, {});
    const auto document = dir.write("horario.xml", schoolDocument());
    ASSERT_EQ(runImport(document, dir.path()).error, "");
    const auto withoutPeriod = readResult(dir.path() / "ZuzezivedOvivizuhorario.xml");
    ASSERT_EQ(withoutPeriod.teachers.size(), 1u);
    ASSERT_EQ(withoutPeriod.teachers[0].activities.size(), 1u);
    const auto& values = withoutPeriod.teachers[0].activities[0].values;
    EXPECT_EQ(values[6], std::make_pair(std::string("F_INICIO"), std::string()));
    EXPECT_EQ(values[7], std::make_pair(std::string("F_FIN"), std::string()));

    writeExchangeTable(dir.path(), tables::PROFT, {});
    ASSERT_EQ(runImport(document, dir.path()).error, "");
    const auto withoutTeachers = readResult(dir.path() / "ZuzezivedOvivizuhorario.xml");
    EXPECT_EQ(withoutTeachers.teacherCount, "0");
    EXPECT_TRUE(withoutTeachers.teachers.empty());
}

TEST(ImportRun, MissingDocumentShowsItsMessageAndDoesNothingElse) {
    ScratchFolder dir;
    writeTables(dir.path());
    for (const auto& document : {dir.path() / "no-existe.xml", dir.path()}) {
        SCOPED_TRACE(document.string());
        const auto run = runImport(document, dir.path());
        EXPECT_EQ(run.error, "");
        EXPECT_EQ(run.result.outcome, RunOutcome::NoDocument);
        EXPECT_EQ(run.events, std::vector<std::string>{"mensaje: No existe archivo"});
    }
}

TEST(ImportRun, MissingPeriodTableStopsAfterTheCursorIsRestored) {
    ScratchFolder dir;
    writeTables(dir.path());
    std::filesystem::remove(dir.path() / "PERIODOS.DBF");
    const auto document = dir.write("horario.xml", schoolDocument());

    const auto run = runImport(document, dir.path());
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.result.outcome, RunOutcome::Stopped);
    EXPECT_EQ(run.events, (std::vector<std::string>{
        "ocupado", "libre",
        "mensaje: ATENCIÓN - PERIODOS.DBF No encontrado - Importe de nuevo XML de VELTRANA."}));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "ZuzezivedOvivizuhorario.xml"));
    expectTablesReleased(dir.path());
}

TEST(ImportRun, MissingTableSaysWhatToDoFirst) {
    struct Case { const char* file; const char* message; };
    const Case cases[] = {
        {"SOLUC.DBF", "No se encuentra SOLUC.DBF en la carpeta de intercambio DIR. Horavia todavía no "
                      "ha resuelto el horario: resuélvalo en Horavia y vuelva a importar."},
        {"PROFT.DBF", "No se encuentra PROFT.DBF en la carpeta de intercambio DIR. Exporte primero el "
                      "XML de VELTRANA y resuelva el horario en Horavia."},
        {"ASIGT.DBF", "No se encuentra ASIGT.DBF en la carpeta de intercambio DIR. Exporte primero el "
                      "XML de VELTRANA y resuelva el horario en Horavia."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ScratchFolder dir;
        writeTables(dir.path());
        std::filesystem::remove(dir.path() / c.file);
        const auto document = dir.write("horario.xml", schoolDocument());
        const auto run = runImport(document, dir.path());
        std::string expected = c.message;
        expected.replace(expected.find("DIR"), 3, dir.path().string());
        EXPECT_EQ(run.error, expected);
        EXPECT_EQ(run.events, (std::vector<std::string>{"ocupado", "libre"}));
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "ZuzezivedOvivizuhorario.xml"));
        expectTablesReleased(dir.path());
    }

    ScratchFolder dir;
    const auto document = dir.write("horario.xml", schoolDocument());
    EXPECT_EQ(runImport(document, dir.path() / "KTEMP").error,
              "No existe la carpeta de intercambio " + (dir.path() / "KTEMP").string() + ".");
}

TEST(ImportRun, DocumentWithoutDataStopsAndSavesNothing) {
    struct Case { const char* what; std::string content; std::string message; };
    const std::string noData = "\" no tiene datos en /SERVICIO/BLOQUE_DATOS, de donde se toma el año "
                               "académico. No se ha guardado ningún resultado.";
    const Case cases[] = {
        {"no data section", "<SERVICIO><OTRO/></SERVICIO>", noData},
        {"empty data section", "<SERVICIO><BLOQUE_DATOS>  </BLOQUE_DATOS></SERVICIO>", noData},
        {"another root", "<RAIZ><BLOQUE_DATOS><grupo_datos/></BLOQUE_DATOS></RAIZ>", noData},
        {"not well-formed", "<SERVICIO><BLOQUE_DATOS></SERVICIO>", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder dir;
        writeTables(dir.path());
        const auto document = dir.write("horario.xml", c.content);
        dir.write("ZuzezivedOvivizuhorario.xml", "resultado anterior");
        const auto run = runImport(document, dir.path());
        if (c.message.empty()) {
            EXPECT_NE(run.error.find(document.string()), std::string::npos) << run.error;
        } else {
            EXPECT_EQ(run.error, "El documento \"" + document.string() + c.message);
        }
        EXPECT_EQ(ScratchFolder::read(dir.path() / "ZuzezivedOvivizuhorario.xml"), "resultado anterior");
        expectTablesReleased(dir.path());
    }
}

TEST(ImportRun, SlotTimeThatIsNoClockTimeStopsTheRunNamingTheLesson) {
    ScratchFolder dir;
    writeTables(dir.path(), "8:5", "1001");
    const auto document = dir.write("horario.xml", schoolDocument());
    dir.write("ZuzezivedOvivizuhorario.xml", "resultado anterior");

    const auto run = runImport(document, dir.path());
    EXPECT_EQ(run.error, "La hora \"8:5\" de HORADESDE en DIASHORAST no es una hora hh:mm válida "
                         "(tramo del día \"1\", hora 3 del profesor \"GLA\", X_EMPLEADO \"1001\"). "
                         "No se ha guardado el resultado.");
    EXPECT_EQ(run.events, (std::vector<std::string>{"ocupado", "libre"}));
    EXPECT_EQ(ScratchFolder::read(dir.path() / "ZuzezivedOvivizuhorario.xml"), "resultado anterior");
    expectTablesReleased(dir.path());
}

// Horavia may keep DIA and HORA as text; one that is no number stops the run with the table's
// own error, which names the field.
TEST(ImportRun, DayThatIsNoNumberStopsTheRun) {
    ScratchFolder dir;
    writeTables(dir.path());
    writeSoluc(dir.path(), {{"GLA", "1", "3", "0", "MAT", "1A", "", ""}, {"GLA", "x", "3", "0", "MAT", "1A", "", ""}},
               "PROF C(10); DIA C(2); HORA C(2); MARCO C(1); ASIG C(10); CODGRUPO C(10); TAREA C(12); AULA C(10)");
    const auto document = dir.write("horario.xml", schoolDocument());
    const auto run = runImport(document, dir.path());
    EXPECT_NE(run.error.find("DIA"), std::string::npos) << run.error;
    EXPECT_NE(run.error.find("SOLUC"), std::string::npos) << run.error;
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "ZuzezivedOvivizuhorario.xml"));
}

TEST(ImportRun, ResultKeepsTheInputsEncodingAndItsNodesOutsideTheRoot) {
    ScratchFolder dir;
    writeTables(dir.path(), "08:30", "Mu\xF1oz \x80");  // cp1252: ñ and the euro sign
    const auto document = dir.write("horario.xml",
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
              "<!-- documento de intercambio -->\n"
              "<?xml-stylesheet type=\"text/xsl\" href=\"ver.xsl\"?>\n"
              "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"A\"><dato>2024 a\xF1o</dato></grupo_datos>"
              "</BLOQUE_DATOS></SERVICIO>\n"
              "<!-- fin -->\n");
    ASSERT_EQ(runImport(document, dir.path()).error, "");

    const std::string saved = ScratchFolder::read(dir.path() / "ZuzezivedOvivizuhorario.xml");
    const auto root = saved.find("<SERVICIO");
    ASSERT_NE(root, std::string::npos);
    const std::string prolog = saved.substr(0, root);
    EXPECT_EQ(prolog.rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", 0), 0u) << prolog;
    const auto comment = prolog.find("<!-- documento de intercambio -->");
    const auto instruction = prolog.find("<?xml-stylesheet type=\"text/xsl\" href=\"ver.xsl\"?>");
    EXPECT_NE(comment, std::string::npos);
    EXPECT_NE(instruction, std::string::npos);
    EXPECT_LT(comment, instruction);
    EXPECT_NE(saved.find(">Mu\xF1oz &#8364;</dato>"), std::string::npos) << "ñ as one Latin-1 byte";
    EXPECT_EQ(readResult(dir.path() / "ZuzezivedOvivizuhorario.xml").teachers.at(0).values.at(0).second,
              "Mu\xF1oz \x80");
}

// The save goes to a temporary file that is renamed at the end: a save that cannot be made, or
// breaks off, leaves the earlier result as it was and nothing else behind.
TEST(ImportRun, FailedSaveKeepsTheEarlierResult) {
    ScratchFolder dir;
    const auto exchange = dir.path() / "KTEMP";
    const auto folder = dir.path() / "centro";
    std::filesystem::create_directories(exchange);
    std::filesystem::create_directories(folder);
    writeTables(exchange);
    const auto document = dir.write("centro/horario.xml", schoolDocument());
    dir.write("centro/ZuzezivedOvivizuhorario.xml", "resultado anterior");
    const auto before = filesIn(folder);

    {
        SCOPED_TRACE("a file that outgrows the size limit");
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        const pid_t child = ::fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{200, 200};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const auto run = runImport(document, exchange);
            const auto written = ::write(pipeEnds[1], run.error.data(), run.error.size());
            ::_exit(written < 0 ? 1 : 0);
        }
        ::close(pipeEnds[1]);
        std::string error;
        char buffer[512];
        for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) error.append(buffer, n);
        ::close(pipeEnds[0]);
        ::waitpid(child, nullptr, 0);
        EXPECT_NE(error.find("ZuzezivedOvivizuhorario.xml"), std::string::npos) << error;
        EXPECT_EQ(filesIn(folder), before);
        EXPECT_EQ(ScratchFolder::read(folder / "ZuzezivedOvivizuhorario.xml"), "resultado anterior");
    }
    {
        SCOPED_TRACE("a folder that cannot be written");
        if (!makeReadOnly(folder)) GTEST_SKIP() << "this file system cannot make a folder read-only";
        const auto run = runImport(document, exchange);
        makeWritable(folder);
        EXPECT_NE(run.error, "");
        EXPECT_EQ(run.events, (std::vector<std::string>{"ocupado", "libre"}));
        EXPECT_EQ(filesIn(folder), before);
        EXPECT_EQ(ScratchFolder::read(folder / "ZuzezivedOvivizuhorario.xml"), "resultado anterior");
    }
}

}  // namespace
