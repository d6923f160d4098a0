#pragma once

#include <functional>
#include <string>

namespace busdesk {

// Whether an office server answers at an address, before the user saves it: one harmless request
// (the company-logo query, which reads nothing of anybody's and changes nothing) to that address,
// not to the one in use.
class ConnectionTestService {
  public:
    // `baseURL` ends in "/". Exactly one of the callbacks runs, on the main thread; `fail` gets the
    // reason in words (the transport's or the server's).
    static void testConnectionWithBaseURL(const std::string& baseURL, std::function<void()> success,
                                          std::function<void(const std::string& reason)> fail);
};

}  // namespace busdesk
