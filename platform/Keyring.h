#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/SecretBytes.h"

namespace busdesk {

// The desktop's keyring, as a phone's keychain is to an app: small secrets stored per account
// under the application's name, locked with the user's login. One item per account; storing
// again replaces it.
//
// Every call is answered once, on the main loop, in the order the calls were made (they run one
// after the other on the keyring's own thread: a keyring speaks D-Bus and may wait for a prompt,
// which must never stall the screen). The main loop counts a call as outstanding work until it is
// answered. Unavailable means no keyring answered: none running, none on this bus, a locked one
// whose prompt was dismissed, an error on the way. The caller then keeps the secret nowhere.
class Keyring : public std::enable_shared_from_this<Keyring> {
  public:
    enum class Status { Done, NotFound, Unavailable };

    explicit Keyring(std::string application) : application_(std::move(application)) {}
    virtual ~Keyring() = default;
    Keyring(const Keyring&) = delete;
    Keyring& operator=(const Keyring&) = delete;

    // The keyring the app uses: the Secret Service under the name "busdesk" unless replaced.
    static std::shared_ptr<Keyring> shared();
    static void setShared(std::shared_ptr<Keyring> keyring);

    const std::string& application() const { return application_; }

    // Done when a keyring answers at all.
    void probe(std::function<void(Status)> done);
    // `label` is what the user sees in the desktop's keyring manager.
    void store(std::string account, std::string label, SecretBytes secret, std::function<void(Status)> done);
    // NotFound when no item is stored for the account; the secret is empty unless Done.
    void lookup(std::string account, std::function<void(Status, SecretBytes)> done);
    // Done when an item was removed, NotFound when there was none.
    void remove(std::string account, std::function<void(Status)> done);

  protected:
    // The backend, blocking, always called on the keyring's thread, one call at a time.
    virtual Status probeNow() = 0;
    virtual Status storeNow(const std::string& account, const std::string& label,
                            const SecretBytes& secret) = 0;
    virtual Status lookupNow(const std::string& account, SecretBytes& secret) = 0;
    virtual Status removeNow(const std::string& account) = 0;

  private:
    std::string application_;
};

// The desktop's keyring for `application`: the Secret Service (SecretServiceKeyring.cpp).
std::shared_ptr<Keyring> makeDesktopKeyring(std::string application);

}  // namespace busdesk
