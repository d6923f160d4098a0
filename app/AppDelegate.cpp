#include "app/AppDelegate.h"

#include "core/RememberedCredentials.h"
#include "platform/DispatchQueue.h"
#include "platform/RunLoop.h"
#include "platform/views/Palette.h"
#include "platform/views/Window.h"
#include "screens/core/DisplaySettings.h"
#include "screens/core/IdleLock.h"
#include "screens/core/LoginViewController.h"
#include "screens/core/NavigationShell.h"
#include "screens/core/SignOut.h"
#include "services/AnswerStore.h"
#include "services/FeedbackOutbox.h"

namespace busdesk {

bool AppDelegate::applicationDidFinishLaunchingWithOptions() {
    // 1. Keep the screen awake while the app is in front.
    device_.idleTimerDisabled = true;
    // 2. Playback category, mixing with other apps; errors were never examined.
    device_.audioCategory = "playback";
    device_.mixWithOthers = true;
    device_.audioSessionActive = true;
    // The palette chosen in the settings (else the desktop's) before anything is drawn.
    DisplaySettings::apply();
    // 3. The one window, full screen, in the palette's background.
    window_ = std::make_shared<Window>();
    window_->setBackgroundColor(Color::of(ColorRole::Background));
    window_->makeKeyAndVisible();
    // Every accepted login builds a shell; it is recorded here and has this delegate.
    std::weak_ptr<AppDelegate> weak = weak_from_this();
    NavigationShell::setSideMenuDelegate(weak);
    NavigationShell::setInstalledHandler([weak](const std::shared_ptr<SideMenu>& shell) {
        if (auto self = weak.lock()) self->sideMenu_ = shell;
    });
    LoginViewController::setAcceptedHandler([](Window& window) { NavigationShell::install(window); });
    // Nobody is signed in at launch; the lock watches this window for input from now on and signs
    // out through the same path as the menu.
    auto& lock = IdleLock::shared();
    lock.signedOut();
    lock.attach(window_);
    lock.setSignOutHandler([weakWindow = std::weak_ptr<Window>(window_)] {
        if (auto window = weakWindow.lock()) SignOut::signOut(*window);
    });
    // What "记住密码" kept: the card from the settings file, the password from the keyring (which
    // answers later), and what an earlier version left in the file moved out of it.
    RememberedCredentials::shared().resetForNewRun();
    RememberedCredentials::shared().load();
    // The last answers of every query, for when the office cannot be reached.
    AnswerStore::install();
    // Kept feedback goes at each sign-in of its author and when the office answers again.
    FeedbackOutbox::shared();
    // 4. The login screen; it reads the remembered credentials itself.
    window_->setRootViewController(std::make_shared<LoginViewController>());
    return true;
}

void AppDelegate::applicationDidEnterBackground() {
    std::weak_ptr<AppDelegate> weak = weak_from_this();
    auto hop = [weak] {
        dispatchMain([weak] {
            if (auto self = weak.lock()) self->invalidateBackgroundTask();
        });
    };
    // A grant still open from an earlier minimise is handed back before asking for the next.
    invalidateBackgroundTask();
    bgTask_ = BackgroundTasks::beginBackgroundTaskWithExpirationHandler(hop);
    // Nothing needs the time: hand it back at once, from a background queue as the system expects.
    DispatchQueue::processing().async(hop);
}

void AppDelegate::invalidateBackgroundTask() {
    BackgroundTasks::endBackgroundTask(bgTask_);
    bgTask_ = BackgroundTaskInvalid;
}

}  // namespace busdesk
