#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The one entry point of the windowed app; no Qt type appears here, so the app layer stays free
// of Qt headers.
namespace busdesk {
struct Image;
}

namespace busdesk::qt {

// Handed to the step callback.
struct QtHost {
    virtual ~QtHost() = default;
    // Renders the window to a PNG now (after letting running fades and slides finish, so a shot
    // shows a settled screen). False when the file could not be written.
    virtual bool grab(const std::string& pngPath) = 0;
    virtual void quit(int status) = 0;
};

struct QtOptions {
    int width = 390;
    int height = 844;
    // The app's desktop id (its desktop entry's name without ".desktop"): the window's application
    // id for the desktop, and the icon theme's name of its icon.
    std::string desktopFileName;
    // PNG renderings of the window's icon, one per size; without any, the icon theme's is used.
    std::vector<std::string> iconFiles;
    // The window went out of sight (minimised, or the system hid the application) and came back.
    // Each is called once per change, on the main thread.
    std::function<void()> didEnterBackground;
    std::function<void()> willEnterForeground;
};

// The desktop's album: asks the user for picture files with the file dialog and returns their
// paths (none when the dialog is cancelled). Call it on the main thread while the app runs.
std::vector<std::string> pickPictureFiles();

// The desktop's save dialog: asks where to save a file titled `title`, starting at `name` in the
// home folder; the chosen path, or nothing when the dialog is cancelled. Main thread only.
std::optional<std::string> chooseSaveFile(const std::string& title, const std::string& name);

// Creates the QApplication, calls launch() (which builds the app's Window and makes it key),
// shows the key window mirrored into widgets, and runs the event loop. When step is set it is
// called again and again (each time after pending Qt and run-loop events are processed and the
// mirror repainted) until it returns false; then the app quits with status 0 unless quit() was
// called. Returns the exit status (1 when launch made no key window).
int runApplication(int argc, char** argv, const std::function<void()>& launch,
                   const std::function<bool(QtHost&)>& step = {}, const QtOptions& options = {});

}  // namespace busdesk::qt
