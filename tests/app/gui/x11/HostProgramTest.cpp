// The program itself in host mode, as Horavia starts it: a host window of another X client, the
// program started with the direction word and the host's id, and the outcome it leaves in
// Horavia.ini. The program is copied into the test's folder, so Horavia.ini is written there.
#include "gui/x11/X11Windows.h"
#include "support/Scripted.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using apptest::X11Windows;

struct HostProgram : ::testing::Test {
    X11Windows x;
    std::filesystem::path folder = apptest::makeTempFolder();
    std::filesystem::path ini = folder / "Horavia.ini";
    QProcess program;

    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs the xcb platform (run under xvfb-run)";
        ASSERT_TRUE(x.connected());
        std::filesystem::copy_file(PROGRAM, folder / "DuzezErozaraDiruzidu");
        std::filesystem::create_directory(folder / "KTEMP");
    }
    ~HostProgram() override {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(5000);
        }
        std::filesystem::remove_all(folder);
    }

    void start(const QStringList& arguments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("KTEMP", QString::fromStdString((folder / "KTEMP").string()));
        program.setProcessEnvironment(environment);
        program.setProgram(QString::fromStdString((folder / "DuzezErozaraDiruzidu").string()));
        program.setArguments(arguments);
        program.start();
        ASSERT_TRUE(program.waitForStarted(10000));
    }

    bool ours(xcb_window_t window) { return x.pid(window) == std::uint32_t(program.processId()); }

    // A window of the program directly under `parent` with this title (any, when empty).
    xcb_window_t waitForWindow(xcb_window_t parent, const QString& title, bool viewable = true) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 15000) {
            for (xcb_window_t w : x.childrenOf(parent)) {
                if (ours(w) && (title.isEmpty() || x.title(w) == title) && (!viewable || x.isViewable(w)))
                    return w;
            }
            QTest::qWait(50);
        }
        return XCB_WINDOW_NONE;
    }

    // Closes the window as a window manager's close box does.
    void closeWindow(xcb_window_t parent, const QString& title) {
        const xcb_window_t w = waitForWindow(parent, title);
        ASSERT_NE(w, XCB_WINDOW_NONE) << "no window \"" << title.toStdString() << "\"";
        x.askToClose(w);
    }

    void expectEnds() {
        ASSERT_TRUE(program.waitForFinished(15000)) << "the program did not end";
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
    }
    std::string iniContent() const { return apptest::readFile(ini); }
};

QString hex(xcb_window_t window) {
    return QString::number(window, 16).toUpper();
}

TEST_F(HostProgram, AnotherWordWaitsInsideTheHostAndClosingWritesZero) {
    const xcb_window_t host = x.createHost();
    start({"abrir", hex(host)});
    const xcb_window_t window = waitForWindow(host, "Exportar e importar datos entre Horavia y Veltrana");
    ASSERT_NE(window, XCB_WINDOW_NONE) << "the program's window did not appear inside the host";
    EXPECT_EQ(x.parentOf(window), host);
    x.askToClose(window);
    expectEnds();
    EXPECT_EQ(iniContent(), "[Transformadores]\r\nTransformado=0\r\n");
    x.destroy(host);
}

// The import starts at once with its open dialog; cancelling it leaves -1 and ends the program.
TEST_F(HostProgram, ACancelledImportLeavesMinusOne) {
    const xcb_window_t host = x.createHost();
    apptest::writeFile(ini, "; Horavia\r\n[Transformadores]\r\nTransformado=1\r\n");
    start({"IMPORTAR", hex(host).toLower()});
    closeWindow(x.root(), "Archivo XML");
    EXPECT_NE(waitForWindow(host, "", false), XCB_WINDOW_NONE) << "the window is not the host's child";
    closeWindow(x.root(), "DuzezErozaraDiruzidu");  // "No existe archivo"
    expectEnds();
    EXPECT_EQ(iniContent(), "; Horavia\r\n[Transformadores]\r\nTransformado=-1\r\n");
    x.destroy(host);
}

// A handle that does not convert: the error box, then a framed stand-alone window in which the
// export still starts; nothing is written to Horavia.ini.
TEST_F(HostProgram, ABadHandleGivesAStandAloneWindowThatWritesNothing) {
    start({"exportar", "xyz"});
    closeWindow(x.root(), "DuzezErozaraDiruzidu");  // "'$xyz' is not a valid integer value"
    closeWindow(x.root(), "Archivo XML");
    closeWindow(x.root(), "DuzezErozaraDiruzidu");  // "No existe archivo"
    const xcb_window_t window = waitForWindow(x.root(), "Exportar e importar datos entre Horavia y Veltrana");
    ASSERT_NE(window, XCB_WINDOW_NONE) << "the stand-alone window did not appear";
    EXPECT_EQ(program.state(), QProcess::Running);
    x.askToClose(window);
    expectEnds();
    EXPECT_FALSE(std::filesystem::exists(ini));
}

TEST_F(HostProgram, TheProgramEndsWhenTheHostWindowGoesAway) {
    const xcb_window_t host = x.createHost();
    start({"abrir", hex(host)});
    ASSERT_NE(waitForWindow(host, "Exportar e importar datos entre Horavia y Veltrana"), XCB_WINDOW_NONE);
    x.destroy(host);
    expectEnds();
    EXPECT_EQ(iniContent(), "[Transformadores]\r\nTransformado=0\r\n");
}

}  // namespace
