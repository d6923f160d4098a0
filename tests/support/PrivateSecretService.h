#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace busdesk::test {

// A Secret Service of the test's own: a private session bus (dbus-run-session) with
// gnome-keyring-daemon on it, its keyrings in a temporary folder, the login keyring made and
// unlocked with a test password. While it runs, DBUS_SESSION_BUS_ADDRESS points this process at
// it (and the shared keyring is a fresh one on it), so no test ever reaches a user's own keyring.
// One per test process: GLib keeps the first session-bus connection of a process, and a second
// private bus in the same process is not reached (CTest runs every test in a process of its own;
// run a test binary by hand with --gtest_filter on one such test at a time).
class PrivateSecretService {
  public:
    PrivateSecretService();
    ~PrivateSecretService();
    PrivateSecretService(const PrivateSecretService&) = delete;
    PrivateSecretService& operator=(const PrivateSecretService&) = delete;

    bool running() const { return pid_ > 0; }
    // Why it did not start.
    const std::string& error() const { return error_; }
    // Where gnome-keyring keeps the keyring files.
    std::string keyringFolder() const { return dir_ + "/data/keyrings"; }

    struct Item {
        std::string label;
        std::map<std::string, std::string> attributes;
        std::string secret;
    };
    // Every item stored under the application's name, read through libsecret apart from the
    // app's own calls.
    std::vector<Item> items(const std::string& application = "busdesk") const;
    std::optional<Item> item(const std::string& account, const std::string& application = "busdesk") const;

    // Ends the bus and the service now (the keyring going away under a running app).
    void stop();

  private:
    std::string dir_;
    std::string error_;
    pid_t pid_ = -1;
    int input_ = -1;
    std::optional<std::string> previousAddress_;
};

// Points this process at a bus that is not there: every keyring call answers Unavailable.
void useNoSessionBus();

}  // namespace busdesk::test
