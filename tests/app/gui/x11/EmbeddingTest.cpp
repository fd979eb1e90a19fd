// Host mode on a real X server (Xvfb): the window becomes a frameless child of a foreign window
// that a second X connection made, as Horavia's would be.
#include "app/gui/HostEmbedder.h"
#include "app/gui/MainForm.h"
#include "gui/x11/X11Windows.h"
#include "support/Scripted.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using apptest::X11Windows;

QString hex(xcb_window_t window) {
    return QString::number(window, 16).toUpper();
}

struct Embedding : ::testing::Test {
    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs the xcb platform (run under xvfb-run)";
        ASSERT_TRUE(x.connected());
    }
    X11Windows x;
    apptest::FormKit kit;
    std::unique_ptr<app::HostEmbedder> embedder = app::makeX11HostEmbedder();  // outlives the form
    std::unique_ptr<app::TMForm> form;

    app::TMForm& make(QStringList arguments) {
        auto services = kit.services();
        services.host = embedder.get();
        form = std::make_unique<app::TMForm>(arguments, services);
        return *form;
    }
    xcb_window_t ours() { return static_cast<xcb_window_t>(form->winId()); }
};

TEST_F(Embedding, TheWindowBecomesAFramelessChildOfTheHostWindow) {
    const xcb_window_t host = x.createHost();
    make({"abrir", hex(host)});
    EXPECT_EQ(form->modoHost(), 2);
    EXPECT_TRUE(kit.prompts.errors.isEmpty());
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_EQ(x.parentOf(ours()), host);
    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form->pos(), QPoint(0, 0));
    EXPECT_TRUE(kit.runs.exports.empty() && kit.runs.imports.empty());

    form->close();
    EXPECT_EQ(apptest::readFile(kit.iniFile), "[Transformadores]\r\nTransformado=0\r\n");
    EXPECT_EQ(kit.programEnds, 1);
    x.destroy(host);
}

TEST_F(Embedding, TheRunStartsInsideTheHostBeforeTheWindowShowsAndItsEndIsWritten) {
    const xcb_window_t host = x.createHost();
    xcb_window_t parentDuringRun = XCB_WINDOW_NONE;
    bool visibleDuringRun = true;
    kit.runs.whenStarted = [&] {
        parentDuringRun = x.parentOf(ours());
        visibleDuringRun = x.isViewable(ours());
    };
    kit.prompts.files = {QString("/datos/horario.xml")};
    make({"exportar", hex(host)});
    form->show();
    EXPECT_EQ(kit.runs.exports, std::vector<std::filesystem::path>{"/datos/horario.xml"});
    EXPECT_EQ(parentDuringRun, host);
    EXPECT_FALSE(visibleDuringRun);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(apptest::readFile(kit.iniFile), "[Transformadores]\r\nTransformado=1\r\n");
    EXPECT_EQ(kit.programEnds, 1);
    x.destroy(host);
}

TEST_F(Embedding, AHandleOfNoWindowOrOfTheScreenGivesAStandAloneWindow) {
    const xcb_window_t gone = x.createHost();
    x.destroy(gone);
    struct Case { xcb_window_t handle; const char* errorStart; };
    const Case cases[] = {
        {gone, "No existe ninguna ventana con el identificador "},
        {x.root(), "El identificador "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(hex(c.handle).toStdString());
        kit.prompts = {};
        make({"abrir", hex(c.handle)});
        ASSERT_EQ(kit.prompts.errors.size(), 1);
        EXPECT_TRUE(kit.prompts.errors[0].startsWith(c.errorStart)) << kit.prompts.errors[0].toStdString();
        EXPECT_TRUE(kit.prompts.errors[0].contains(hex(c.handle)));
        EXPECT_EQ(form->modoHost(), 0);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        EXPECT_EQ(x.parentOf(ours()), x.root());
        EXPECT_FALSE(form->windowFlags() & Qt::FramelessWindowHint);
        form->close();
        EXPECT_FALSE(std::filesystem::exists(kit.iniFile));
    }
}

TEST_F(Embedding, TheProgramEndsWhenTheHostWindowIsDestroyed) {
    const xcb_window_t host = x.createHost();
    make({"abrir", hex(host)}).show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    x.destroy(host);
    QElapsedTimer clock;
    clock.start();
    while (kit.programEnds == 0 && clock.elapsed() < 5000) QTest::qWait(20);
    EXPECT_EQ(kit.programEnds, 1);
    EXPECT_EQ(apptest::readFile(kit.iniFile), "[Transformadores]\r\nTransformado=0\r\n");
}

}  // namespace
