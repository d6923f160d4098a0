#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/Keyring.h"
#include "platform/SecretBytes.h"

namespace busdesk {

// What "记住密码" keeps, and where. The card number stays in the settings file (`zt_username`);
// the password and the identity-card number go to the desktop's keyring, one item per card,
// labelled "BusDesk – <card>", its secret a small JSON object {"password": ..., "IDcard": ...}.
// Where no keyring answers they are kept in memory for this run and written nowhere else.
// The identity-card number of a login without the box ticked stays in memory only.
//
// At start, load() moves a password or identity-card number that an earlier version left in the
// settings file into the keyring, then removes both from the file in one write. Without a keyring
// they are removed all the same (kept in memory for this run) and migratedWithoutKeyring() says so.
//
// Main thread only. The keyring answers later; every change it brings is told to the observers.
class RememberedCredentials {
  public:
    static RememberedCredentials& shared();

    void load();
    bool loaded() const { return loaded_; }
    // Runs `job` once load() has finished: at once when it has.
    void whenLoaded(std::function<void()> job);

    // Whether the keyring answered its last call; nothing before the first answer.
    std::optional<bool> keyringAvailable() const { return available_; }
    // This run's start took a password or identity-card number out of the settings file and had
    // no keyring to put it in.
    bool migratedWithoutKeyring() const { return migratedWithoutKeyring_; }
    // `changed` runs after each change of the keyring's availability or of what is remembered,
    // as long as `owner` lives.
    void observe(std::weak_ptr<void> owner, std::function<void()> changed);

    // The remembered card number (`zt_username`), its remembered password, and the identity-card
    // number of the last accepted login (before one: the remembered card's).
    std::optional<std::string> card() const;
    std::optional<std::string> password() const;
    std::optional<std::string> idCard() const;

    // The box was ticked at a login: the card number goes into the settings file at once, the
    // password into the keyring. A different card remembered before is forgotten with its item.
    void remember(const std::string& card, const std::string& password);
    // A login was accepted: the answer's identity-card number is kept in memory, and with the
    // card's item when the card's password is remembered.
    void acceptLogin(const std::string& card, const std::optional<std::string>& idCard);
    // The server changed the card's password: a remembered password follows it.
    void passwordChanged(const std::string& card, const std::string& newPassword);
    // Sign-out: the card number leaves the settings file, and the keyring items of the remembered
    // card and of `signedInCard` are deleted. The identity-card number of the last login stays in
    // memory (the reminder of an initial password reads it at the next login).
    void forget(const std::optional<std::string>& signedInCard);

    // For tests: everything in memory forgotten, as at a new start of the program. Answers still
    // on their way from before are dropped.
    void resetForNewRun();

  private:
    struct Record {
        std::string card;
        std::optional<SecretBytes> password;
        std::optional<SecretBytes> idCard;
    };
    RememberedCredentials() = default;
    void store(const Record& record, const std::function<void(Keyring::Status)>& after = {});
    void removeItem(const std::string& card);
    void noteAnswer(Keyring::Status status);
    void removeLegacyValues();
    void finishLoad();
    void changed();
    // Wraps a keyring answer so that it is dropped after resetForNewRun.
    template <class... Args>
    std::function<void(Args...)> current(std::type_identity_t<std::function<void(Args...)>> f);

    bool loading_ = false;
    bool loaded_ = false;
    bool migratedWithoutKeyring_ = false;
    std::optional<bool> available_;
    std::optional<Record> remembered_;
    std::optional<SecretBytes> lastIDcard_;
    std::vector<std::function<void()>> waiting_;
    std::vector<std::pair<std::weak_ptr<void>, std::function<void()>>> observers_;
    unsigned generation_ = 0;
};

}  // namespace busdesk
