// The real screens in the window (offscreen), against the substitute office server: every text
// can be read on what is behind it, a long profile value wraps, and a read bulletin's row loses
// its unread mark in the window as it does in the model.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>

#include "app/AppDelegate.h"
#include "app/Application.h"
#include "app/script/ScriptRunner.h"
#include "core/Session.h"
#include "platform/RunLoop.h"
#include "platform/qt/QtPainting.h"
#include "platform/qt/WindowPresenter.h"
#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/NavigationController.h"
#include "platform/views/TableView.h"
#include "platform/views/ViewFinder.h"
#include "platform/views/Window.h"
#include "server/OfficeSimulator.h"
#include "tests/app/qt/TextContrast.h"
#include "tests/support/PrivateSecretService.h"
#include "tests/support/SecretSweep.h"
#include "ui/PickerSheet.h"

namespace busdesk {
namespace {

namespace fs = std::filesystem;

class ScreensInTheWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "busdesk_tests_app_qt";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
        qt::installApplicationFont();
        sim::SimOptions o;
        o.today = "2014-05-20";
        o.timeOfDay = "09:00:00";
        sim_ = std::make_unique<sim::OfficeSimulator>(o);
        ASSERT_TRUE(sim_->start()) << sim_->lastError();
        dir_ = fs::temp_directory_path() / ("busdesk-window-screens-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        auto options = LaunchOptions::parse({"--server", sim_->baseURL(), "--profile",
                                             (dir_ / "profile").string(), "--now", "2014-05-20 09:00:00"});
        ASSERT_EQ(options.error, "");
        prepareEnvironment(options);
        Session::shared().setTypedCardID(std::nullopt);
        RunLoop::main().adoptCurrentThread();
        RunLoop::main().useManualClock();
        delegate_ = std::make_shared<AppDelegate>();
        delegate_->applicationDidFinishLaunchingWithOptions();
        presenter_ = std::make_unique<qt::WindowPresenter>(delegate_->window());
        presenter_->surface()->show();
        runner_ = std::make_unique<ScriptRunner>(delegate_->window(), out_);
    }
    void TearDown() override {
        RunLoop::main().advance(seconds(10));
        runner_.reset();
        presenter_.reset();
        delegate_.reset();
        if (sim_) sim_->stop();
        app_.reset();
        fs::remove_all(dir_);
    }

    void step(const std::string& line) {
        auto r = runner_->execute(line);
        ASSERT_TRUE(r.ok) << line << ": " << r.message;
        presenter_->sync();
    }

    // Every text on the screen reads on what is under it (the whole walk in both palettes is
    // ContrastTest's).
    void expectLegible(const std::string& screen) {
        RunLoop::main().advance(std::chrono::milliseconds(600));  // slides and fades come to rest
        presenter_->sync();
        auto texts = window_tests::drawnTexts(*presenter_, Appearance::Light);
        for (const auto& t : texts) EXPECT_GE(t.ratio() + 1e-9, t.needed) << screen << ": " << t.describe();
        EXPECT_GT(texts.size(), 2U) << screen;
    }

    std::unique_ptr<QApplication> app_;
    std::unique_ptr<sim::OfficeSimulator> sim_;
    fs::path dir_;
    std::shared_ptr<AppDelegate> delegate_;
    std::unique_ptr<qt::WindowPresenter> presenter_;
    std::unique_ptr<ScriptRunner> runner_;
    std::ostringstream out_;
};

TEST_F(ScreensInTheWindow, TextReadsOnItsBackgroundLongValuesWrapAndReadMarksLeaveTheRow) {
    RunLoop::main().runUntilIdle();
    expectLegible("login");
    step("type #username 10086");
    step("type #password 123456");
    step("tap #loginAction");
    step("wait 3");
    step("expect 首页");
    expectLegible("home");
    step("menu left");
    expectLegible("left menu");
    step("tap 公告通知");
    expectLegible("announcements");
    step("tap 关于冬季安全行车的通知");
    expectLegible("bulletin");
    step("back");
    step("pull");
    step("wait 2");
    // The row just read shows no mark in the window either.
    auto* list = dynamic_cast<TableView*>(ViewFinder::find(*delegate_->window(), "#tbList"));
    ASSERT_NE(list, nullptr);
    // Every mark of every row that has a cell, hidden ones included.
    std::vector<View*> all;
    std::function<void(View&)> walk = [&](View& v) {
        if (v.identifier() == "imageNew") all.push_back(&v);
        for (auto& c : v.subviews()) walk(*c);
    };
    walk(*list);
    int marks = 0, unmarked = 0;
    for (View* v : all) {
        qt::ViewWidget* w = presenter_->widgetFor(*v);
        bool modelShows = !v->hidden();
        for (View* up = v->superview(); up && modelShows; up = up->superview()) modelShows = !up->hidden();
        bool windowShows = w && w->isVisibleTo(presenter_->surface());
        EXPECT_EQ(windowShows, modelShows);
        marks += modelShows;
        unmarked += !v->hidden();
    }
    EXPECT_GT(marks, 3);
    EXPECT_EQ(all.size() - static_cast<std::size_t>(unmarked), 1u) << "one row was read";

    step("menu right");
    expectLegible("right menu");
    step("tap #userInfo");
    expectLegible("profile");
    // The address is longer than its half of the row: it wraps, and every line fits the row.
    auto* address = dynamic_cast<Label*>(ViewFinder::find(*delegate_->window(), "济南市历下区二环东路10号"));
    ASSERT_NE(address, nullptr);
    QFontMetricsF metrics(qt::uiFont(address->fontSize()));
    Rect f = address->frame();
    QString text = qt::toQString(address->text());
    ASSERT_GT(metrics.horizontalAdvance(text), f.width) << "the demo address fits on one line";
    QRectF needed = metrics.boundingRect(QRectF(0, 0, f.width, 10000), Qt::TextWordWrap, text);
    EXPECT_LE(needed.height(), f.height);
    EXPECT_NE(address->numberOfLines(), 1);
}

// The whole-session sweep of the headless run (tests/e2e/SecretSweepTest.cpp), in the window.
TEST_F(ScreensInTheWindow, AWholeSessionLeavesNoSecretInAnyFile) {
    test::PrivateSecretService keyring;
    ASSERT_TRUE(keyring.running()) << keyring.error();
    ASSERT_TRUE(test::giveSweepPassword(sim_->port()));
    for (const auto& line : test::wholeSessionScript()) step(line);
    ASSERT_TRUE(keyring.item("10086"));
    auto findings = test::secretFindings(dir_ / "profile", {test::kSweepPassword, test::kSweepIDcard});
    EXPECT_TRUE(findings.empty()) << ::testing::PrintToString(findings);
    step("menu right");
    step("tap #signOut");
    EXPECT_TRUE(keyring.items().empty());
    findings = test::secretFindings(dir_ / "profile", {test::kSweepPassword, test::kSweepIDcard});
    EXPECT_TRUE(findings.empty()) << ::testing::PrintToString(findings);
}

// Where the window's pictures go when a person wants to look at them (BUSDESK_TEST_SHOTS=DIR).
void keepShot(QWidget& surface, const std::string& name) {
    const char* dir = std::getenv("BUSDESK_TEST_SHOTS");
    if (dir && *dir) surface.grab().save(QString::fromStdString(std::string(dir) + "/" + name + ".png"));
}

TEST_F(ScreensInTheWindow, SheetsStayWholeInAWindowOnly640PixelsHigh) {
    step("type #username 10086");
    step("type #password 123456");
    step("tap #loginAction");
    step("wait 3");
    presenter_->surface()->resize(390, 640);
    presenter_->sync();
    ASSERT_DOUBLE_EQ(delegate_->window()->bounds().height, 640);
    // The feedback form's type picker and an attendance date sheet: every part of the sheet is
    // drawn inside the window.
    const std::pair<std::vector<std::string>, std::string> walks[] = {
        {{"menu right", "tap #ShowFeedBack", "tap #lblType"}, "sheet-type-640"},
        {{"cancel", "menu left", "tap 考勤信息", "tap #ShowBtime"}, "sheet-date-640"},
    };
    for (const auto& [lines, name] : walks) {
        SCOPED_TRACE(name);
        for (const auto& line : lines) step(line);
        auto sheets = PickerSheet::visibleSheets();
        ASSERT_EQ(sheets.size(), 1u);
        RunLoop::main().advance(seconds(1));  // risen into place
        presenter_->sync();
        QRect inside = presenter_->surface()->rect();
        int parts = 0;
        std::function<void(View&)> check = [&](View& v) {
            if (v.hidden()) return;
            if (auto* w = presenter_->widgetFor(v); w && &v != sheets[0].get()) {
                QRect r(w->mapTo(presenter_->surface(), QPoint(0, 0)), w->size());
                EXPECT_TRUE(inside.contains(r)) << v.identifier() << " at " << r.y() << "+" << r.height();
                ++parts;
            }
            for (auto& c : v.subviews()) check(*c);
        };
        check(*sheets[0]);
        EXPECT_GT(parts, 3);
        // The wheel shows whole rows only: nothing is drawn along its top and bottom edges, where
        // a row cut in half would be.
        View* wheel = sheets[0]->subviews().back().get();
        auto* wheelWidget = presenter_->widgetFor(*wheel);
        ASSERT_NE(wheelWidget, nullptr);
        QImage drawn = wheelWidget->grab().toImage();
        ASSERT_GT(drawn.height(), 40);
        auto darkest = [&drawn](int fromRow, int toRow) {
            int least = 255;
            for (int y = fromRow; y < toRow; ++y)
                for (int x = 0; x < drawn.width(); ++x) least = std::min(least, qGray(drawn.pixel(x, y)));
            return least;
        };
        EXPECT_GT(darkest(0, 8), 230);
        EXPECT_GT(darkest(drawn.height() - 8, drawn.height()), 230);
        EXPECT_LT(darkest(drawn.height() / 2 - 10, drawn.height() / 2 + 10), 100);  // the chosen row
        keepShot(*presenter_->surface(), name);
    }
    step("cancel");
}

}  // namespace
}  // namespace busdesk
