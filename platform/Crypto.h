#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/SecretBytes.h"

// The one set of cryptographic tools of the app, over libsodium: random keys and salts, password
// verifiers and password-derived keys (Argon2id), and sealed boxes (XChaCha20-Poly1305). Nothing
// here is home-made: each function is a thin, checked call of the library.
//
// Argon2id is slow and memory-hard on purpose (the interactive cost takes some 0.1 s and 64 MiB).
// The blocking forms must never run on the main thread (debug builds assert it); the main thread
// uses the ...Async forms, which run on the processing queue and answer on the main loop.
namespace busdesk::crypto {

inline constexpr std::size_t kKeyBytes = 32;
inline constexpr std::size_t kSaltBytes = 16;
// The first byte of every sealed box: the format, so a later one can be told apart.
inline constexpr unsigned char kBoxVersion = 1;
// Version byte, nonce and authentication tag around the sealed bytes.
inline constexpr std::size_t kBoxOverhead = 1 + 24 + 16;

// What Argon2id costs: passes over the memory, and the memory in bytes.
struct PasswordHashCost {
    unsigned long long opsLimit = 0;
    std::size_t memLimit = 0;
    // libsodium's interactive limits: what the app uses.
    static PasswordHashCost interactive();
    // The least Argon2id accepts, for tests that make many verifiers.
    static PasswordHashCost cheapest();
    bool operator==(const PasswordHashCost&) const = default;
};
// The cost new verifiers and key derivations get (interactive unless a test chose otherwise).
// Existing verifiers and derivations keep the cost they were made with.
void setPasswordHashCost(PasswordHashCost cost);
PasswordHashCost passwordHashCost();

// Random bytes from the system's generator.
SecretBytes randomKey();
std::string randomSalt();

// ---- Password verifiers (Argon2id with a random salt, in libsodium's text form
// "$argon2id$v=19$m=...,t=...,p=1$salt$hash"). Blocking: never on the main thread.
// Nothing when the memory cannot be had.
std::optional<std::string> makeVerifier(std::string_view password);
// False for a wrong password and for anything that is not an Argon2id verifier.
bool checkVerifier(const std::string& verifier, std::string_view password);

// ---- Keys derived from a password: Argon2id over the password and a salt, with the cost kept
// beside the salt so that the same key comes back whatever the cost of the day.
struct KeyDerivation {
    std::string salt;  // kSaltBytes
    PasswordHashCost cost;
    // A random salt and the current cost.
    static KeyDerivation fresh();
    // A printable form to keep beside what the key protects, and back. fromText refuses a
    // damaged text and a cost outside what Argon2id and this machine can bear.
    std::string toText() const;
    static std::optional<KeyDerivation> fromText(std::string_view text);
};
// Blocking: never on the main thread. Nothing when the memory cannot be had.
std::optional<SecretBytes> deriveKey(std::string_view password, const KeyDerivation& how);

// ---- Sealed boxes: authenticated encryption under a kKeyBytes key, a fresh random nonce for
// every box. The associated data is not in the box but must be the same to open it: it binds the
// box to its place (a user, a purpose), so a box copied elsewhere does not open.
// Box = version byte, nonce, ciphertext with its tag. Fast; any thread.
std::string seal(const SecretBytes& key, std::string_view plaintext, std::string_view associatedData);
// Nothing for a damaged, truncated or foreign box, a wrong key or other associated data.
std::optional<SecretBytes> open(const SecretBytes& key, std::string_view box,
                                std::string_view associatedData);

// ---- A keyed hash (BLAKE2b, 32 bytes): a name for `text` that only the key's holder can make
// or recognise, e.g. a row's lookup key that must not show what it stands for. Fast; any thread.
std::string keyedHash(const SecretBytes& key, std::string_view text);

// ---- Bytes as printable text (base64, URL-safe alphabet, no padding) for text files, and back; nothing for
// text that is not base64.
std::string toBase64(std::string_view bytes);
std::optional<std::string> fromBase64(std::string_view text);

// ---- The blocking Argon2id work from the main thread: done on the processing queue, answered
// on the main loop (counted as outstanding work there until answered).
void makeVerifierAsync(SecretBytes password, std::function<void(std::optional<std::string>)> done);
void checkVerifierAsync(std::string verifier, SecretBytes password, std::function<void(bool)> done);
void deriveKeyAsync(SecretBytes password, KeyDerivation how,
                    std::function<void(std::optional<SecretBytes>)> done);

}  // namespace busdesk::crypto
