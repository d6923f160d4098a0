#include "platform/Crypto.h"

#include <sodium.h>

#include <algorithm>
#include <atomic>
#include <cassert>
#include <charconv>
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/DispatchQueue.h"
#include "platform/RunLoop.h"

namespace busdesk::crypto {

namespace {

void ensureInitialised() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Without a working generator nothing here can be trusted; that is not a state to run in.
        if (sodium_init() < 0) std::abort();
    });
}

// Argon2id must not stall the screen.
void assertOffMainThread() {
    assert(!RunLoop::main().isOwnerThread() && "Argon2id on the main thread: use the ...Async form");
}

std::atomic<unsigned long long> gOpsLimit{crypto_pwhash_argon2id_OPSLIMIT_INTERACTIVE};
std::atomic<std::size_t> gMemLimit{crypto_pwhash_argon2id_MEMLIMIT_INTERACTIVE};

// The most a derivation read back from a file may ask for: a damaged or planted text must not
// make the app allocate gigabytes or spin for minutes.
constexpr unsigned long long kMaxOpsLimit = crypto_pwhash_argon2id_OPSLIMIT_SENSITIVE;
constexpr std::size_t kMaxMemLimit = crypto_pwhash_argon2id_MEMLIMIT_SENSITIVE;

bool acceptableCost(const PasswordHashCost& cost) {
    return cost.opsLimit >= crypto_pwhash_argon2id_OPSLIMIT_MIN && cost.opsLimit <= kMaxOpsLimit &&
           cost.memLimit >= crypto_pwhash_argon2id_MEMLIMIT_MIN && cost.memLimit <= kMaxMemLimit;
}

constexpr int kBase64Variant = sodium_base64_VARIANT_URLSAFE_NO_PADDING;

std::optional<std::string> fromBase64(std::string_view text, std::size_t expected) {
    auto out = crypto::fromBase64(text);
    if (!out || out->size() != expected) return std::nullopt;
    return out;
}

template <class Number>
std::optional<Number> parseNumber(std::string_view text) {
    Number n{};
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
    return n;
}

}  // namespace

PasswordHashCost PasswordHashCost::interactive() {
    return {crypto_pwhash_argon2id_OPSLIMIT_INTERACTIVE, crypto_pwhash_argon2id_MEMLIMIT_INTERACTIVE};
}

PasswordHashCost PasswordHashCost::cheapest() {
    return {crypto_pwhash_argon2id_OPSLIMIT_MIN, crypto_pwhash_argon2id_MEMLIMIT_MIN};
}

void setPasswordHashCost(PasswordHashCost cost) {
    gOpsLimit = cost.opsLimit;
    gMemLimit = cost.memLimit;
}

PasswordHashCost passwordHashCost() {
    return {gOpsLimit.load(), gMemLimit.load()};
}

SecretBytes randomKey() {
    ensureInitialised();
    SecretBytes key(kKeyBytes);
    randombytes_buf(key.data(), key.size());
    return key;
}

std::string randomSalt() {
    ensureInitialised();
    std::string salt(kSaltBytes, '\0');
    randombytes_buf(salt.data(), salt.size());
    return salt;
}

std::optional<std::string> makeVerifier(std::string_view password) {
    ensureInitialised();
    assertOffMainThread();
    auto cost = passwordHashCost();
    char out[crypto_pwhash_argon2id_STRBYTES];
    if (crypto_pwhash_argon2id_str(out, password.data(), password.size(), cost.opsLimit, cost.memLimit) != 0)
        return std::nullopt;
    return std::string(out);
}

bool checkVerifier(const std::string& verifier, std::string_view password) {
    ensureInitialised();
    assertOffMainThread();
    // The library reads a NUL-terminated text of bounded length.
    if (verifier.empty() || verifier.size() >= crypto_pwhash_argon2id_STRBYTES ||
        verifier.find('\0') != std::string::npos)
        return false;
    return crypto_pwhash_argon2id_str_verify(verifier.c_str(), password.data(), password.size()) == 0;
}

KeyDerivation KeyDerivation::fresh() {
    return {randomSalt(), passwordHashCost()};
}

std::string KeyDerivation::toText() const {
    return "argon2id$" + std::to_string(cost.opsLimit) + "$" + std::to_string(cost.memLimit) + "$" +
           toBase64(salt);
}

std::optional<KeyDerivation> KeyDerivation::fromText(std::string_view text) {
    std::string_view parts[4];
    for (int i = 0; i < 4; ++i) {
        auto sep = text.find('$');
        if ((i < 3) == (sep == std::string_view::npos)) return std::nullopt;
        parts[i] = text.substr(0, sep);
        text = sep == std::string_view::npos ? std::string_view() : text.substr(sep + 1);
    }
    if (parts[0] != "argon2id") return std::nullopt;
    auto ops = parseNumber<unsigned long long>(parts[1]);
    auto mem = parseNumber<std::size_t>(parts[2]);
    auto salt = fromBase64(parts[3], kSaltBytes);
    if (!ops || !mem || !salt) return std::nullopt;
    KeyDerivation how{std::move(*salt), {*ops, *mem}};
    if (!acceptableCost(how.cost)) return std::nullopt;
    return how;
}

std::optional<SecretBytes> deriveKey(std::string_view password, const KeyDerivation& how) {
    ensureInitialised();
    assertOffMainThread();
    if (how.salt.size() != kSaltBytes || !acceptableCost(how.cost)) return std::nullopt;
    SecretBytes key(kKeyBytes);
    if (crypto_pwhash(key.data(), key.size(), password.data(), password.size(),
                      reinterpret_cast<const unsigned char*>(how.salt.data()), how.cost.opsLimit,
                      how.cost.memLimit, crypto_pwhash_ALG_ARGON2ID13) != 0)
        return std::nullopt;
    return key;
}

namespace {
constexpr std::size_t kNonceBytes = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
static_assert(kBoxOverhead == 1 + kNonceBytes + crypto_aead_xchacha20poly1305_ietf_ABYTES);
static_assert(kKeyBytes == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);

// The version byte is authenticated too: it goes in front of the caller's associated data.
std::string boxAssociatedData(unsigned char version, std::string_view associatedData) {
    std::string ad(1, static_cast<char>(version));
    ad.append(associatedData);
    return ad;
}
}  // namespace

std::string keyedHash(const SecretBytes& key, std::string_view text) {
    ensureInitialised();
    std::string out(crypto_generichash_BYTES, '\0');
    crypto_generichash(reinterpret_cast<unsigned char*>(out.data()), out.size(),
                       reinterpret_cast<const unsigned char*>(text.data()), text.size(), key.data(),
                       std::min<std::size_t>(key.size(), crypto_generichash_KEYBYTES_MAX));
    return out;
}

std::string toBase64(std::string_view bytes) {
    ensureInitialised();
    std::string out(sodium_base64_encoded_len(bytes.size(), kBase64Variant), '\0');
    sodium_bin2base64(out.data(), out.size(), reinterpret_cast<const unsigned char*>(bytes.data()),
                      bytes.size(), kBase64Variant);
    out.resize(out.size() - 1);  // the terminating NUL
    return out;
}

std::optional<std::string> fromBase64(std::string_view text) {
    ensureInitialised();
    std::string out(text.size() / 4 * 3 + 3, '\0');
    std::size_t written = 0;
    const char* end = nullptr;
    if (sodium_base642bin(reinterpret_cast<unsigned char*>(out.data()), out.size(), text.data(), text.size(),
                          nullptr, &written, &end, kBase64Variant) != 0 ||
        end != text.data() + text.size())
        return std::nullopt;
    out.resize(written);
    return out;
}

std::string seal(const SecretBytes& key, std::string_view plaintext, std::string_view associatedData) {
    ensureInitialised();
    assert(key.size() == kKeyBytes);
    std::string box(kBoxOverhead + plaintext.size(), '\0');
    auto* out = reinterpret_cast<unsigned char*>(box.data());
    out[0] = kBoxVersion;
    randombytes_buf(out + 1, kNonceBytes);
    std::string ad = boxAssociatedData(kBoxVersion, associatedData);
    unsigned long long written = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(
        out + 1 + kNonceBytes, &written, reinterpret_cast<const unsigned char*>(plaintext.data()),
        plaintext.size(), reinterpret_cast<const unsigned char*>(ad.data()), ad.size(), nullptr, out + 1,
        key.data());
    box.resize(1 + kNonceBytes + written);
    return box;
}

std::optional<SecretBytes> open(const SecretBytes& key, std::string_view box,
                                std::string_view associatedData) {
    ensureInitialised();
    if (key.size() != kKeyBytes || box.size() < kBoxOverhead) return std::nullopt;
    const auto* in = reinterpret_cast<const unsigned char*>(box.data());
    if (in[0] != kBoxVersion) return std::nullopt;
    std::string ad = boxAssociatedData(in[0], associatedData);
    SecretBytes plain(box.size() - kBoxOverhead);
    unsigned long long length = 0;
    // A zero-length plaintext still needs a place to write to.
    unsigned char none = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(plain.empty() ? &none : plain.data(), &length, nullptr,
                                                   in + 1 + kNonceBytes, box.size() - 1 - kNonceBytes,
                                                   reinterpret_cast<const unsigned char*>(ad.data()),
                                                   ad.size(), in + 1, key.data()) != 0)
        return std::nullopt;
    return plain;
}

void makeVerifierAsync(SecretBytes password, std::function<void(std::optional<std::string>)> done) {
    asyncThenMain<std::optional<std::string>>(
        DispatchQueue::processing(),
        [password = std::move(password)] { return makeVerifier(password.view()); }, std::move(done));
}

void checkVerifierAsync(std::string verifier, SecretBytes password, std::function<void(bool)> done) {
    asyncThenMain<bool>(
        DispatchQueue::processing(),
        [verifier = std::move(verifier), password = std::move(password)] {
            return checkVerifier(verifier, password.view());
        },
        std::move(done));
}

void deriveKeyAsync(SecretBytes password, KeyDerivation how,
                    std::function<void(std::optional<SecretBytes>)> done) {
    asyncThenMain<std::optional<SecretBytes>>(
        DispatchQueue::processing(),
        [password = std::move(password), how = std::move(how)] { return deriveKey(password.view(), how); },
        std::move(done));
}

}  // namespace busdesk::crypto
