#pragma once

#include <QApplication>
#include <QImage>
#include <memory>

#include "platform/RunLoop.h"
#include "platform/qt/QtPainting.h"
#include "platform/qt/WindowPresenter.h"
#include "platform/views/ViewController.h"
#include "platform/views/Window.h"

namespace busdesk::qt::testing {

// A QApplication on the offscreen platform for one test, a key window with a plain root screen,
// and its presenter; virtual time unless a test puts the real clock back.
class QtFixture {
  public:
    QtFixture() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "busdesk_tests_platform_qt";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
        installApplicationFont();
        clock = RunLoop::main().useManualClock();
        window = std::make_shared<Window>();
        window->makeKeyAndVisible();
        screen = std::make_shared<ViewController>();
        window->setRootViewController(screen);
        presenter = std::make_unique<WindowPresenter>(window);
    }
    ~QtFixture() {
        // Let fades and removal timers run out so nothing leaks into the next test.
        RunLoop::main().advance(seconds(10));
        presenter.reset();
        window.reset();
        screen.reset();
        app.reset();
    }

    View& root() { return *screen->view(); }
    void advance(double s) {
        RunLoop::main().advance(seconds(s));
        presenter->sync();
    }
    QImage shot() {
        presenter->sync();
        return presenter->surface()->grab().toImage();
    }

    std::unique_ptr<QApplication> app;
    std::shared_ptr<ManualClock> clock;
    std::shared_ptr<Window> window;
    std::shared_ptr<ViewController> screen;
    std::unique_ptr<WindowPresenter> presenter;
};

// Pixels inside `r` that differ clearly from `background`.
inline int inkIn(const QImage& image, QRect r, QColor background = Qt::white) {
    int n = 0;
    r = r.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - background.red()) + std::abs(c.green() - background.green()) +
                    std::abs(c.blue() - background.blue()) >
                120)
                ++n;
        }
    return n;
}

}  // namespace busdesk::qt::testing
