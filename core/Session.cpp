#include "core/Session.h"

#include <boost/json/serialize.hpp>

#include "core/SettingsKeys.h"
#include "platform/Charset.h"
#include "platform/Preferences.h"

namespace busdesk {

Session& Session::shared() {
    static Session* session = new Session();  // lives for the process, like the record it holds
    return *session;
}

std::shared_ptr<LoginResult> Session::loginResult() const {
    std::lock_guard lock(mutex_);
    return loginResult_;
}

void Session::setLoginResult(std::shared_ptr<LoginResult> result) {
    std::lock_guard lock(mutex_);
    loginResult_ = std::move(result);
}

std::optional<std::string> Session::typedCardID() const {
    std::lock_guard lock(mutex_);
    return typedCardID_;
}

void Session::setTypedCardID(std::optional<std::string> cardID) {
    std::lock_guard lock(mutex_);
    typedCardID_ = std::move(cardID);
}

void Session::end() {
    std::lock_guard lock(mutex_);
    loginResult_.reset();
    typedCardID_.reset();
}

namespace {
// The remembered login name as text (a stored number reads as its digits).
std::optional<std::string> rememberedName() {
    auto v = Preferences::standard().objectForKey(kZtUsername);
    if (!v) return std::nullopt;
    if (v->is_string()) return std::string(v->get_string());
    if (v->is_int64() || v->is_uint64() || v->is_double()) return boost::json::serialize(*v);
    return std::nullopt;
}
bool filled(const std::optional<std::string>& text) {
    return text && !Charset::isBlankText(*text);
}
}  // namespace

std::optional<std::string> Session::cardID() const {
    if (auto typed = typedCardID(); typed && !typed->empty()) return typed;
    auto stored = rememberedName();
    if (stored && !stored->empty()) return stored;
    return std::nullopt;
}

std::optional<std::string> Session::userName() const {
    if (auto stored = rememberedName(); filled(stored)) return stored;
    if (auto typed = typedCardID(); filled(typed)) return typed;
    return std::nullopt;
}

}  // namespace busdesk
