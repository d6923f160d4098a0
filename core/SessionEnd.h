#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace busdesk {

// Who a session that just ended belonged to, and what the user should be told about it.
struct EndedSession {
    std::optional<std::string> cardID;  // the card number the user signed in with
    std::optional<std::string> empID;   // the employee identifier of the session record
    // Why it ended when the user did not choose it (a lock's switch of user, a password the
    // server no longer takes); empty for the menu's sign-out.
    std::string reason;
    // Lines the login screen shows after the sign-out; a step may add its own ("待发送的反馈…").
    std::vector<std::string> notices;
};

// What signing out must delete, gathered in one place. A feature that keeps something of the
// signed-in user (stored answers, keyring items, an offline record, a notice about unsent
// feedback) adds a step when it starts; every way a session ends runs all steps, in the order
// they were added. Main thread only.
class SessionEnd {
  public:
    using Step = std::function<void(EndedSession&)>;

    // A step under a name already added replaces it, so a feature set up twice runs once.
    static void add(const std::string& name, Step step);
    static void remove(const std::string& name);
    static std::vector<std::string> stepNames();

    // Runs every step for `ended`; a step that throws does not keep the others from running.
    static void run(EndedSession& ended);
};

}  // namespace busdesk
