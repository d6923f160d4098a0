#include "platform/qt/QtApplication.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QIcon>
#include <QImage>
#include <QPalette>
#include <QTimer>
#include <QWindowStateChangeEvent>
#include <iostream>
#include <memory>
#include <optional>

#include "platform/Translation.h"
#include "platform/qt/QtPainting.h"
#include "platform/qt/RunLoopDriver.h"
#include "platform/qt/WindowPresenter.h"
#include "platform/views/Palette.h"
#include "platform/views/TextSize.h"
#include "platform/views/Window.h"

namespace busdesk::qt {

namespace {

class Host : public QtHost {
  public:
    Host(std::unique_ptr<WindowPresenter>& presenter, RunLoopDriver& driver)
        : presenter_(presenter), driver_(driver) {}

    bool grab(const std::string& pngPath) override {
        settle();
        QImage shot = presenter_->surface()->grab().toImage();
        return !shot.isNull() && shot.save(QString::fromStdString(pngPath), "PNG");
    }

    void quit(int status) override {
        status_ = status;
        QApplication::exit(status);
    }

    std::optional<int> status() const { return status_; }

    // Lets finite animations (fades, slides, rising sheets) end, bounded by 2 s of real time.
    void settle() {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
            driver_.pump();
            presenter_->sync();
            if (!presenter_->isAnimating() || clock.elapsed() > 2000) break;
            QEventLoop wait;
            QTimer::singleShot(16, &wait, &QEventLoop::quit);
            wait.exec();
        }
        presenter_->surface()->repaint();
    }

  private:
    std::unique_ptr<WindowPresenter>& presenter_;
    RunLoopDriver& driver_;
    std::optional<int> status_;
};

// Tells the app when its window leaves sight and comes back: a minimised window, or the system
// hiding or suspending the whole application, is what "the background" means on a desktop.
class Visibility : public QObject {
  public:
    explicit Visibility(const QtOptions& options) : options_(options) {
        QObject::connect(qApp, &QGuiApplication::applicationStateChanged, this,
                         [this](Qt::ApplicationState s) {
                             if (s == Qt::ApplicationHidden || s == Qt::ApplicationSuspended) setHidden(true);
                             if (s == Qt::ApplicationActive) setHidden(false);
                         });
    }

    void watch(QWidget* surface) { surface->installEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowStateChange)
            if (auto* w = qobject_cast<QWidget*>(watched)) setHidden(w->windowState() & Qt::WindowMinimized);
        return false;
    }

  private:
    void setHidden(bool hidden) {
        if (hidden == hidden_) return;
        hidden_ = hidden;
        const auto& call = hidden ? options_.didEnterBackground : options_.willEnterForeground;
        if (call) call();
    }

    const QtOptions& options_;
    bool hidden_ = false;
};

// Every touch, key and wheel turn from the person at the window (not the app's own synthetic
// events) tells the key window someone is there, which keeps the idle lock away.
class Activity : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        (void)watched;
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseMove:
            case QEvent::KeyPress:
            case QEvent::Wheel:
            case QEvent::TouchBegin:
            case QEvent::InputMethod:
                if (event->spontaneous())
                    if (auto window = Window::keyWindow()) window->noteUserActivity();
                break;
            default:
                break;
        }
        return false;
    }
};

// Tells the toolkit whether the desktop's palette is dark (its window colour darker than its
// text), at start and whenever the desktop changes it, and the desktop's font size.
class DesktopPalette : public QObject {
  public:
    DesktopPalette() { report(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) report();
        return false;
    }

  private:
    static void report() {
        QPalette desktop = QGuiApplication::palette();
        Palette::setDesktopIsDark(desktop.color(QPalette::Window).lightness() <
                                  desktop.color(QPalette::WindowText).lightness());
        // The desktop's font size is what the text size follows while the user chose none.
        TextSize::setDesktopPercent(desktopTextPercent());
    }
};

}  // namespace

std::vector<std::string> pickPictureFiles() {
    QStringList files = QFileDialog::getOpenFileNames(nullptr, QString::fromUtf8(tr("从手机相册获取")),
                                                      QDir::homePath(), "Pictures (*.png *.jpg *.jpeg)");
    std::vector<std::string> paths;
    for (const QString& file : files) paths.push_back(fromQString(file));
    return paths;
}

std::optional<std::string> chooseSaveFile(const std::string& title, const std::string& name) {
    QString file = QFileDialog::getSaveFileName(nullptr, QString::fromUtf8(title.c_str()),
                                                QDir::home().filePath(QString::fromUtf8(name.c_str())),
                                                "iCalendar (*.ics)");
    if (file.isEmpty()) return std::nullopt;
    return fromQString(file);
}

int runApplication(int argc, char** argv, const std::function<void()>& launch,
                   const std::function<bool(QtHost&)>& step, const QtOptions& options) {
    // QApplication keeps a reference to argc for its whole life.
    static int qtArgc;
    qtArgc = argc;
    QApplication app(qtArgc, argv);
    // The window class the desktop entry's StartupWMClass names.
    QApplication::setApplicationName("BusDesk");
    if (!options.desktopFileName.empty()) {
        QGuiApplication::setDesktopFileName(toQString(options.desktopFileName));
        QIcon icon;
        for (const auto& file : options.iconFiles) icon.addFile(toQString(file));
        if (icon.isNull()) icon = QIcon::fromTheme(toQString(options.desktopFileName));
        QApplication::setWindowIcon(icon);
    }
    installApplicationFont();

    RunLoopDriver driver(&app);
    Activity activity;
    app.installEventFilter(&activity);
    DesktopPalette desktopPalette;
    app.installEventFilter(&desktopPalette);

    if (launch) launch();
    driver.pump();
    auto window = Window::keyWindow();
    if (!window) {
        std::cerr << "busdesk: nothing to show (no key window)\n";
        return 1;
    }
    window->setFrame({0, 0, static_cast<double>(std::max(1, options.width)),
                      static_cast<double>(std::max(1, options.height))});
    auto presenter = std::make_unique<WindowPresenter>(window);
    presenter->surface()->show();
    Visibility visibility(options);
    visibility.watch(presenter->surface());

    driver.setAfterPump([&] {
        // The app may replace its key window (a new one made key); follow it.
        auto key = Window::keyWindow();
        if (key && key != presenter->window()) {
            QSize size = presenter->surface()->size();
            key->setFrame({0, 0, static_cast<double>(size.width()), static_cast<double>(size.height())});
            presenter = std::make_unique<WindowPresenter>(key);
            presenter->surface()->show();
            visibility.watch(presenter->surface());
        } else {
            presenter->scheduleSync();
        }
    });

    Host host(presenter, driver);
    std::function<void()> runStep;
    runStep = [&] {
        QApplication::processEvents();
        driver.pump();
        presenter->sync();
        presenter->surface()->repaint();
        if (host.status()) return;
        bool more = step(host);
        if (host.status()) return;
        if (!more) {
            QApplication::exit(0);
            return;
        }
        QTimer::singleShot(0, &app, runStep);
    };
    if (step) QTimer::singleShot(0, &app, runStep);

    int status = QApplication::exec();
    driver.setAfterPump({});
    presenter.reset();
    return host.status().value_or(status);
}

}  // namespace busdesk::qt
