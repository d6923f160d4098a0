#include "net/HTTPRequestSerializer.h"

#include <sys/utsname.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "net/QueryStringPair.h"
#include "net/StreamingMultipartFormData.h"
#include "net/URLError.h"
#include "platform/Transliteration.h"

#ifndef BUSDESK_APP_VERSION
#define BUSDESK_APP_VERSION "1.0"
#endif

namespace busdesk {

namespace json = boost::json;

std::string base64Encode(std::string_view bytes) {
    static const char* table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                     (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                     static_cast<unsigned char>(bytes[i + 2]);
        out += table[(v >> 18) & 63];
        out += table[(v >> 12) & 63];
        out += table[(v >> 6) & 63];
        out += table[v & 63];
    }
    if (i < bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += table[(v >> 18) & 63];
        out += table[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? table[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

namespace {

std::string languageTagFromLocale(std::string name) {
    name = name.substr(0, name.find_first_of(".@"));
    if (name.empty() || name == "C" || name == "POSIX") return {};
    std::replace(name.begin(), name.end(), '-', '_');
    std::string language = name.substr(0, name.find('_'));
    std::string rest = name.size() > language.size() ? name.substr(language.size() + 1) : std::string();
    std::transform(language.begin(), language.end(), language.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (language == "zh") {
        std::string region = rest;
        std::transform(region.begin(), region.end(), region.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (region == "TW" || region == "HK" || region == "MO" || region == "HANT") return "zh-Hant";
        return "zh-Hans";
    }
    return language;
}

}  // namespace

std::vector<std::string> HTTPRequestSerializer::preferredLanguagesFromEnvironment(const char* language,
                                                                                  const char* lcAll,
                                                                                  const char* lcMessages,
                                                                                  const char* lang) {
    std::vector<std::string> candidates;
    auto nonEmpty = [](const char* s) { return s && *s; };
    if (nonEmpty(language)) {
        std::string list(language);
        size_t start = 0;
        while (start <= list.size()) {
            size_t colon = list.find(':', start);
            candidates.push_back(
                list.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
            if (colon == std::string::npos) break;
            start = colon + 1;
        }
    }
    // The locale in force comes after the explicit list, as gettext reads them.
    if (nonEmpty(lcAll)) {
        candidates.emplace_back(lcAll);
    } else if (nonEmpty(lcMessages)) {
        candidates.emplace_back(lcMessages);
    } else if (nonEmpty(lang)) {
        candidates.emplace_back(lang);
    }
    std::vector<std::string> languages;
    for (const auto& c : candidates) {
        std::string tag = languageTagFromLocale(c);
        if (!tag.empty() && std::find(languages.begin(), languages.end(), tag) == languages.end()) {
            languages.push_back(tag);
        }
    }
    if (languages.empty()) languages.push_back("en");
    return languages;
}

std::vector<std::string> HTTPRequestSerializer::preferredLanguages() {
    return preferredLanguagesFromEnvironment(std::getenv("LANGUAGE"), std::getenv("LC_ALL"),
                                             std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

std::string HTTPRequestSerializer::acceptLanguageHeaderValue(const std::vector<std::string>& languages) {
    std::string out;
    for (size_t i = 0; i < languages.size(); ++i) {
        float q = 1.0f - 0.1f * static_cast<float>(i);
        char weight[32];
        std::snprintf(weight, sizeof weight, "%0.1g", static_cast<double>(q));
        if (!out.empty()) out += ", ";
        out += languages[i] + ";q=" + weight;
        if (q <= 0.5f) break;
    }
    return out;
}

std::optional<std::string> HTTPRequestSerializer::defaultUserAgent() {
    struct utsname info {};
    std::string machine = "unknown", release = "unknown";
    if (uname(&info) == 0) {
        machine = info.machine;
        release = info.release;
    }
    char text[512];
    std::snprintf(text, sizeof text, "%s/%s (%s; iOS %s; Scale/%0.2f)", "BusDesk", BUSDESK_APP_VERSION,
                  machine.c_str(), release.c_str(), 1.0);
    std::string agent(text);
    bool ascii = std::all_of(agent.begin(), agent.end(), [](unsigned char c) { return c < 0x80; });
    if (!ascii) {
        if (auto latin = transliterateToASCII(agent)) agent = *latin;
    }
    return agent;
}

HTTPRequestSerializer::HTTPRequestSerializer() {
    // The device facts do not change while the process runs; work them out once.
    static const std::string acceptLanguage = acceptLanguageHeaderValue(preferredLanguages());
    static const std::optional<std::string> agent = defaultUserAgent();
    headers_["Accept-Language"] = acceptLanguage;
    if (agent) headers_["User-Agent"] = *agent;
}

std::shared_ptr<HTTPRequestSerializer> HTTPRequestSerializer::serializer() {
    return std::make_shared<HTTPRequestSerializer>();
}

void HTTPRequestSerializer::setValue(const std::optional<std::string>& value, const std::string& field) {
    if (!value) {
        headers_.erase(field);
        return;
    }
    auto it = headers_.find(field);
    if (it == headers_.end()) {
        headers_.emplace(field, *value);
    } else {
        it->second = *value;
    }
}

std::optional<std::string> HTTPRequestSerializer::valueForHTTPHeaderField(const std::string& field) const {
    auto it = headers_.find(field);
    if (it == headers_.end()) return std::nullopt;
    return it->second;
}

void HTTPRequestSerializer::setAuthorizationHeaderFieldWithUsername(const std::string& username,
                                                                    const std::string& password) {
    setValue("Basic " + base64Encode(username + ":" + password), "Authorization");
}

void HTTPRequestSerializer::setAuthorizationHeaderFieldWithToken(const std::string& token) {
    setValue("Token token=\"" + token + "\"", "Authorization");
}

void HTTPRequestSerializer::clearAuthorizationHeader() {
    headers_.erase("Authorization");
}

void HTTPRequestSerializer::setQueryStringSerializationWithStyle(int style) {
    style_ = style;
    custom_ = nullptr;
}

std::optional<URLRequest> HTTPRequestSerializer::requestWithMethod(
    const std::string& method, const std::string& URLString, const std::optional<json::value>& parameters,
    Error* error) const {
    if (!url::isValidAbsolute(URLString)) {
        if (error) *error = makeURLError(URLErrorCode::BadURL, "bad URL", URLString);
        return std::nullopt;
    }
    URLRequest request;
    request.URL = URLString;
    request.HTTPMethod = method;
    if (HTTPShouldHandleCookies) request.HTTPShouldHandleCookies = *HTTPShouldHandleCookies;
    if (timeoutInterval) request.timeoutInterval = *timeoutInterval;
    if (deadlineInterval) request.deadlineInterval = *deadlineInterval;
    return requestBySerializingRequest(request, parameters, error);
}

std::optional<URLRequest> HTTPRequestSerializer::requestBySerializingRequest(
    const URLRequest& request, const std::optional<json::value>& parameters, Error* error) const {
    URLRequest mutableRequest = request;
    for (const auto& [field, value] : headers_) {
        if (!mutableRequest.valueForHTTPHeaderField(field)) mutableRequest.setValue(value, field);
    }
    if (!parameters) return mutableRequest;

    std::string query;
    if (custom_) {
        std::optional<Error> serializationError;
        query = custom_(mutableRequest, *parameters, serializationError);
        if (serializationError) {
            if (error) *error = *serializationError;
            return std::nullopt;
        }
    } else if (style_ == static_cast<int>(HTTPRequestQueryStringSerializationStyle::Default)) {
        auto encoded = QueryStringFromParametersWithEncoding(*parameters, stringEncoding);
        if (!encoded) {
            if (error) {
                *error = Error(kRequestSerializationErrorDomain, URLErrorCode::CannotDecodeRawData,
                               "Parameters cannot be represented in the encoding " + stringEncoding);
            }
            return std::nullopt;
        }
        query = std::move(*encoded);
    }

    std::string method = mutableRequest.HTTPMethod;
    std::transform(method.begin(), method.end(), method.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (HTTPMethodsEncodingParametersInURI.count(method)) {
        mutableRequest.URL += (url::hasQuery(mutableRequest.URL) ? "&" : "?") + query;
    } else {
        if (!mutableRequest.valueForHTTPHeaderField("Content-Type")) {
            mutableRequest.setValue("application/x-www-form-urlencoded", "Content-Type");
        }
        auto body = encodeText(query, stringEncoding);
        mutableRequest.HTTPBody = body ? std::move(*body) : query;
        mutableRequest.HTTPBodyStream.reset();
    }
    return mutableRequest;
}

std::optional<URLRequest> HTTPRequestSerializer::multipartFormRequestWithMethod(
    const std::string& method, const std::string& URLString, const std::optional<json::value>& parameters,
    const std::function<void(StreamingMultipartFormData&)>& block, Error* error) const {
    if (method == "GET" || method == "HEAD") {
        if (error) {
            *error = Error(kRequestSerializationErrorDomain, URLErrorCode::BadURL,
                           "A multipart body cannot be sent with " + method);
        }
        return std::nullopt;
    }
    auto request = requestWithMethod(method, URLString, std::nullopt, error);
    if (!request) return std::nullopt;
    StreamingMultipartFormData formData(std::move(*request), stringEncoding);
    if (parameters) {
        for (const auto& pair : QueryStringPairsFromDictionary(*parameters)) {
            std::string data;
            if (pair.value().is_string()) {
                auto bytes = encodeText(pair.value().get_string(), stringEncoding);
                data = bytes ? *bytes : std::string(pair.value().get_string());
            } else if (!pair.value().is_null()) {
                data = descriptionOfJSONValue(pair.value());
            }
            formData.appendPartWithFormData(std::move(data), pair.field());
        }
    }
    if (block) block(formData);
    return formData.requestByFinalizingMultipartFormData();
}

}  // namespace busdesk
