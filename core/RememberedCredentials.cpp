#include "core/RememberedCredentials.h"

#include <algorithm>
#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>

#include "core/PublicMethod.h"
#include "core/SettingsKeys.h"
#include "platform/Log.h"
#include "platform/Preferences.h"

namespace busdesk {

namespace {

std::string itemLabel(const std::string& card) {
    return "BusDesk – " + card;
}

std::optional<std::string> text(const std::optional<SecretBytes>& secret) {
    if (!secret) return std::nullopt;
    return std::string(secret->view());
}

std::optional<SecretBytes> secret(const std::optional<std::string>& value) {
    if (!value) return std::nullopt;
    return SecretBytes(*value);
}

}  // namespace

RememberedCredentials& RememberedCredentials::shared() {
    static RememberedCredentials instance;
    return instance;
}

template <class... Args>
std::function<void(Args...)> RememberedCredentials::current(
    std::type_identity_t<std::function<void(Args...)>> f) {
    return [this, generation = generation_, f = std::move(f)](Args... args) {
        if (generation == generation_) f(std::move(args)...);
    };
}

void RememberedCredentials::load() {
    if (loading_ || loaded_) return;
    loading_ = true;
    auto card = PublicMethod::getStringForKey(kZtUsername);
    auto filePassword = PublicMethod::getStringForKey(kZtPassword);
    auto fileIDcard = PublicMethod::getStringForKey(kIDcard);
    bool legacy = filePassword || fileIDcard;
    auto keyring = Keyring::shared();
    if (!card) {
        // Values without a remembered card have nobody to be kept for; the keyring is asked only
        // whether it is there.
        keyring->probe(current<Keyring::Status>([this, legacy](Keyring::Status status) {
            noteAnswer(status);
            if (legacy) {
                migratedWithoutKeyring_ = status == Keyring::Status::Unavailable;
                removeLegacyValues();
            }
            finishLoad();
        }));
        return;
    }
    keyring->lookup(
        *card, current<Keyring::Status, SecretBytes>([this, card = *card, filePassword, fileIDcard, legacy](
                                                         Keyring::Status status, const SecretBytes& stored) {
            noteAnswer(status);
            Record record{card, std::nullopt, std::nullopt};
            if (status == Keyring::Status::Done) {
                boost::system::error_code ec;
                auto value = boost::json::parse(stored.view(), ec);
                if (const auto* object = ec ? nullptr : value.if_object()) {
                    if (const auto* p = object->if_contains("password"); p && p->is_string())
                        record.password = SecretBytes(std::string_view(p->get_string()));
                    if (const auto* i = object->if_contains("IDcard"); i && i->is_string())
                        record.idCard = SecretBytes(std::string_view(i->get_string()));
                } else {
                    Log::line("Keyring: the item of the remembered card is not readable; it is ignored");
                }
            }
            // The settings file's values are the newer ones: an old version wrote them last.
            if (filePassword) record.password = secret(filePassword);
            if (fileIDcard) record.idCard = secret(fileIDcard);
            remembered_ = record;
            if (!legacy) return finishLoad();
            if (status == Keyring::Status::Unavailable) {
                migratedWithoutKeyring_ = true;
                removeLegacyValues();
                return finishLoad();
            }
            // Out of the file only once the keyring holds them.
            store(record, [this](Keyring::Status stored) {
                if (stored == Keyring::Status::Unavailable) migratedWithoutKeyring_ = true;
                removeLegacyValues();
                finishLoad();
            });
        }));
}

void RememberedCredentials::removeLegacyValues() {
    // One write: the file never holds one of them without the other.
    if (!Preferences::standard().removeObjects({kZtPassword, kIDcard}))
        Log::line("Settings: the password and identity-card number could not be removed from the file yet");
}

void RememberedCredentials::finishLoad() {
    loading_ = false;
    loaded_ = true;
    auto jobs = std::exchange(waiting_, {});
    for (auto& job : jobs) job();
    changed();
}

void RememberedCredentials::whenLoaded(std::function<void()> job) {
    if (!job) return;
    if (loaded_) return job();
    waiting_.push_back(std::move(job));
    load();
}

void RememberedCredentials::observe(std::weak_ptr<void> owner, std::function<void()> onChange) {
    std::erase_if(observers_, [](const auto& o) { return o.first.expired(); });
    observers_.emplace_back(std::move(owner), std::move(onChange));
}

void RememberedCredentials::changed() {
    auto copy = observers_;
    for (auto& [owner, onChange] : copy)
        if (auto alive = owner.lock()) onChange();
}

void RememberedCredentials::noteAnswer(Keyring::Status status) {
    bool available = status != Keyring::Status::Unavailable;
    if (available_ == available) return;
    available_ = available;
    changed();
}

void RememberedCredentials::store(const Record& record, const std::function<void(Keyring::Status)>& after) {
    if (!record.password && !record.idCard) {
        removeItem(record.card);
        if (after) after(available_.value_or(false) ? Keyring::Status::Done : Keyring::Status::Unavailable);
        return;
    }
    boost::json::object object;
    if (record.password) object["password"] = record.password->view();
    if (record.idCard) object["IDcard"] = record.idCard->view();
    std::string json = boost::json::serialize(object);
    SecretBytes bytes(json);
    wipeString(json);
    Keyring::shared()->store(record.card, itemLabel(record.card), std::move(bytes),
                             current<Keyring::Status>([this, after](Keyring::Status status) {
                                 noteAnswer(status);
                                 if (after) after(status);
                             }));
}

void RememberedCredentials::removeItem(const std::string& card) {
    Keyring::shared()->remove(
        card, current<Keyring::Status>([this](Keyring::Status status) { noteAnswer(status); }));
}

std::optional<std::string> RememberedCredentials::card() const {
    return PublicMethod::getStringForKey(kZtUsername);
}

std::optional<std::string> RememberedCredentials::password() const {
    if (!remembered_ || remembered_->card != card()) return std::nullopt;
    return text(remembered_->password);
}

std::optional<std::string> RememberedCredentials::idCard() const {
    if (lastIDcard_) return text(lastIDcard_);
    if (remembered_ && remembered_->card == card()) return text(remembered_->idCard);
    return std::nullopt;
}

void RememberedCredentials::remember(const std::string& card, const std::string& password) {
    PublicMethod::setObject(card, kZtUsername);
    whenLoaded([this, card, pass = SecretBytes(password)] {
        Record record{card, pass, std::nullopt};
        if (remembered_ && remembered_->card == card)
            record.idCard = remembered_->idCard;
        else if (remembered_)
            removeItem(remembered_->card);
        remembered_ = record;
        store(record);
        changed();
    });
}

void RememberedCredentials::acceptLogin(const std::string& card, const std::optional<std::string>& idCard) {
    lastIDcard_ = secret(idCard);
    whenLoaded([this, card, id = secret(idCard)] {
        if (!remembered_ || remembered_->card != card || !remembered_->password) return;
        if (remembered_->idCard == id) return;
        remembered_->idCard = id;
        store(*remembered_);
    });
}

void RememberedCredentials::passwordChanged(const std::string& card, const std::string& newPassword) {
    whenLoaded([this, card, pass = SecretBytes(newPassword)] {
        if (!remembered_ || remembered_->card != card || !remembered_->password) return;
        remembered_->password = pass;
        store(*remembered_);
        changed();
    });
}

void RememberedCredentials::forget(const std::optional<std::string>& signedInCard) {
    std::vector<std::string> cards;
    auto add = [&cards](const std::optional<std::string>& c) {
        if (c && std::find(cards.begin(), cards.end(), *c) == cards.end()) cards.push_back(*c);
    };
    add(card());
    add(signedInCard);
    PublicMethod::removeObjectForKey(kZtUsername);
    whenLoaded([this, cards] {
        if (remembered_) {
            if (std::find(cards.begin(), cards.end(), remembered_->card) == cards.end())
                removeItem(remembered_->card);
            remembered_.reset();
        }
        for (const auto& c : cards) removeItem(c);
        changed();
    });
}

void RememberedCredentials::resetForNewRun() {
    ++generation_;
    loading_ = loaded_ = migratedWithoutKeyring_ = false;
    available_.reset();
    remembered_.reset();
    lastIDcard_.reset();
    waiting_.clear();
    observers_.clear();
}

}  // namespace busdesk
