#pragma once

#include <functional>
#include <string>

namespace busdesk::office_events {

// Two moments others may wait for, told by the services as they happen (main thread): the office
// answered a request usably (the network is there again), and a user signed in (their own work
// kept for later may go now). One listener each per name; a listener added again under its name
// replaces the old one.

void answered();
void signedIn(const std::string& empID);

void onAnswered(const std::string& name, std::function<void()> listener);
void onSignedIn(const std::string& name, std::function<void(const std::string& empID)> listener);
void removeListeners(const std::string& name);

}  // namespace busdesk::office_events
