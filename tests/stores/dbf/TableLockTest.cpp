// Exclusive opens exclude every other opener of this program, in this process and in others;
// a table being written cannot be read, replaced or deleted meanwhile.
#include "stores/dbf/Table.h"

#include "DbfTestSupport.h"
#include "stores/Files.h"
#include "stores/RunError.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace dbftest;
using stores::RunError;
using stores::dbf::FieldType;
using stores::dbf::OpenMode;
using stores::dbf::Table;
using stores::dbf::TableLevel;

const stores::dbf::TableDef kSoluc{"SOLUC.DBF", {{"PROF", FieldType::Character, 10}}, {},
                                   TableLevel::DBase4};

void makeSoluc(const fs::path& dir, int rows) {
    Table::create(dir, kSoluc);
    Table table = Table::open(dir, "SOLUC");
    for (int i = 0; i < rows; ++i) {
        table.append();
        table.setText("PROF", "P" + std::to_string(i));
    }
    table.close();
}

TEST(TableLock, OpenersInOneProcessExcludeEachOtherAsTheirModesSay) {
    TempDir dir;
    makeSoluc(dir.path(), 1);
    const std::string inUse = "La tabla " + (dir / "SOLUC.DBF").string() + " está en uso y no se ";
    const auto open = [&](OpenMode mode) { return Table::open(dir.path(), "soluc", mode); };
    {
        Table exclusive = open(OpenMode::Exclusive);
        EXPECT_EQ(errorOf([&] { open(OpenMode::Exclusive); }), inUse + "puede abrir en exclusiva.");
        EXPECT_EQ(errorOf([&] { open(OpenMode::Shared); }), inUse + "puede abrir.");
    }
    {
        Table first = open(OpenMode::Shared);
        Table second = open(OpenMode::Shared);
        EXPECT_EQ(second.text("PROF"), "P0");
        EXPECT_EQ(errorOf([&] { open(OpenMode::Exclusive); }), inUse + "puede abrir en exclusiva.");
        EXPECT_EQ(errorOf([&] { second.append(); }), inUse + "puede modificar.");
        EXPECT_EQ(errorOf([&] { open(OpenMode::Shared); }), "(no error)")
            << "a refused write keeps the shared lock, and others may still read";
        first.close();
        second.append();  // now the only opener: writing takes the exclusive lock
        second.setText("PROF", "P1");
        EXPECT_EQ(errorOf([&] { open(OpenMode::Shared); }), inUse + "puede abrir.")
            << "nobody reads a table that is being written";
    }
    EXPECT_EQ(open(OpenMode::Exclusive).rowCount(), 2);
}

TEST(TableLock, AHeldTableIsNeitherReplacedNorDeleted) {
    TempDir dir;
    makeSoluc(dir.path(), 2);
    fs::rename(dir / "SOLUC.DBF", dir / "Soluc.Dbf");
    const std::string before = readBytes(dir / "Soluc.Dbf");
    {
        Table held = Table::open(dir.path(), "SOLUC");
        EXPECT_EQ(errorOf([&] { Table::create(dir.path(), kSoluc); }),
                  "La tabla " + (dir / "SOLUC.DBF").string() +
                      " está en uso y no se puede crear de nuevo (Soluc.Dbf está abierto).");
        stores::deleteFileIgnoringCase(dir.path(), "SOLUC.DBF");
        EXPECT_EQ(readBytes(dir / "Soluc.Dbf"), before);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
            << "nothing was left behind";
    }
    stores::deleteFileIgnoringCase(dir.path(), "SOLUC.DBF");
    EXPECT_FALSE(fs::exists(dir / "Soluc.Dbf"));
}

// Runs `work` in a child process; returns its exit status.
int inChild(const std::function<int()>& work) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(work());
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

int expectError(const std::function<void()>& action, const std::string& message) {
    return errorOf(action) == message ? 0 : 1;
}

TEST(TableLock, AnotherProcessIsExcludedToo) {
    TempDir dir;
    makeSoluc(dir.path(), 1);
    const std::string inUse = "La tabla " + (dir / "SOLUC.DBF").string() + " está en uso y no se ";
    {
        Table exclusive = Table::open(dir.path(), "SOLUC", OpenMode::Exclusive);
        EXPECT_EQ(inChild([&] {
                      return expectError([&] { Table::open(dir.path(), "SOLUC"); },
                                         inUse + "puede abrir.");
                  }),
                  0);
        EXPECT_EQ(inChild([&] {
                      return expectError([&] { Table::create(dir.path(), kSoluc); },
                                         inUse + "puede crear de nuevo (SOLUC.DBF está abierto).");
                  }),
                  0);
    }
    EXPECT_EQ(inChild([&] {
                  Table table = Table::open(dir.path(), "SOLUC", OpenMode::Exclusive);
                  return table.text("PROF") == "P0" ? 0 : 1;
              }),
              0);

    // The other way round: a child holds the table while the parent tries.
    int ready[2];
    int done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        Table table = Table::open(dir.path(), "SOLUC", OpenMode::Exclusive);
        char signal = 'r';
        (void)!::write(ready[1], &signal, 1);
        (void)!::read(done[0], &signal, 1);
        ::_exit(0);
    }
    char signal = 0;
    ASSERT_EQ(::read(ready[0], &signal, 1), 1);
    EXPECT_EQ(errorOf([&] { Table::open(dir.path(), "SOLUC", OpenMode::Shared); }),
              inUse + "puede abrir.");
    (void)!::write(done[1], &signal, 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(errorOf([&] { Table::open(dir.path(), "SOLUC", OpenMode::Shared); }), "(no error)");
    for (const int fd : {ready[0], ready[1], done[0], done[1]}) ::close(fd);
}

}  // namespace
