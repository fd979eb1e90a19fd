// Launching the help viewer: xchm at the contents or at a context, and clear messages when the
// viewer or the help file is missing. A stub xchm in PATH records how it was started.
#include "app/gui/HelpViewer.h"

#include "support/Scripted.h"

#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace {

struct HelpViewer : ::testing::Test {
    std::filesystem::path folder = apptest::makeTempFolder();
    std::filesystem::path bin = folder / "bin";
    std::filesystem::path chm = folder / "VELTRANA.chm";
    std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";

    HelpViewer() {
        std::filesystem::create_directory(bin);
        apptest::writeFile(chm, "ITSF");
    }
    ~HelpViewer() override {
        ::setenv("PATH", oldPath.c_str(), 1);
        std::filesystem::remove_all(folder);
    }
    void installStubViewer() {
        const auto stub = bin / "xchm";
        apptest::writeFile(stub, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + (folder / "args.part").string() +
                                     "\"\nmv \"" + (folder / "args.part").string() + "\" \"" +
                                     (folder / "args").string() + "\"\n");
        ::chmod(stub.c_str(), 0755);
    }
    void usePathOnly(const std::filesystem::path& dir) { ::setenv("PATH", (dir.string() + ":/bin:/usr/bin").c_str(), 1); }
    std::string argumentsSeen() {
        QElapsedTimer clock;
        clock.start();
        while (!std::filesystem::exists(folder / "args") && clock.elapsed() < 10000) QTest::qWait(20);
        std::string seen = apptest::readFile(folder / "args");
        std::filesystem::remove(folder / "args");
        return seen;
    }
};

TEST_F(HelpViewer, OpensTheFileAtItsContentsOrAtAContext) {
    installStubViewer();
    usePathOnly(bin);
    app::XchmHelpViewer viewer(QString::fromStdString(chm.string()));
    EXPECT_EQ(viewer.showContents(), "");
    EXPECT_EQ(argumentsSeen(), chm.string() + "\n");
    EXPECT_EQ(viewer.showContext(3), "");
    EXPECT_EQ(argumentsSeen(), "-c\n3\n" + chm.string() + "\n");
}

TEST_F(HelpViewer, SaysWhatToInstallWhenNoViewerIsThere) {
    ::setenv("PATH", bin.c_str(), 1);  // an empty folder: no xchm anywhere
    app::XchmHelpViewer viewer(QString::fromStdString(chm.string()));
    const QString problem = viewer.showContext(3);
    EXPECT_TRUE(problem.contains("sudo apt-get install xchm")) << problem.toStdString();
}

TEST_F(HelpViewer, SaysWhichFileIsMissing) {
    installStubViewer();
    usePathOnly(bin);
    const auto missing = folder / "otro" / "VELTRANA.chm";
    app::XchmHelpViewer viewer(QString::fromStdString(missing.string()));
    EXPECT_EQ(viewer.showContents(),
              QString("No se encuentra el archivo de ayuda %1. Vuelva a instalar DuzezErozaraDiruzidu "
                      "para recuperarlo.").arg(QString::fromStdString(missing.string())));
    EXPECT_FALSE(std::filesystem::exists(folder / "args"));
}

}  // namespace
