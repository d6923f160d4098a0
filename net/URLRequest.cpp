#include "net/URLRequest.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>

#include <algorithm>
#include <cctype>

#include "net/URLError.h"

namespace busdesk {

namespace {
char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return std::string(s.substr(b, e - b));
}
}  // namespace

Error makeURLError(long code, const std::string& description, const std::string& failingURL) {
    Error e(kURLErrorDomain, code, description);
    if (!failingURL.empty()) {
        e.userInfo[kErrorFailingURLKey] = failingURL;
        e.userInfo["NSErrorFailingURLStringKey"] = failingURL;
    }
    return e;
}

bool CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return lower(x) < lower(y); });
}

std::optional<std::string> URLRequest::valueForHTTPHeaderField(std::string_view field) const {
    auto it = allHTTPHeaderFields.find(field);
    if (it == allHTTPHeaderFields.end()) return std::nullopt;
    return it->second;
}

void URLRequest::setValue(const std::optional<std::string>& value, const std::string& field) {
    if (!value) {
        allHTTPHeaderFields.erase(field);
        return;
    }
    auto it = allHTTPHeaderFields.find(field);
    if (it == allHTTPHeaderFields.end()) {
        allHTTPHeaderFields.emplace(field, *value);
    } else {
        it->second = *value;
    }
}

std::string HTTPURLResponse::MIMEType() const {
    auto it = allHeaderFields.find(std::string_view("Content-Type"));
    if (it == allHeaderFields.end()) return "application/octet-stream";
    std::string_view v = it->second;
    std::string type = trim(v.substr(0, v.find(';')));
    std::transform(type.begin(), type.end(), type.begin(), lower);
    return type.empty() ? "application/octet-stream" : type;
}

std::optional<std::string> HTTPURLResponse::textEncodingName() const {
    auto it = allHeaderFields.find(std::string_view("Content-Type"));
    if (it == allHeaderFields.end()) return std::nullopt;
    std::string_view v = it->second;
    size_t pos = v.find(';');
    while (pos != std::string_view::npos) {
        std::string_view rest = v.substr(pos + 1);
        size_t next = rest.find(';');
        std::string param = trim(rest.substr(0, next));
        size_t eq = param.find('=');
        if (eq != std::string::npos) {
            std::string key = trim(std::string_view(param).substr(0, eq));
            std::transform(key.begin(), key.end(), key.begin(), lower);
            if (key == "charset") {
                std::string value = trim(std::string_view(param).substr(eq + 1));
                if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
                    value = value.substr(1, value.size() - 2);
                }
                if (value.empty()) return std::nullopt;
                return value;
            }
        }
        pos = next == std::string_view::npos ? next : pos + 1 + next;
    }
    return std::nullopt;
}

std::string HTTPURLResponse::localizedStringForStatusCode(long statusCode) {
    struct Known {
        long code;
        const char* text;
    };
    static constexpr Known kKnown[] = {
        {100, "continue"},
        {101, "switching protocols"},
        {200, "no error"},
        {201, "created"},
        {202, "accepted"},
        {203, "non-authoritative information"},
        {204, "no content"},
        {205, "reset content"},
        {206, "partial content"},
        {300, "multiple choices"},
        {301, "moved permanently"},
        {302, "found"},
        {303, "see other"},
        {304, "not modified"},
        {305, "needs proxy"},
        {307, "temporarily redirected"},
        {308, "permanently redirected"},
        {400, "bad request"},
        {401, "unauthorized"},
        {402, "payment required"},
        {403, "forbidden"},
        {404, "not found"},
        {405, "method not allowed"},
        {406, "unacceptable"},
        {407, "proxy authentication required"},
        {408, "request timed out"},
        {409, "conflict"},
        {410, "no longer exists"},
        {411, "length required"},
        {412, "precondition failed"},
        {413, "request too large"},
        {414, "requested URL too long"},
        {415, "unsupported media type"},
        {416, "requested range not satisfiable"},
        {417, "expectation failed"},
        {429, "too many requests"},
        {500, "internal server error"},
        {501, "unimplemented"},
        {502, "bad gateway"},
        {503, "service unavailable"},
        {504, "gateway timed out"},
        {505, "unsupported version"},
    };
    for (const auto& k : kKnown)
        if (k.code == statusCode) return k.text;
    // Otherwise by class; anything outside 100-599 reads as a server error.
    static constexpr const char* kClasses[] = {"informational", "success", "redirected", "client error",
                                               "server error"};
    if (statusCode >= 100 && statusCode < 600) return kClasses[statusCode / 100 - 1];
    return "server error";
}

namespace url {

namespace {
bool isAlpha(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHex(char c) {
    return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
bool isURLChar(char c) {
    if (isAlpha(c) || isDigit(c)) return true;
    switch (c) {
        case '-':
        case '.':
        case '_':
        case '~':
        case ':':
        case '/':
        case '?':
        case '#':
        case '[':
        case ']':
        case '@':
        case '!':
        case '$':
        case '&':
        case '\'':
        case '(':
        case ')':
        case '*':
        case '+':
        case ',':
        case ';':
        case '=':
            return true;
        default:
            return false;
    }
}

bool charactersValid(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) return false;
            i += 2;
            continue;
        }
        if (!isURLChar(c)) return false;
    }
    return true;
}
}  // namespace

bool isValidAbsolute(std::string_view text) {
    if (text.empty() || !isAlpha(text[0])) return false;
    size_t i = 1;
    while (i < text.size() &&
           (isAlpha(text[i]) || isDigit(text[i]) || text[i] == '+' || text[i] == '-' || text[i] == '.')) {
        ++i;
    }
    if (i >= text.size() || text[i] != ':') return false;
    if (text.substr(i + 1, 2) != "//") return false;
    std::string_view rest = text.substr(i + 3);
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    size_t at = authority.rfind('@');
    std::string_view hostPort = at == std::string_view::npos ? authority : authority.substr(at + 1);
    std::string_view host = hostPort;
    if (!host.empty() && host[0] == '[') {
        size_t close = host.find(']');
        if (close == std::string_view::npos || close == 1) return false;
        std::string_view port = host.substr(close + 1);
        if (!port.empty() && port[0] != ':') return false;
    } else {
        host = hostPort.substr(0, hostPort.find(':'));
        std::string_view port = hostPort.substr(host.size());
        if (!port.empty()) {
            for (char c : port.substr(1)) {
                if (!isDigit(c)) return false;
            }
        }
    }
    if (host.empty()) return false;
    return charactersValid(text);
}

bool hasQuery(std::string_view text) {
    size_t q = text.find('?');
    if (q == std::string_view::npos) return false;
    size_t hash = text.find('#');
    return hash == std::string_view::npos || q < hash;
}

namespace {
bool isLoopbackHost(std::string host) {
    for (auto& c : host) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (host == "localhost" || host == "localhost.") return true;
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    in_addr v4{};
    if (::inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (::inet_pton(AF_INET6, host.c_str(), &v6) == 1) {
        if (IN6_IS_ADDR_LOOPBACK(&v6)) return true;
        return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
    }
    return false;
}
}  // namespace

bool sendsInTheClear(std::string_view address) {
    std::string text(address);
    CURLU* h = curl_url();
    if (!h) return true;
    std::optional<std::string> scheme, host;
    if (curl_url_set(h, CURLUPART_URL, text.c_str(), CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK) {
        char* part = nullptr;
        if (curl_url_get(h, CURLUPART_SCHEME, &part, 0) == CURLUE_OK && part) scheme = part;
        curl_free(part);
        part = nullptr;
        if (curl_url_get(h, CURLUPART_HOST, &part, 0) == CURLUE_OK && part) host = part;
        curl_free(part);
    }
    curl_url_cleanup(h);
    if (!scheme) {
        // Not even a URL curl understands: judged by how it begins.
        std::string lower = text.substr(0, 7);
        for (auto& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return lower == "http://";
    }
    for (auto& c : *scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (*scheme != "http") return false;
    return !host || !isLoopbackHost(*host);
}

std::optional<std::string> resolve(std::string_view relative, std::string_view base) {
    if (isValidAbsolute(relative)) return std::string(relative);
    if (!isValidAbsolute(base)) return std::nullopt;
    CURLU* h = curl_url();
    if (!h) return std::nullopt;
    std::optional<std::string> result;
    std::string baseText(base), relText(relative);
    if (curl_url_set(h, CURLUPART_URL, baseText.c_str(), 0) == CURLUE_OK &&
        curl_url_set(h, CURLUPART_URL, relText.c_str(), 0) == CURLUE_OK) {
        char* out = nullptr;
        if (curl_url_get(h, CURLUPART_URL, &out, 0) == CURLUE_OK && out) {
            result = std::string(out);
            curl_free(out);
        }
    }
    curl_url_cleanup(h);
    if (result && !isValidAbsolute(*result)) return std::nullopt;
    return result;
}

}  // namespace url

}  // namespace busdesk
