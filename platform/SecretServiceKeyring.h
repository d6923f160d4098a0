#pragma once

#include <memory>
#include <string>

#include "platform/Keyring.h"

namespace busdesk {

// The Secret Service (GNOME Keyring, KWallet, KeePassXC...) on the session bus, through
// libsecret. Items carry the attributes "application" and "account" and go to the default
// collection.
class SecretServiceKeyring : public Keyring {
  public:
    explicit SecretServiceKeyring(std::string application);
    ~SecretServiceKeyring() override;

  protected:
    Status probeNow() override;
    Status storeNow(const std::string& account, const std::string& label, const SecretBytes& secret) override;
    Status lookupNow(const std::string& account, SecretBytes& secret) override;
    Status removeNow(const std::string& account) override;

  private:
    struct Connection;
    // Opened on first use, dropped after an error so the next call connects afresh (the bus or
    // the service may have come back).
    std::unique_ptr<Connection> connection_;
};

}  // namespace busdesk
