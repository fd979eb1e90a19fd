#include "support/ImportFixture.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

using namespace importtest;

const std::string kCli = std::string(BIN_DIR) + "/DuzezErozaraDiruzidu-cli";
const std::string kStandin = std::string(BIN_DIR) + "/horavia-standin";

// The bundled example the whole way round: export, the stand-in for Horavia, import. The result
// is then checked element by element, attributes in their order, by a separate reader of the
// tables and the documents (tests/tools/check_import_result.py), and by xmllint.
TEST(RoundTrip, ExampleSchoolGoesOutToHoraviaAndComesBackAsTeacherTimetables) {
    if (!std::filesystem::exists(kCli)) GTEST_SKIP() << "the batch tool is not built";
    ScratchFolder dir;
    const auto exchange = dir.path() / "KTEMP";
    std::filesystem::create_directories(exchange);
    const auto document = dir.write("instituto.xml", ScratchFolder::read(EXAMPLES_DIR "/instituto.xml"));
    const auto result = dir.path() / "ZuzezivedOvivizuinstituto.xml";
    const std::string exchangeOption = " --intercambio " + shellQuoted(exchange.string());

    const auto exported = runCommand(shellQuoted(kCli) + " exportar " + shellQuoted(document.string()) +
                                     " --marco ORD" + exchangeOption);
    ASSERT_EQ(exported.status, 0) << exported.err;
    const auto solved = runCommand(shellQuoted(kStandin) + " " + shellQuoted(exchange.string()));
    ASSERT_EQ(solved.status, 0) << solved.err;
    const auto imported = runCommand(shellQuoted(kCli) + " importar " + shellQuoted(document.string()) +
                                     exchangeOption);
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out, "Proceso finalizado\n" + result.string() + "\n");

    const auto wellFormed = runCommand("xmllint --noout " + shellQuoted(result.string()));
    EXPECT_EQ(wellFormed.status, 0) << wellFormed.err;
    const auto checked = runCommand(std::string(PYTHON3) + " " +
                                    shellQuoted(TOOLS_DIR "/check_import_result.py") + " " +
                                    shellQuoted(exchange.string()) + " " +
                                    shellQuoted(document.string()) + " " + shellQuoted(result.string()));
    EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
    EXPECT_TRUE(std::regex_match(checked.out, std::regex("teachers [1-9][0-9]* activities [1-9][0-9]*\n")))
        << checked.out;
    EXPECT_EQ(ScratchFolder::read(result).rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SERVICIO ", 0), 0u);
}

}  // namespace
