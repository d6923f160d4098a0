#pragma once

#include <boost/json/value.hpp>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Date.h"

namespace busdesk {

class LoginResult;

// The application-wide helper: the one session (the LoginResult of the last answered login),
// the settings operations, the shared text and date helpers and the office address catalogue.
// It is a thin face; the work lives in platform (Preferences, DateFormat, UUID).
class PublicMethod {
  public:
    // Created on first use, exactly once even when several threads ask at once.
    static PublicMethod& sharedEngine();

    std::shared_ptr<LoginResult> loginResult() const;
    // The session's record (Session::shared()); every login answer replaces it, a refused one
    // too; signing out clears it.
    void setLoginResult(std::shared_ptr<LoginResult> result);

    // Settings over Preferences::standard(). setObject writes through to disk before it returns;
    // an absent value or a JSON null removes the key (and that removal is on disk too).
    static void setObject(std::optional<boost::json::value> value, const std::string& key);
    static void setObject(const std::optional<std::string>& text, const std::string& key);
    static void setObject(const char* text, const std::string& key);
    static std::optional<boost::json::value> getObjectForKey(const std::string& key);
    // The stored text; a stored number comes back as its text; anything else is nothing.
    static std::optional<std::string> getStringForKey(const std::string& key);
    static void removeObjectForKey(const std::string& key);
    // A whole number kept under the key; anything else stored there is nothing.
    static std::optional<std::int64_t> getIntegerForKey(const std::string& key);
    static void setInteger(std::int64_t value, const std::string& key);

    // Read marks of announcements, kept under "ReadNews" as ID -> "1".
    static void setNewsRead(const std::string& newsId);
    static bool getNewsRead(const std::string& newsId);

    // True for nothing, the JSON null, and text made only of white space and line breaks
    // (Unicode spaces such as the ideographic U+3000 included). Any other value is not blank.
    static bool isBlankString(const std::optional<boost::json::value>& value);
    static bool isBlankString(const std::optional<std::string>& text);
    static bool isBlankString(const char* text) {
        return isBlankString(text ? std::optional<std::string>(text) : std::nullopt);
    }

    // 32 upper-case hexadecimal characters: a fresh UUID without its dashes.
    static std::string getUniqueStrByUUID();

    static std::string getDateString(Date date, std::string_view pattern);
    static std::optional<Date> getDateFromString(std::string_view text, std::string_view pattern);

    // Office addresses: base + "OfficeServiceQ/" + name + "/". The name goes in as given, with no
    // escaping (the HTTP layer escapes query parameters, never the path built here).
    static std::string addUrlPreWithName(std::string_view methodName);
    // The same without the trailing slash (the company-logo address).
    static std::string addUrlPreWithNameNoPara(std::string_view methodName);
    // The same on another base than the one in use (an address being tried before it is saved).
    static std::string addUrlPreWithNameNoPara(std::string_view base, std::string_view methodName);
    static std::string getLoginInfo();
    static std::string changePassword();
    static std::string getQuerySalary();

    // The office base URL: the build's BUSDESK_OFFICE_BASE_URL until replaced (--server). A
    // missing final "/" is added, so "http://host:8088" does not yield "http://host:8088OfficeServiceQ".
    // An empty text restores the built-in value.
    static void setOfficeBaseURL(std::string url);
    static std::string officeBaseURL();
    // The base of the corporate-culture page (BUSDESK_CULTURE_BASE_URL, --culture); same rules.
    static void setCultureBaseURL(std::string url);
    static std::string cultureBaseURL();

  private:
    PublicMethod() = default;
};

}  // namespace busdesk
