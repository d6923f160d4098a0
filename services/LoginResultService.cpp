#include "services/LoginResultService.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "core/OfficeParameters.h"
#include "core/PublicMethod.h"
#include "core/Session.h"
#include "model/LoginResult.h"
#include "model/ResultInfo.h"
#include "platform/Log.h"
#include "services/OfficeCall.h"
#include "services/OfficeEvents.h"

namespace busdesk {

void LoginResultService::GetLoginResult(
    const std::string& cardID, const std::string& password,
    std::function<void(std::shared_ptr<LoginResult>, bool accepted)> success, std::function<void()> fail) {
    login(cardID, password, std::move(success), [fail = std::move(fail)](const OfficeFailure&) {
        if (fail) fail();
    });
}

void LoginResultService::login(const std::string& cardID, const std::string& password,
                               std::function<void(std::shared_ptr<LoginResult>, bool accepted)> success,
                               std::function<void(const OfficeFailure&)> fail) {
    boost::json::object params;
    params[OfficeParameter::CardID] = cardID;
    params[OfficeParameter::Password] = password;
    auto mgr = OfficeCall::manager();
    mgr->GET(
        PublicMethod::getLoginInfo(), boost::json::value(std::move(params)),
        [mgr, success = std::move(success)](const std::shared_ptr<HTTPRequestOperation>& operation,
                                            const ResponseObject& answer) {
            OfficeCall::logJSONLine(withPersonalDataMasked(answer.json));
            // Mapped from the raw text, not from the parsed value: nothing unless it is an object.
            auto result = LoginResult::initWithString(OfficeCall::answerText(operation).value_or(""));
            // Every answered attempt replaces the session, a refusal or an unusable answer too,
            // and before the caller hears of it.
            Session::shared().setLoginResult(result);
            office_events::answered();
            const bool accepted = result && integerValue(result->IsSuccess) != 0;
            if (success) success(result, accepted);
        },
        OfficeCall::failureBlock(mgr, OfficeCall::Failed(std::move(fail)), false));
}

bool LoginResultService::changePassword(
    const std::string& oldPassword, const std::string& newPassword,
    std::function<void(std::shared_ptr<ResultInfo>, bool changed)> success, std::function<void()> fail) {
    // Without a card number the request could only change nobody's password.
    auto card = Session::shared().cardID();
    if (!card) return false;
    changePasswordWithUsername(card, oldPassword, newPassword, std::move(success), std::move(fail));
    return true;
}

void LoginResultService::changePasswordWithUsername(
    const std::optional<std::string>& cardID, const std::string& oldPassWord, const std::string& newPassword,
    std::function<void(std::shared_ptr<ResultInfo>, bool changed)> success, std::function<void()> fail) {
    boost::json::object params;
    if (cardID) params[OfficeParameter::CardID] = *cardID;
    params[OfficeParameter::OldPassword] = oldPassWord;
    params[OfficeParameter::NewPassword] = newPassword;
    auto mgr = OfficeCall::manager();
    mgr->GET(
        PublicMethod::changePassword(), boost::json::value(std::move(params)),
        [mgr, success = std::move(success)](const std::shared_ptr<HTTPRequestOperation>& operation,
                                            const ResponseObject& answer) {
            Log::line("change password JSON: " + OfficeCall::describe(answer.json));
            auto result = ResultInfo::initWithString(OfficeCall::answerText(operation).value_or(""));
            const bool changed = result && result->IsSuccess;
            if (success) success(result, changed);
        },
        OfficeCall::failureBlock(mgr, std::move(fail), false));
}

std::optional<boost::json::value> LoginResultService::withPersonalDataMasked(
    const std::optional<boost::json::value>& json) {
    if (!json || !json->is_object()) return json;
    boost::json::value copy = *json;
    for (auto& member : copy.get_object()) {
        std::string key(member.key());
        std::transform(key.begin(), key.end(), key.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (key == "idcard" || key == "address" || key == "telephone" || key == "birthday")
            member.value() = "***";
    }
    return copy;
}

long LoginResultService::integerValue(const std::optional<std::string>& text) {
    if (!text) return 0;
    const std::string& s = *text;
    std::size_t i = 0;
    while (i < s.size() &&
           (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r' || s[i] == '\v' || s[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    // Saturates instead of overflowing on a long digit run.
    long value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        const int digit = s[i] - '0';
        if (!negative) {
            if (value > (LONG_MAX - digit) / 10) return LONG_MAX;
            value = value * 10 + digit;
        } else {
            if (value < (LONG_MIN + digit) / 10) return LONG_MIN;
            value = value * 10 - digit;
        }
    }
    return value;
}

}  // namespace busdesk
