#include "app/Application.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "app/AppDelegate.h"
#include "app/CommandHistory.h"
#include "app/NetworkLoaders.h"
#include "app/TerminalLineEditor.h"
#include "app/script/LineInput.h"
#include "app/script/ScriptRunner.h"
#include "core/AppInfo.h"
#include "core/OfficeAddress.h"
#include "core/PublicMethod.h"
#include "net/NetworkThread.h"
#include "platform/ConsoleText.h"
#include "platform/Date.h"
#include "platform/Log.h"
#include "platform/LogFile.h"
#include "platform/Paths.h"
#include "platform/ProfileLock.h"
#include "platform/RunLoop.h"
#include "platform/views/NavigationController.h"
#include "platform/views/Window.h"
#include "screens/core/DisplaySettings.h"
#include "screens/core/LanguageSettings.h"
#include "screens/core/LeftMenuViewController.h"
#include "screens/core/MainViewController.h"
#include "screens/core/NavigationShell.h"
#include "ui/AssetPickerController.h"

#ifdef BUSDESK_HAVE_QT
#include "platform/qt/QtApplication.h"
#include "ui/AssetPickerController.h"
#include "ui/SaveFileSheet.h"
#endif

namespace busdesk {

namespace {

// `home` on a top-level screen: the home page, opened as the left menu's first row opens it.
void installHomeAction(ScriptRunner& runner, const std::shared_ptr<Window>& window) {
    runner.setHomeAction([weak = std::weak_ptr<Window>(window)] {
        auto w = weak.lock();
        auto side = w ? std::dynamic_pointer_cast<SideMenu>(w->rootViewController()) : nullptr;
        if (!side || !side->leftMenuViewController()) return false;
        if (auto nav = std::dynamic_pointer_cast<NavigationController>(side->contentViewController());
            nav && nav->viewControllers().size() == 1 &&
            std::dynamic_pointer_cast<MainViewController>(nav->viewControllers().front()))
            return true;  // already there
        auto entries = LeftMenuViewController::entries();
        if (entries.empty() || !entries.front().available()) return false;
        NavigationShell::showContent(*side->leftMenuViewController(), entries.front().make());
        return true;
    });
}

// The terminal's width in columns (80 when it cannot be told).
int terminalColumns() {
    winsize size{};
    if (::isatty(STDOUT_FILENO) && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    if (const char* c = std::getenv("COLUMNS"); c && std::atoi(c) > 0) return std::atoi(c);
    return 80;
}

#ifdef BUSDESK_HAVE_QT
bool displayAvailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* v = std::getenv(name);
        if (v && *v) return true;
    }
    return false;
}

// Runs a script inside the window, one line per step, so the window repaints in between.
// "shot NAME" writes the window as NAME.png into the shots folder.
class WindowScript {
  public:
    WindowScript(const std::shared_ptr<Window>& window, std::istream& in, std::optional<std::string> shots)
        : runner_(window, std::cout), in_(in), shots_(std::move(shots)) {
        installHomeAction(runner_, window);
    }

    bool step(qt::QtHost& host) {
        std::string line;
        if (!std::getline(in_, line)) return false;
        ++lineNo_;
        auto start = line.find_first_not_of(" \t");
        if (start != std::string::npos && line.compare(start, 5, "shot ") == 0) {
            std::string name = line.substr(start + 5);
            while (!name.empty() && (name.back() == ' ' || name.back() == '\r')) name.pop_back();
            if (!shots_) return fail(host, "shot needs --shots DIR");
            std::error_code ec;
            std::filesystem::create_directories(*shots_, ec);
            if (!host.grab(*shots_ + "/" + name + ".png"))
                return fail(host, "could not write " + name + ".png");
            return true;
        }
        auto outcome = runner_.execute(line);
        if (!outcome.ok) return fail(host, outcome.message);
        if (outcome.quit) {
            host.quit(0);
            return false;
        }
        return true;
    }

  private:
    bool fail(qt::QtHost& host, const std::string& message) {
        std::cerr << "line " << lineNo_ << ": " << message << "\n";
        host.quit(1);
        return false;
    }

    ScriptRunner runner_;
    std::istream& in_;
    std::optional<std::string> shots_;
    int lineNo_ = 0;
};
#endif

#ifdef BUSDESK_HAVE_QT
// The renderings of the app's icon, found beside the program the way they are installed
// (bin/busdesk and share/icons/hicolor/NxN/apps/ID.png), in the build tree as under /usr.
std::vector<std::string> windowIconFiles() {
    std::error_code ec;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    const auto hicolor = program.parent_path().parent_path() / "share" / "icons" / "hicolor";
    std::vector<std::string> files;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const std::string dir = std::to_string(size) + "x" + std::to_string(size);
        auto file = hicolor / dir / "apps" / (AppInfo::appId() + ".png");
        if (std::filesystem::is_regular_file(file, ec)) files.push_back(file.string());
    }
    return files;
}
#endif

// Opens the script file when there is one; false (with a message) when it cannot be read.
bool openScript(const LaunchOptions& options, std::ifstream& file) {
    if (!options.script) return true;
    file.open(*options.script);
    if (!file) std::cerr << "busdesk: cannot read the script " << *options.script << "\n";
    return static_cast<bool>(file);
}

}  // namespace

void prepareEnvironment(const LaunchOptions& options) {
    if (options.profile) Paths::setProfileDir(*options.profile);
    OfficeAddress::apply(OfficeAddress::sourcesFor(options.server, options.culture));
    if (options.now) Date::setNow(options.now);
    DisplaySettings::setTextSizeForThisRun(options.textSize);
    installNetworkLoaders();
}

bool holdProfile(std::ostream& err) {
    std::string problem;
    switch (ProfileLock::acquire(&problem)) {
        case ProfileLock::Result::Held:
            Paths::tightenOwnFolders();
            return true;
        case ProfileLock::Result::TakenByAnother: {
            // Nothing of the other copy is reachable from here (no window to raise): say so and stop.
            const std::string profile = Paths::profileDir();
            err << "busdesk: " << problem << " ("
                << consoleSafe(profile.empty() ? Paths::configDir() : profile) << ")\n";
            return false;
        }
        case ProfileLock::Result::Unavailable:
            err << "busdesk: " << consoleSafe(problem) << "; running without the profile lock\n";
            return true;
    }
    return true;
}

std::string consoleLogPath() {
    return Paths::stateDir() + "/console.log";
}

std::string historyPath() {
    return Paths::stateDir() + "/history";
}

namespace {
// Console lines go to the log file for the life of this object: a person at the terminal reads
// screens, and a script's output is only what it asked to print. The terminal mode says once where
// they went. With --console they go to standard output instead, between the screens.
class ConsoleToLog {
  public:
    ConsoleToLog(const LaunchOptions& options, std::ostream& out) {
        if (options.console) {
            previous_ = Log::setSink([](const std::string& line) {
                std::fwrite(line.data(), 1, line.size(), stdout);
                std::fputc('\n', stdout);
                std::fflush(stdout);
            });
            return;
        }
        const bool tell = !options.script;
        std::string path = consoleLogPath();
        // The console lines name the user's requests: the file is the user's alone (0600), as
        // every other file of the profile, and rotated so it cannot grow for ever.
        auto log = std::make_shared<LogFile>(path);
        if (log->open()) {
            previous_ = Log::setSink([log](const std::string& line) { log->writeLine(line); });
            if (tell) out << "Console lines go to " << path << " (--console shows them here).\n";
        } else if (tell) {
            out << "Console lines stay on the terminal: " << path << " cannot be written.\n";
        }
    }
    ~ConsoleToLog() {
        if (previous_) Log::setSink(std::move(*previous_));
    }
    ConsoleToLog(const ConsoleToLog&) = delete;
    ConsoleToLog& operator=(const ConsoleToLog&) = delete;

  private:
    std::optional<Log::Sink> previous_;
};
}  // namespace

int runHeadless(const LaunchOptions& options, std::istream& terminal, std::ostream& out, int columns,
                bool lineEditing) {
    RunLoop::main().adoptCurrentThread();
    // Requests time out on the same virtual clock that `wait` advances: a script that waits past
    // a time-out sees the request fail, as a user would.
    NetworkThread::shared().setTimeoutClock(RunLoop::main().useManualClock());
    struct RealTimeOutsAfter {
        ~RealTimeOutsAfter() { NetworkThread::shared().setTimeoutClock(nullptr); }
    } realTimeOutsAfter;
    // The calendar runs on that clock too (from --now, else from the present), so a `wait` moves
    // the dates the screens ask for as it moves every timer.
    struct CalendarOnTheVirtualClock {
        bool pinnedHere = !RunLoop::main().calendarTime();
        CalendarOnTheVirtualClock() {
            if (pinnedHere) Date::setNow(Date::now());
        }
        ~CalendarOnTheVirtualClock() {
            if (pinnedHere) Date::setNow(std::nullopt);
        }
    } calendarOnTheVirtualClock;
    std::ifstream file;
    if (!openScript(options, file)) return 2;
    ConsoleToLog console(options, out);
    auto delegate = std::make_shared<AppDelegate>();
    delegate->applicationDidFinishLaunchingWithOptions();
    ScriptRunner runner(delegate->window(), out);
    runner.setTextWidth(columns);
    installHomeAction(runner, delegate->window());
    if (options.script) return runner.runScript(file);
    std::unique_ptr<LineInput> lines;
    if (lineEditing)
        lines = TerminalLineEditor::open(
            [&runner](const std::string& typed) { return runner.completions(typed); },
            CommandHistory(historyPath()));
    if (!lines) lines = std::make_unique<StreamLineInput>(terminal, out);
    return runner.runInteractive(*lines);
}

int runBusDesk(int argc, char** argv) {
    auto options = LaunchOptions::parse(argc, argv);
    if (!options.error.empty()) {
        std::cerr << "busdesk: " << options.error << "\n" << LaunchOptions::usage();
        return 2;
    }
    if (options.help) {
        std::cout << LaunchOptions::usage();
        return 0;
    }
    if (options.version) {
        std::cout << "BusDesk " << AppInfo::version() << " (build " << AppInfo::buildVersion() << ")\n";
        return 0;
    }
    prepareEnvironment(options);
    // Before anything of the profile is read or cleared up: a second copy stops here.
    if (!holdProfile(std::cerr)) return kAlreadyRunningStatus;
    // The language of every text, before the first screen is built.
    LanguageSettings::apply(options.lang);

    bool headless = options.headless;
#ifdef BUSDESK_HAVE_QT
    if (!headless && !displayAvailable()) {
        if (options.shots) {
            std::cerr << "busdesk: --shots needs a display (try xvfb-run)\n";
            return 2;
        }
        std::cerr << "busdesk: no display; running headless on the terminal\n";
        headless = true;
    }
#else
    if (!headless) {
        std::cerr << "busdesk: built without the window; running headless on the terminal\n";
        headless = true;
    }
#endif
    if (headless) return runHeadless(options, std::cin, std::cout, terminalColumns(), true);

#ifdef BUSDESK_HAVE_QT
    auto delegate = std::make_shared<AppDelegate>();
    std::ifstream file;
    std::unique_ptr<WindowScript> script;
    if (!openScript(options, file)) return 2;
    std::optional<ConsoleToLog> console;
    if (options.script) console.emplace(options, std::cout);
    auto launch = [&] {
        delegate->applicationDidFinishLaunchingWithOptions();
        if (options.script) script = std::make_unique<WindowScript>(delegate->window(), file, options.shots);
    };
    std::function<bool(qt::QtHost&)> step;
    if (options.script) step = [&](qt::QtHost& host) { return script && script->step(host); };
    qt::QtOptions window;
    window.desktopFileName = AppInfo::appId();
    window.iconFiles = windowIconFiles();
    window.didEnterBackground = [&] { delegate->applicationDidEnterBackground(); };
    window.willEnterForeground = [&] { delegate->applicationWillEnterForeground(); };
    // The album is the file dialog; a script cannot answer a dialog, so it keeps the profile's
    // album folder, as in headless mode.
    if (!options.script) {
        AssetPickerController::setAlbumSource(
            [] { return AssetPickerController::albumFromFiles(qt::pickPictureFiles()); });
        // Likewise the save dialog: a script completes the save sheet with `save PATH`.
        SaveFileSheet::setChooser(qt::chooseSaveFile);
    }
    int status = qt::runApplication(argc, argv, launch, step, window);
    AssetPickerController::setAlbumSource({});
    SaveFileSheet::setChooser({});
    return status;
#else
    return 0;
#endif
}

}  // namespace busdesk
