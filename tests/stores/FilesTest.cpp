// File names that ignore letter case, the program folder and where the exchange directory is.
#include "stores/Files.h"

#include "dbf/DbfTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace {

using namespace dbftest;

void touch(const fs::path& file) { writeBytes(file, "x"); }

std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Files, FindingIgnoresCasePrefersTheExactNameThenByteOrder) {
    TempDir dir;
    for (const char* name : {"soluc.dbf", "Soluc.Dbf", "SOLUC.DBF.BAK", "NIVELEX.DBF"})
        touch(dir / name);
    struct Case {
        const char* asked;
        std::optional<std::string> found;
    };
    const Case cases[] = {
        {"soluc.dbf", "soluc.dbf"},     // exact match
        {"SOLUC.DBF", "Soluc.Dbf"},     // "Soluc.Dbf" < "soluc.dbf" in byte order
        {"nivelex.dbf", "NIVELEX.DBF"},
        {"NIVELEX.dbf", "NIVELEX.DBF"},
        {"SOLUC", std::nullopt},        // the whole name must match
        {"SOLUC.DB", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked);
        const auto found = stores::findFileIgnoringCase(dir.path(), c.asked);
        EXPECT_EQ(found ? std::optional<std::string>(found->filename()) : std::nullopt, c.found);
        EXPECT_EQ(stores::fileExistsIgnoringCase(dir.path(), c.asked), c.found.has_value());
    }
    EXPECT_FALSE(stores::findFileIgnoringCase(dir / "missing", "SOLUC.DBF"));
}

TEST(Files, DeletingRemovesEveryCaseVariantAndNothingElse) {
    TempDir dir;
    for (const char* name : {"JORNADAS.DBF", "jornadas.dbf", "Jornadas.DBF", "JORNADAS.MDX",
                             "JORNADAS.DBF.BAK"})
        touch(dir / name);
    fs::create_directory(dir / "jornadas.DBF");  // a folder of that name is left alone
    stores::deleteFileIgnoringCase(dir.path(), "JORNADAS.DBF");
    EXPECT_EQ(namesIn(dir.path()),
              (std::vector<std::string>{"JORNADAS.DBF.BAK", "JORNADAS.MDX", "jornadas.DBF"}));
    stores::deleteFileIgnoringCase(dir.path(), "NADA.DBF");  // nothing to delete: no error
    stores::deleteFileIgnoringCase(dir / "missing", "NADA.DBF");
}

TEST(Files, ProgramFolderIsTheFolderOfTheRunningExecutable) {
    EXPECT_EQ(fs::canonical(stores::programFolder()), fs::canonical(BIN_DIR));
}

// Sets or clears environment variables for one test and puts them back afterwards.
class Environment {
public:
    void set(const char* name, const std::optional<std::string>& value) {
        const char* old = std::getenv(name);
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        apply(name, value);
    }
    ~Environment() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) apply(it->first, it->second);
    }

private:
    static void apply(const char* name, const std::optional<std::string>& value) {
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    }
    std::vector<std::pair<const char*, std::optional<std::string>>> m_saved;
};

TEST(Files, ExchangeDirectoryComesFromKtempOrWinesDriveC) {
    TempDir home;
    TempDir prefix;
    fs::create_directories(prefix / "drive_c" / "Ktemp");
    fs::create_directories(prefix / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    fs::create_directories(home / ".wine" / "dosdevices" / "c:");
    const fs::path wineDrive = prefix / "dosdevices" / "c:";

    struct Case {
        const char* name;
        std::optional<std::string> ktemp, winePrefix;
        fs::path expected;
    };
    const Case cases[] = {
        {"KTEMP wins", "/srv/intercambio", prefix.path().string(), "/srv/intercambio"},
        {"empty KTEMP counts as unset", "", prefix.path().string(), wineDrive / "Ktemp"},
        {"Wine prefix, folder found ignoring case", std::nullopt, prefix.path().string(),
         wineDrive / "Ktemp"},
        {"empty prefix: ~/.wine, folder missing", std::nullopt, "",
         home / ".wine" / "dosdevices" / "c:" / "KTEMP"},
        {"no prefix: ~/.wine", std::nullopt, std::nullopt,
         home / ".wine" / "dosdevices" / "c:" / "KTEMP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Environment environment;
        environment.set("HOME", home.path().string());
        environment.set("KTEMP", c.ktemp);
        environment.set("WINEPREFIX", c.winePrefix);
        EXPECT_EQ(stores::defaultExchangeDir(), c.expected);
    }
    EXPECT_FALSE(fs::exists(home / ".wine" / "dosdevices" / "c:" / "KTEMP")) << "never created";
}

}  // namespace
