#include "stores/TableCatalogue.h"
#include "support/ImportFixture.h"

#include <gtest/gtest.h>

namespace {

using namespace importtest;
namespace tables = stores::tables;

const std::string kCli = std::string(BIN_DIR) + "/DuzezErozaraDiruzidu-cli";

void writeTables(const std::filesystem::path& dir) {
    writeExchangeTable(dir, tables::PROFT, {{{"ABREV", "GLA"}, {"X_EMPLEADO", "1001"}}});
    for (const auto table : {tables::ASIGT, tables::ASIGNOMT, tables::DIASHORAST, tables::GRUPOST,
                             tables::AULAT, tables::CURSOST, tables::PERIODOS})
        writeExchangeTable(dir, table, {});
    writeSoluc(dir, {{"GLA", "1", "3", "0", "MAT", "1A", "", ""}});
}

CommandResult importar(const std::string& arguments, const std::string& environment = "") {
    return runCommand(environment + " " + shellQuoted(kCli) + " importar " + arguments);
}

class ImportCommand : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kCli)) GTEST_SKIP() << "the batch tool is not built";
        writeTables(m_exchange.path());
        m_folder.write("horario.xml", schoolDocument());
    }
    std::filesystem::path document() const { return m_folder.path() / "horario.xml"; }
    std::filesystem::path result() const { return m_folder.path() / "ZuzezivedOvivizuhorario.xml"; }
    std::string exchangeOption() const { return "--intercambio " + shellQuoted(m_exchange.path().string()); }

    ScratchFolder m_exchange;
    ScratchFolder m_folder;
};

TEST_F(ImportCommand, FinishedRunPrintsItsMessageAndTheResultPath) {
    const std::string quoted = shellQuoted(document().string());
    const std::string cases[] = {
        quoted + " " + exchangeOption(),
        exchangeOption() + " " + quoted,
        quoted + " --intercambio=" + shellQuoted(m_exchange.path().string()),
    };
    for (const auto& arguments : cases) {
        SCOPED_TRACE(arguments);
        std::filesystem::remove(result());
        const auto run = importar(arguments);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "Proceso finalizado\n" + result().string() + "\n");
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(std::filesystem::exists(result()));
    }
}

TEST_F(ImportCommand, HelpDescribesTheCommand) {
    const auto run = importar("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Uso:\n  importar DOCUMENTO.xml [--intercambio DIR]\n", 0), 0u) << run.out;
    EXPECT_FALSE(std::filesystem::exists(result()));
}

TEST_F(ImportCommand, WithoutTheOptionTheExchangeDirectoryComesFromKtemp) {
    const auto run = importar(shellQuoted(document().string()),
                              "env KTEMP=" + shellQuoted(m_exchange.path().string()));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(std::filesystem::exists(result()));
}

TEST_F(ImportCommand, StoppedOrFailedRunsExitWithOneAndTheMessageOnStandardError) {
    std::filesystem::remove(m_exchange.path() / "PERIODOS.DBF");
    struct Case { std::string arguments; std::string err; };
    const Case cases[] = {
        {shellQuoted((m_folder.path() / "otro.xml").string()) + " " + exchangeOption(),
         "No existe archivo\n"},
        {shellQuoted(document().string()) + " " + exchangeOption(),
         "ATENCIÓN - PERIODOS.DBF No encontrado - Importe de nuevo XML de VELTRANA.\n"},
        {shellQuoted(document().string()) + " --intercambio " + shellQuoted(m_folder.path().string()),
         "No se encuentra SOLUC.DBF en la carpeta de intercambio " + m_folder.path().string() +
             ". Horavia todavía no ha resuelto el horario: resuélvalo en Horavia y vuelva a importar.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const auto run = importar(c.arguments);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, c.err);
        EXPECT_FALSE(std::filesystem::exists(result()));
    }
}

TEST_F(ImportCommand, CommandLinesThatCannotRunExitWithTwo) {
    struct Case { std::string arguments; const char* firstLine; };
    const Case cases[] = {
        {"", "Falta el documento XML que se importa."},
        {exchangeOption(), "Falta el documento XML que se importa."},
        {"a.xml b.xml", "Sobra el argumento b.xml: se importa un solo documento."},
        {"a.xml --rapido", "Opción desconocida para importar: --rapido."},
        {"-r a.xml", "Opción desconocida para importar: -r."},
        {"a.xml --intercambio", "Falta el valor de la opción --intercambio."},
        {"a.xml --intercambio x --intercambio=y", "La opción --intercambio se ha indicado más de una vez."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const auto run = importar(c.arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), c.firstLine);
    }
}

}  // namespace
