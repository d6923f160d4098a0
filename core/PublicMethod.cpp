#include "core/PublicMethod.h"

#include <boost/json/object.hpp>
#include <boost/json/serialize.hpp>
#include <cstdint>

#include "core/OfficeMethods.h"
#include "core/Session.h"
#include "core/SettingsKeys.h"
#include "platform/Charset.h"
#include "platform/DateFormat.h"
#include "platform/Preferences.h"
#include "platform/UUID.h"

#ifndef BUSDESK_OFFICE_BASE_URL
#define BUSDESK_OFFICE_BASE_URL "http://127.0.0.1:8088/"
#endif
#ifndef BUSDESK_CULTURE_BASE_URL
#define BUSDESK_CULTURE_BASE_URL "http://127.0.0.1:8088/"
#endif

namespace busdesk {
namespace {

struct BaseURLs {
    std::mutex mutex;
    std::string office = BUSDESK_OFFICE_BASE_URL;
    std::string culture = BUSDESK_CULTURE_BASE_URL;
};

BaseURLs& baseURLs() {
    static BaseURLs b;
    return b;
}

std::string normalisedBase(std::string url, const char* builtIn) {
    if (url.empty()) return builtIn;
    if (url.back() != '/') url.push_back('/');
    return url;
}

}  // namespace

PublicMethod& PublicMethod::sharedEngine() {
    // A function-local static is initialised exactly once, even under concurrent first calls.
    static PublicMethod engine;
    return engine;
}

std::shared_ptr<LoginResult> PublicMethod::loginResult() const {
    return Session::shared().loginResult();
}

void PublicMethod::setLoginResult(std::shared_ptr<LoginResult> result) {
    Session::shared().setLoginResult(std::move(result));
}

void PublicMethod::setObject(std::optional<boost::json::value> value, const std::string& key) {
    if (!value || value->is_null()) {
        Preferences::standard().removeObject(key);
        return;
    }
    Preferences::standard().setObject(key, std::move(*value));
}

void PublicMethod::setObject(const std::optional<std::string>& text, const std::string& key) {
    setObject(text ? std::optional<boost::json::value>(boost::json::string(*text)) : std::nullopt, key);
}

void PublicMethod::setObject(const char* text, const std::string& key) {
    setObject(text ? std::optional<std::string>(text) : std::nullopt, key);
}

std::optional<boost::json::value> PublicMethod::getObjectForKey(const std::string& key) {
    return Preferences::standard().objectForKey(key);
}

std::optional<std::string> PublicMethod::getStringForKey(const std::string& key) {
    auto v = getObjectForKey(key);
    if (!v) return std::nullopt;
    if (v->is_string()) return std::string(v->get_string());
    if (v->is_int64() || v->is_uint64() || v->is_double()) return boost::json::serialize(*v);
    return std::nullopt;
}

std::optional<std::int64_t> PublicMethod::getIntegerForKey(const std::string& key) {
    auto v = getObjectForKey(key);
    if (v && v->is_int64()) return v->as_int64();
    return std::nullopt;
}

void PublicMethod::setInteger(std::int64_t value, const std::string& key) {
    setObject(std::optional<boost::json::value>(value), key);
}

void PublicMethod::removeObjectForKey(const std::string& key) {
    Preferences::standard().removeObject(key);
}

void PublicMethod::setNewsRead(const std::string& newsId) {
    boost::json::object marks;
    if (auto stored = getObjectForKey(kReadNews); stored && stored->is_object()) marks = stored->as_object();
    marks[newsId] = "1";
    setObject(boost::json::value(std::move(marks)), kReadNews);
}

bool PublicMethod::getNewsRead(const std::string& newsId) {
    auto stored = getObjectForKey(kReadNews);
    if (!stored || !stored->is_object()) return false;
    const boost::json::value* mark = stored->as_object().if_contains(newsId);
    return mark && mark->is_string() && mark->get_string() == "1";
}

bool PublicMethod::isBlankString(const std::optional<boost::json::value>& value) {
    if (!value || value->is_null()) return true;
    if (!value->is_string()) return false;
    const auto& s = value->get_string();
    return Charset::isBlankText(std::string_view(s.data(), s.size()));
}

bool PublicMethod::isBlankString(const std::optional<std::string>& text) {
    return !text || Charset::isBlankText(*text);
}

std::string PublicMethod::getUniqueStrByUUID() {
    std::string out;
    for (char c : uuidString()) {
        if (c != '-') out.push_back(c);
    }
    return out;
}

std::string PublicMethod::getDateString(Date date, std::string_view pattern) {
    return formatDate(date, pattern);
}

std::optional<Date> PublicMethod::getDateFromString(std::string_view text, std::string_view pattern) {
    return parseDate(text, pattern);
}

std::string PublicMethod::addUrlPreWithName(std::string_view methodName) {
    return addUrlPreWithNameNoPara(methodName) + "/";
}

std::string PublicMethod::addUrlPreWithNameNoPara(std::string_view methodName) {
    return addUrlPreWithNameNoPara(officeBaseURL(), methodName);
}

std::string PublicMethod::addUrlPreWithNameNoPara(std::string_view base, std::string_view methodName) {
    std::string url(base);
    url += "OfficeServiceQ/";
    url += methodName;
    return url;
}

std::string PublicMethod::getLoginInfo() {
    return addUrlPreWithName(OfficeMethod::User_Login);
}
std::string PublicMethod::changePassword() {
    return addUrlPreWithName(OfficeMethod::User_ChangePassword);
}
std::string PublicMethod::getQuerySalary() {
    return addUrlPreWithName(OfficeMethod::Query_Salary);
}

void PublicMethod::setOfficeBaseURL(std::string url) {
    std::string base = normalisedBase(std::move(url), BUSDESK_OFFICE_BASE_URL);
    std::lock_guard lock(baseURLs().mutex);
    baseURLs().office = std::move(base);
}

std::string PublicMethod::officeBaseURL() {
    std::lock_guard lock(baseURLs().mutex);
    return baseURLs().office;
}

void PublicMethod::setCultureBaseURL(std::string url) {
    std::string base = normalisedBase(std::move(url), BUSDESK_CULTURE_BASE_URL);
    std::lock_guard lock(baseURLs().mutex);
    baseURLs().culture = std::move(base);
}

std::string PublicMethod::cultureBaseURL() {
    std::lock_guard lock(baseURLs().mutex);
    return baseURLs().culture;
}

}  // namespace busdesk
