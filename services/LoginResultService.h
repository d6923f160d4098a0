#pragma once

#include <boost/json/value.hpp>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace busdesk {

class LoginResult;
class ResultInfo;
struct OfficeFailure;

class LoginResultService {
  public:
    // Puts every answered attempt, refused ones included, into the session before `success`.
    static void GetLoginResult(const std::string& cardID, const std::string& password,
                               std::function<void(std::shared_ptr<LoginResult>, bool accepted)> success,
                               std::function<void()> fail);
    // The same, telling `fail` why the login got no answer it could read.
    static void login(const std::string& cardID, const std::string& password,
                      std::function<void(std::shared_ptr<LoginResult>, bool accepted)> success,
                      std::function<void(const OfficeFailure&)> fail);
    // The password of the signed-in account's card (Session::cardID); false, and nothing is sent,
    // when no card number is known.
    static bool changePassword(const std::string& oldPassword, const std::string& newPassword,
                               std::function<void(std::shared_ptr<ResultInfo>, bool changed)> success,
                               std::function<void()> fail);
    // A missing card number is left out of the request.
    static void changePasswordWithUsername(
        const std::optional<std::string>& cardID, const std::string& oldPassWord,
        const std::string& newPassword,
        std::function<void(std::shared_ptr<ResultInfo>, bool changed)> success, std::function<void()> fail);
    // The login answer as its "JSON:" console line shows it: identity-card number, address,
    // telephone and birthday replaced by "***"; everything else as received.
    static std::optional<boost::json::value> withPersonalDataMasked(
        const std::optional<boost::json::value>& json);
    // Integer reading of a text: leading digits (after spaces and a sign), 0 when there are none.
    static long integerValue(const std::optional<std::string>& text);
};

}  // namespace busdesk
