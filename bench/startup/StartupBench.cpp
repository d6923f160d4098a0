// Cold start: the app started with a script that dumps the login screen and quits, against a Qt
// Widgets program that shows one label and quits, both in the same Xvfb server, started in turn so
// that changes in machine load hit both alike. Prints the medians and their ratio.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

namespace {

// Starts `argv` with its output discarded and waits for it; milliseconds from fork to exit, or a
// negative value when it failed.
double timedRun(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    auto start = Steady::now();
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    double ms = std::chrono::duration<double, std::milli>(Steady::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s ended with status %d\n", args[0].c_str(), status);
        return -1;
    }
    return ms;
}

// An Xvfb server of our own; its display number, or -1. Display numbers are tried from one derived
// from our process id (other programs on this machine may run their own Xvfb); Xvfb reports the
// number on the pipe only once it accepts clients, and exits when the number is taken.
int startXvfb(pid_t& pid) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        int display = 200 + (getpid() + attempt * 37) % 700;
        int fds[2];
        if (pipe(fds) != 0) return -1;
        pid = fork();
        if (pid == 0) {
            close(fds[0]);
            int null = open("/dev/null", O_WRONLY);
            dup2(null, STDERR_FILENO);
            std::string name = ":" + std::to_string(display);
            std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", name.c_str(), "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char buffer[32] = {0};
        ssize_t n = read(fds[0], buffer, sizeof buffer - 1);
        close(fds[0]);
        if (n > 0) {
            // The number can come before the socket is there: wait for it (at most five seconds).
            int number = std::atoi(buffer);
            fs::path socket = "/tmp/.X11-unix/X" + std::to_string(number);
            for (int i = 0; i < 500 && !fs::exists(socket); ++i) usleep(10000);
            if (fs::exists(socket)) return number;
            kill(pid, SIGTERM);
        }
        waitpid(pid, nullptr, 0);
    }
    return -1;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The X server the starts run against: started again when it has gone (other programs on a shared
// machine may end Xvfb servers they did not start).
class Display {
  public:
    ~Display() { stop(); }
    bool ensure() {
        if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) return true;
        pid_ = 0;
        int number = startXvfb(pid_);
        if (number < 0) return false;
        ++starts_;
        setenv("DISPLAY", (":" + std::to_string(number)).c_str(), 1);
        return true;
    }
    void stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }
    int starts() const { return starts_; }

  private:
    pid_t pid_ = 0;
    int starts_ = 0;
};

// One start of each, in turn; tried again (at most ten times) when a start fails.
bool pair(Display& display, const std::vector<std::string>& app, const std::vector<std::string>& floor,
          double& appMs, double& floorMs) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (!display.ensure()) return false;
        appMs = timedRun(app);
        floorMs = timedRun(floor);
        if (appMs >= 0 && floorMs >= 0) return true;
        usleep(500000);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    Display display;

    fs::path dir = fs::temp_directory_path() / ("busdesk-startup-" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::path script = dir / "login.script";
    std::ofstream(script) << "dump\nquit\n";
    // A fresh profile each time would measure first-run set-up; one profile, reused, is a cold
    // process start on a machine where the app has run before. Nothing listens on port 9, so the
    // start-up's requests fail at once.
    const std::vector<std::string> app = {BUSDESK_APP_PATH, "--profile",           (dir / "profile").string(),
                                          "--server",       "http://127.0.0.1:9/", "--script",
                                          script.string()};
    const std::vector<std::string> floor = {BUSDESK_FLOOR_PATH};

    // One of each first: libraries and fonts in the page cache for both.
    double a = 0, f = 0;
    std::vector<double> appMs, floorMs;
    bool ok = pair(display, app, floor, a, f);
    for (int i = 0; ok && i < rounds; ++i) {
        ok = pair(display, app, floor, a, f);
        appMs.push_back(a);
        floorMs.push_back(f);
    }
    display.stop();
    fs::remove_all(dir);
    if (!ok) {
        std::fprintf(stderr, "the starts kept failing (Xvfb started %d times)\n", display.starts());
        return 1;
    }
    std::printf(
        "cold start under Xvfb, medians of %d: app with the login screen %.1f ms, one Qt label %.1f ms "
        "(Xvfb started %d times)\n",
        rounds, median(appMs), median(floorMs), display.starts());
    std::printf("ratio cold_start_vs_qt_label %.2f target <= 1.5\n", median(appMs) / median(floorMs));
    return 0;
}
