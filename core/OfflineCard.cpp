#include "core/OfflineCard.h"

#include <fcntl.h>
#include <unistd.h>

#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>
#include <mutex>

#include "platform/AtomicFile.h"
#include "platform/Crypto.h"
#include "platform/Date.h"
#include "platform/DispatchQueue.h"
#include "platform/Log.h"
#include "platform/Paths.h"

namespace busdesk::offline {

namespace {

constexpr int kFormat = 1;
// A card file is a few hundred bytes; anything much larger is not one.
constexpr std::size_t kMaxFileBytes = 64 * 1024;

// One card file is read, changed and written by one thread at a time.
std::mutex& fileMutex() {
    static std::mutex m;
    return m;
}

std::string keyPlace(const std::string& cardID) {
    return "busdesk data key\n" + cardID;
}
std::string recordPlace(const std::string& cardID) {
    return "busdesk login record\n" + cardID;
}

// What a card file holds, as read (the sealed parts still sealed).
struct CardFile {
    double made = 0;
    std::string verifier;
    crypto::KeyDerivation derivation;
    std::string wrappedKey;
    std::string record;
    int wrongTries = 0;
};

std::optional<std::string> readBounded(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return std::nullopt;
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || text.size() + static_cast<std::size_t>(n) > kMaxFileBytes) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

// Nothing for a missing, damaged or foreign file.
std::optional<CardFile> load(const std::string& cardID) {
    auto text = readBounded(cardFile(cardID));
    if (!text) return std::nullopt;
    boost::system::error_code ec;
    auto parsed = boost::json::parse(*text, ec);
    if (ec || !parsed.is_object()) return std::nullopt;
    const auto& o = parsed.as_object();
    auto string = [&](const char* name) -> std::optional<std::string> {
        const auto* v = o.if_contains(name);
        if (!v || !v->is_string()) return std::nullopt;
        return std::string(v->as_string());
    };
    const auto* format = o.if_contains("format");
    const auto* made = o.if_contains("made");
    const auto* wrong = o.if_contains("wrongTries");
    auto verifier = string("verifier");
    auto derivation = string("derivation");
    auto wrapped = string("wrappedKey");
    auto record = string("record");
    if (!format || !format->is_int64() || format->as_int64() != kFormat || !made || !made->is_number() ||
        !wrong || !wrong->is_int64() || !verifier || !derivation || !wrapped || !record)
        return std::nullopt;
    CardFile card;
    auto how = crypto::KeyDerivation::fromText(*derivation);
    auto wrappedBytes = crypto::fromBase64(*wrapped);
    auto recordBytes = crypto::fromBase64(*record);
    if (!how || !wrappedBytes || !recordBytes) return std::nullopt;
    card.made = made->to_number<double>();
    card.verifier = std::move(*verifier);
    card.derivation = std::move(*how);
    card.wrappedKey = std::move(*wrappedBytes);
    card.record = std::move(*recordBytes);
    card.wrongTries = static_cast<int>(wrong->as_int64());
    return card;
}

bool young(const CardFile& card) {
    const double age = Date::now().secondsSince1970 - card.made;
    return age >= -300 && age < kMaxAgeSeconds;  // a clock set back a little is no reason to refuse
}

bool save(const std::string& cardID, const CardFile& card) {
    boost::json::object o;
    o["format"] = kFormat;
    o["made"] = card.made;
    o["verifier"] = card.verifier;
    o["derivation"] = card.derivation.toText();
    o["wrappedKey"] = crypto::toBase64(card.wrappedKey);
    o["record"] = crypto::toBase64(card.record);
    o["wrongTries"] = card.wrongTries;
    const std::string path = cardFile(cardID);
    if (!Paths::ensureDirectory(atomic_file::parentOf(path))) return false;
    const int failure = atomic_file::replace(path, boost::json::serialize(o));
    if (failure != 0)
        Log::line("offline sign-in: cannot save the card file (" + std::string(std::strerror(failure)) + ")");
    return failure == 0;
}

// A fresh verifier and wrapping of `dataKey` for `password`, around `record`.
std::optional<CardFile> sealFor(const std::string& cardID, std::string_view password,
                                const SecretBytes& dataKey, std::string record) {
    auto verifier = crypto::makeVerifier(password);
    auto how = crypto::KeyDerivation::fresh();
    auto passwordKey = crypto::deriveKey(password, how);
    if (!verifier || !passwordKey) return std::nullopt;
    CardFile card;
    card.made = Date::now().secondsSince1970;
    card.verifier = std::move(*verifier);
    card.derivation = std::move(how);
    card.wrappedKey = crypto::seal(*passwordKey, dataKey.view(), keyPlace(cardID));
    card.record = std::move(record);
    return card;
}

// The data key the file wraps, when `password` opens it.
std::optional<SecretBytes> unwrap(const std::string& cardID, const CardFile& card,
                                  std::string_view password) {
    if (!crypto::checkVerifier(card.verifier, password)) return std::nullopt;
    auto passwordKey = crypto::deriveKey(password, card.derivation);
    if (!passwordKey) return std::nullopt;
    auto key = crypto::open(*passwordKey, card.wrappedKey, keyPlace(cardID));
    if (!key || key->size() != crypto::kKeyBytes) return std::nullopt;
    return key;
}

}  // namespace

std::string cardFile(const std::string& cardID) {
    // A plain hash: the name only keeps the number out of a folder listing.
    const std::string name = crypto::keyedHash(SecretBytes(std::string_view("busdesk card file")), cardID);
    std::string hex;
    for (unsigned char c : name.substr(0, 16)) {
        static constexpr char kDigits[] = "0123456789abcdef";
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return Paths::dataDir() + "/offline/" + hex + ".card";
}

std::optional<Remembered> rememberLogin(const std::string& cardID, std::string_view password,
                                        std::string_view loginRecord) {
    std::lock_guard lock(fileMutex());
    std::optional<SecretBytes> key;
    if (auto existing = load(cardID)) key = unwrap(cardID, *existing, password);
    if (!key) key = crypto::randomKey();
    auto card = sealFor(cardID, password, *key, crypto::seal(*key, loginRecord, recordPlace(cardID)));
    Remembered remembered{*key, false};
    if (card) remembered.saved = save(cardID, *card);
    return remembered;
}

bool canOffer(const std::string& cardID) {
    std::lock_guard lock(fileMutex());
    auto card = load(cardID);
    return card && young(*card);
}

std::variant<Opened, Refusal> openLogin(const std::string& cardID, std::string_view password) {
    std::lock_guard lock(fileMutex());
    auto card = load(cardID);
    if (!card || !young(*card)) return Refusal::NoCard;
    auto key = unwrap(cardID, *card, password);
    std::optional<SecretBytes> record;
    if (key) record = crypto::open(*key, card->record, recordPlace(cardID));
    if (!key || !record) {
        if (key) return Refusal::NoCard;  // the password is right but the record is damaged
        if (++card->wrongTries >= kMaxWrongTries) {
            ::unlink(cardFile(cardID).c_str());
            return Refusal::Deleted;
        }
        save(cardID, *card);
        return Refusal::WrongPassword;
    }
    if (card->wrongTries != 0) {
        card->wrongTries = 0;
        save(cardID, *card);
    }
    return Opened{std::move(*key), std::string(record->view())};
}

bool rewrap(const std::string& cardID, const SecretBytes& dataKey, std::string_view newPassword) {
    std::lock_guard lock(fileMutex());
    auto existing = load(cardID);
    if (!existing) return false;
    auto card = sealFor(cardID, newPassword, dataKey, existing->record);
    if (!card) return false;
    card->made = existing->made;
    return save(cardID, *card);
}

void forget(const std::string& cardID) {
    std::lock_guard lock(fileMutex());
    ::unlink(cardFile(cardID).c_str());
}

void rememberLoginAsync(std::string cardID, SecretBytes password, std::string loginRecord,
                        std::function<void(std::optional<Remembered>)> done) {
    asyncThenMain<std::optional<Remembered>>(
        DispatchQueue::processing(),
        [cardID = std::move(cardID), password = std::move(password), record = std::move(loginRecord)] {
            return rememberLogin(cardID, password.view(), record);
        },
        std::move(done));
}

void openLoginAsync(std::string cardID, SecretBytes password,
                    std::function<void(std::variant<Opened, Refusal>)> done) {
    asyncThenMain<std::variant<Opened, Refusal>>(
        DispatchQueue::processing(),
        [cardID = std::move(cardID), password = std::move(password)] {
            return openLogin(cardID, password.view());
        },
        std::move(done));
}

void rewrapAsync(std::string cardID, SecretBytes dataKey, SecretBytes newPassword,
                 std::function<void(bool)> done) {
    asyncThenMain<bool>(
        DispatchQueue::processing(),
        [cardID = std::move(cardID), dataKey = std::move(dataKey), password = std::move(newPassword)] {
            return rewrap(cardID, dataKey, password.view());
        },
        std::move(done));
}

}  // namespace busdesk::offline
