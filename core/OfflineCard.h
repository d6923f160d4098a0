#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/SecretBytes.h"

// What lets a known user sign in without the network, one file per card number in the data
// folder's "offline/" (folder 0700, file 0600, replaced whole): an Argon2id verifier of the
// password, the user's random data key sealed under a key derived from the password, and the last
// accepted login record sealed with the data key. The data key also seals the user's stored
// answers; it exists in clear only in memory, after the password opened it.
//
// Every function that touches Argon2id blocks for a noticeable time: the plain forms must run off
// the main thread; the main thread uses the ...Async forms (processing queue, answered on the
// main loop).
namespace busdesk::offline {

// A card file older than this is not offered and is deleted when met.
inline constexpr double kMaxAgeSeconds = 7 * 24 * 3600.0;
// Wrong passwords in a row after which the card's file is deleted.
inline constexpr int kMaxWrongTries = 5;

// The card's file (its name does not show the card number).
std::string cardFile(const std::string& cardID);

// At an accepted login: keeps the card's verifier, wrapped data key and sealed record (the login
// answer as JSON text), keeping the data key the card already had when the password still opens
// it, else making a new one. The data key, or nothing when the file could not be written (the
// key is still usable for this run then). Blocking.
struct Remembered {
    SecretBytes dataKey;
    bool saved = false;
};
std::optional<Remembered> rememberLogin(const std::string& cardID, std::string_view password,
                                        std::string_view loginRecord);

// Whether offline sign-in may be offered for the card: a readable, complete file younger than
// kMaxAgeSeconds (checked against Date::now()). Cheap (no Argon2id); any thread.
bool canOffer(const std::string& cardID);

// Offline sign-in: checks the password against the verifier and opens the data key and record.
struct Opened {
    SecretBytes dataKey;
    std::string loginRecord;
};
enum class Refusal {
    NoCard,         // no usable file (missing, damaged, too old)
    WrongPassword,  // counted; the file stays
    Deleted,        // the kMaxWrongTries-th wrong password in a row: the file is gone
};
std::variant<Opened, Refusal> openLogin(const std::string& cardID, std::string_view password);

// A changed password: the same data key, wrapped for `newPassword`, with a new verifier. False
// when there is no file for the card or it could not be written. Blocking.
bool rewrap(const std::string& cardID, const SecretBytes& dataKey, std::string_view newPassword);

// Deletes the card's file (sign-out). Any thread.
void forget(const std::string& cardID);

void rememberLoginAsync(std::string cardID, SecretBytes password, std::string loginRecord,
                        std::function<void(std::optional<Remembered>)> done);
void openLoginAsync(std::string cardID, SecretBytes password,
                    std::function<void(std::variant<Opened, Refusal>)> done);
void rewrapAsync(std::string cardID, SecretBytes dataKey, SecretBytes newPassword,
                 std::function<void(bool)> done);

}  // namespace busdesk::offline
