// Horavia.ini is Horavia's file: the writer changes the one key and keeps every other byte.
#include "app/gui/ProfileWriter.h"

#include "support/Scripted.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::string_literals;

std::string set(const std::string& before, const char* value = "1") {
    return app::withProfileString(before, "Transformadores", "Transformado", value);
}

TEST(ProfileWriter, SetsTheKeyAsTheWindowsProfileWriteDoes) {
    struct Case { const char* what; std::string before; std::string after; };
    const Case cases[] = {
        {"new file", "", "[Transformadores]\r\nTransformado=1\r\n"},
        {"value replaced", "[Transformadores]\r\nTransformado=0\r\n", "[Transformadores]\r\nTransformado=1\r\n"},
        {"empty value replaced", "[Transformadores]\r\nTransformado=\r\n", "[Transformadores]\r\nTransformado=1\r\n"},
        {"names ignore case and blanks", "[ transformadores ]\r\n  TRANSFORMADO = 0\r\n",
         "[ transformadores ]\r\n  TRANSFORMADO =1\r\n"},
        {"new key after the section's last key, before blank line and next section",
         "[Transformadores]\r\nOtro=5\r\n\r\n[Siguiente]\r\nk=v\r\n",
         "[Transformadores]\r\nOtro=5\r\nTransformado=1\r\n\r\n[Siguiente]\r\nk=v\r\n"},
        {"new key after a comment that ends the section",
         "[Transformadores]\r\nA=1\r\n; fin\r\n\r\n[B]\r\n",
         "[Transformadores]\r\nA=1\r\n; fin\r\nTransformado=1\r\n\r\n[B]\r\n"},
        {"header alone at the end without newline", "[Transformadores]", "[Transformadores]\r\nTransformado=1\r\n"},
        {"new section at the end, after a last line without newline", "[A]\r\nk=v",
         "[A]\r\nk=v\r\n[Transformadores]\r\nTransformado=1\r\n"},
        {"LF-only file keeps LF", "[A]\nk=v\n", "[A]\nk=v\n[Transformadores]\nTransformado=1\n"},
        {"a line without = is no key", "[Transformadores]\r\nTransformado\r\n",
         "[Transformadores]\r\nTransformado\r\nTransformado=1\r\n"},
        {"a commented key is no key", "[Transformadores]\r\n;Transformado=9\r\n",
         "[Transformadores]\r\n;Transformado=9\r\nTransformado=1\r\n"},
        {"text after = is all value, a ; included", "[Transformadores]\r\nTransformado=0 ; nota\r\n",
         "[Transformadores]\r\nTransformado=1\r\n"},
        {"the first of two matching sections",
         "[Transformadores]\r\nA=1\r\n[TRANSFORMADORES]\r\nTransformado=7\r\n",
         "[Transformadores]\r\nA=1\r\nTransformado=1\r\n[TRANSFORMADORES]\r\nTransformado=7\r\n"},
        {"a key of another section does not count", "[Otra]\r\nTransformado=3\r\n",
         "[Otra]\r\nTransformado=3\r\n[Transformadores]\r\nTransformado=1\r\n"},
        {"bytes before the first section, NUL included", "\0x\xF1\r\n[Transformadores]\r\nTransformado=0\r\n"s,
         "\0x\xF1\r\n[Transformadores]\r\nTransformado=1\r\n"s},
        {"UTF-8 byte-order mark before the header", "\xEF\xBB\xBF[Transformadores]\r\nTransformado=0\r\n",
         "\xEF\xBB\xBF[Transformadores]\r\nTransformado=1\r\n"},
        {"UTF-16 file stays UTF-16",
         "\xFF\xFE[\0A\0]\0\r\0\n\0"s,
         "\xFF\xFE[\0A\0]\0\r\0\n\0[\0T\0r\0a\0n\0s\0f\0o\0r\0m\0a\0d\0o\0r\0e\0s\0]\0\r\0\n\0"
         "T\0r\0a\0n\0s\0f\0o\0r\0m\0a\0d\0o\0=\0001\0\r\0\n\0"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(set(c.before), c.after);
    }
    EXPECT_EQ(set("[Transformadores]\r\nTransformado=1\r\n", "-1"), "[Transformadores]\r\nTransformado=-1\r\n");
}

// What a settings library rewrites in such a file: comments, CRLF, key order, letter case of
// sections, backslashes, quotes, lists, spacing, odd names and windows-1252 bytes.
TEST(ProfileWriter, KeepsEveryOtherByteOfAFileOfHoravia) {
    const std::string before =
        "; Horavia: configuración\r\n"
        "[General]\r\n"
        "Ruta=C:\\KTEMP\r\n"
        "Idioma = ES\r\n"
        "Lista=a,b,c\r\n"
        "Nombre=\"Centro, S.A.\"\r\n"
        "k=v ; nota\r\n"
        "barra/clave=1\r\n"
        "%raro=2\r\n"
        "A\xF1o=2024\r\n"
        "\r\n"
        "[Otra Seccion]\r\n"
        "Zeta=1\r\n"
        "Alfa=2\r\n"
        "\r\n"
        "[transformadores]\r\n"
        "; la escribe el convertidor\r\n"
        "Transformado=0\r\n"
        "Ultimo=x\r\n";
    std::string after = before;
    after.replace(after.find("Transformado=0"), 14, "Transformado=-1");
    EXPECT_EQ(set(before, "-1"), after);
}

struct ProfileFile : ::testing::Test {
    std::filesystem::path folder = apptest::makeTempFolder();
    std::filesystem::path ini = folder / "Horavia.ini";
    ~ProfileFile() override { std::filesystem::remove_all(folder); }
    bool write(const char* value) { return app::writeProfileString(ini, "Transformadores", "Transformado", value); }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename());
        return names;
    }
};

TEST_F(ProfileFile, CreatesAMissingFileAndReplacesTheValueLater) {
    ASSERT_TRUE(write("0"));
    EXPECT_EQ(apptest::readFile(ini), "[Transformadores]\r\nTransformado=0\r\n");
    ASSERT_TRUE(write("1"));
    EXPECT_EQ(apptest::readFile(ini), "[Transformadores]\r\nTransformado=1\r\n");
    EXPECT_EQ(entries(), std::vector<std::string>{"Horavia.ini"});
}

TEST_F(ProfileFile, KeepsTheFilePermissions) {
    apptest::writeFile(ini, "[A]\r\n");
    ASSERT_EQ(::chmod(ini.c_str(), 0640), 0);
    ASSERT_TRUE(write("1"));
    struct stat info {};
    ASSERT_EQ(::stat(ini.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(ProfileFile, FailsWithoutTouchingAnythingWhenThePlaceCannotHoldTheFile) {
    EXPECT_FALSE(app::writeProfileString(folder / "falta" / "Horavia.ini", "Transformadores", "Transformado", "1"));
    std::filesystem::create_directory(ini);  // a folder where the file should be
    EXPECT_FALSE(write("1"));
    EXPECT_TRUE(std::filesystem::is_directory(ini));
    EXPECT_EQ(entries(), std::vector<std::string>{"Horavia.ini"});
}

// An installation may put a link to Horavia's own file beside the program: the file behind it
// gets the value (Horavia reads that one) and the link stays a link.
TEST_F(ProfileFile, WritesTheFileBehindALinkAndKeepsTheLink) {
    std::filesystem::create_directory(folder / "horavia");
    const auto real = folder / "horavia" / "Horavia.ini";
    struct Case { const char* what; std::string before; std::string after; };
    const Case cases[] = {
        {"linked file", "; de Horavia\r\n[Transformadores]\r\nTransformado=0\r\n",
         "; de Horavia\r\n[Transformadores]\r\nTransformado=1\r\n"},
        {"link to a file not made yet", "", "[Transformadores]\r\nTransformado=1\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(ini);
        std::filesystem::remove(real);
        if (!c.before.empty()) apptest::writeFile(real, c.before);
        std::filesystem::create_symlink("horavia/Horavia.ini", ini);
        ASSERT_TRUE(write("1"));
        EXPECT_TRUE(std::filesystem::is_symlink(ini));
        EXPECT_EQ(apptest::readFile(real), c.after);
        EXPECT_EQ(entries().size(), 2u) << "no temporary file is left";
    }
    std::filesystem::remove(ini);
    std::filesystem::create_symlink("Horavia.ini", ini);  // a link to itself
    EXPECT_FALSE(write("1"));
}

// A folder that takes no new file (as root too: the immutable flag): the write fails and the
// file stays as it was.
TEST_F(ProfileFile, AFolderThatCannotBeWrittenLeavesTheFileAsItWas) {
    const std::string before = "[Transformadores]\r\nTransformado=0\r\n";
    apptest::writeFile(ini, before);
    const auto lock = [&](bool on) {
        if (::geteuid() != 0) {
            std::filesystem::permissions(folder, std::filesystem::perms::owner_write,
                                         on ? std::filesystem::perm_options::remove
                                            : std::filesystem::perm_options::add);
            return true;
        }
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        const bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                          (flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL,
                           ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
        if (fd >= 0) ::close(fd);
        return done;
    };
    if (!lock(true)) GTEST_SKIP() << "this file system cannot refuse new files to root";
    const bool written = write("1");
    lock(false);
    EXPECT_FALSE(written);
    EXPECT_EQ(apptest::readFile(ini), before);
    EXPECT_EQ(entries(), std::vector<std::string>{"Horavia.ini"});
}

// A write that fails half-way (here: the file-size limit, which also binds root) leaves the old
// file whole and no temporary file behind.
TEST_F(ProfileFile, AWriteThatFailsHalfWayLeavesTheFileAsItWas) {
    const std::string before = "[Transformadores]\r\nTransformado=0\r\n; " + std::string(200, 'x') + "\r\n";
    apptest::writeFile(ini, before);
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(write("1") ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3) << "the write should have been reported as failed";
    EXPECT_EQ(apptest::readFile(ini), before);
    EXPECT_EQ(entries(), std::vector<std::string>{"Horavia.ini"});
}

}  // namespace
