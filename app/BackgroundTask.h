#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace busdesk {

// Stands in for the phone's "extra time in the background" grant. A desktop process is never
// suspended, so nothing here limits the app: it only keeps the grants and their expiry handlers,
// and expireAll() plays the part of the system saying the time is up.
using BackgroundTaskIdentifier = std::uint64_t;
inline constexpr BackgroundTaskIdentifier BackgroundTaskInvalid = 0;

class BackgroundTasks {
  public:
    // At most this many grants are open at once; asking for one more expires the oldest first
    // (its handler is called), so a process minimised a thousand times keeps no thousand entries.
    static constexpr std::size_t kMaxOpenGrants = 16;

    static BackgroundTaskIdentifier beginBackgroundTaskWithExpirationHandler(std::function<void()> handler);
    // Hands the grant back: its handler is dropped uncalled. Unknown and ended identifiers, and
    // BackgroundTaskInvalid, are ignored.
    static void endBackgroundTask(BackgroundTaskIdentifier identifier);
    // Calls the handler of every grant still open, once, and forgets the grants.
    static void expireAll();
    static std::size_t openCount();
};

}  // namespace busdesk
