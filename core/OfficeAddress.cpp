#include "core/OfficeAddress.h"

#include <cstdlib>
#include <map>
#include <mutex>

#include "core/PublicMethod.h"
#include "platform/ConfigFile.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/Translation.h"

#if !defined(BUSDESK_OFFICE_BASE_URL) || !defined(BUSDESK_CULTURE_BASE_URL)
#error "the built-in addresses are set by the build (CMakeLists.txt)"
#endif

namespace busdesk {

namespace {

constexpr const char* kServerKey = "server";
constexpr const char* kCultureKey = "culture";

struct ProblemText {
    const char* english;
    const char* chinese;
};

const std::map<OfficeAddress::Problem, ProblemText>& problemTexts() {
    using P = OfficeAddress::Problem;
    static const std::map<P, ProblemText> texts{
        {P::None, {"", ""}},
        {P::NotHttp, {"not an http:// or https:// address", N_("须以 http:// 或 https:// 开头")}},
        {P::NoHost, {"no host name after the scheme", N_("缺少主机名")}},
        {P::BadHost, {"the host name holds characters a host name cannot have", N_("主机名含有无效字符")}},
        {P::BadPort, {"the port is not a number from 1 to 65535", N_("端口须为 1 到 65535 之间的数字")}},
        {P::UserInfo,
         {"a user name or password does not belong in the address", N_("地址中不能包含用户名或密码")}},
        {P::QueryOrFragment,
         {"\"?\" and \"#\" have no place in a base address", N_("地址中不能包含“?”或“#”")}},
        {P::BadCharacter,
         {"white space, a control character or a non-ASCII character",
          N_("地址中含有空格、控制字符或非 ASCII 字符")}},
    };
    return texts;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

bool isHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
}

bool isIPv6Character(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' || c == '.';
}

OfficeAddress::Problem checkHost(std::string_view host) {
    using P = OfficeAddress::Problem;
    if (host.empty()) return P::NoHost;
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']') return P::BadHost;
        for (char c : host.substr(1, host.size() - 2))
            if (!isIPv6Character(c)) return P::BadHost;
        return P::None;
    }
    if (host.front() == '.' || host.front() == '-') return P::BadHost;
    for (char c : host)
        if (!isHostCharacter(c)) return P::BadHost;
    return P::None;
}

OfficeAddress::Problem checkPort(std::string_view port) {
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string_view::npos)
        return OfficeAddress::Problem::BadPort;
    const int value = std::atoi(std::string(port).c_str());
    return value >= 1 && value <= 65535 ? OfficeAddress::Problem::None : OfficeAddress::Problem::BadPort;
}

// What one file says, with its lines' problems.
struct FileAddresses {
    std::optional<std::string> server;
    std::optional<std::string> culture;
};

FileAddresses readFile(const std::string& path, std::vector<std::string>& problems) {
    FileAddresses found;
    auto content = ConfigFile::read(path);
    problems.insert(problems.end(), content.problems.begin(), content.problems.end());
    const std::map<std::string, std::optional<std::string> FileAddresses::*> keys{
        {kServerKey, &FileAddresses::server},
        {kCultureKey, &FileAddresses::culture},
    };
    for (const auto& entry : content.entries) {
        const std::string where = path + ":" + std::to_string(entry.line) + ": ";
        auto key = keys.find(entry.key);
        if (key == keys.end()) {
            problems.push_back(where + "unknown key \"" + entry.key +
                               "\" (known: server, culture); line skipped");
            continue;
        }
        auto checked = OfficeAddress::check(entry.value);
        if (!checked.url) {
            problems.push_back(where + entry.key + ": " + OfficeAddress::describe(checked.problem) +
                               "; line skipped");
            continue;
        }
        found.*(key->second) = checked.url;  // a later line of the same key wins
    }
    return found;
}

struct Applied {
    std::mutex mutex;
    OfficeAddress::Sources sources;
    OfficeAddresses addresses{
        OfficeAddress::builtInOffice(), AddressSource::BuiltIn, "", OfficeAddress::builtInCulture(), {}};
};

Applied& applied() {
    static Applied a;
    return a;
}

}  // namespace

std::string OfficeAddress::builtInOffice() {
    return BUSDESK_OFFICE_BASE_URL;
}

std::string OfficeAddress::builtInCulture() {
    return BUSDESK_CULTURE_BASE_URL;
}

OfficeAddress::Checked OfficeAddress::check(std::string_view text, bool allowUserInfo) {
    auto refused = [](Problem p) { return Checked{std::nullopt, p}; };
    for (unsigned char c : text)
        if (c <= 0x20 || c >= 0x7f) return refused(Problem::BadCharacter);
    std::string_view scheme;
    if (startsWithNoCase(text, "http://"))
        scheme = "http://";
    else if (startsWithNoCase(text, "https://"))
        scheme = "https://";
    else
        return refused(Problem::NotHttp);
    std::string_view rest = text.substr(scheme.size());
    if (rest.find_first_of("?#") != std::string_view::npos) return refused(Problem::QueryOrFragment);
    const auto slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    if (auto at = authority.rfind('@'); at != std::string_view::npos) {
        if (!allowUserInfo) return refused(Problem::UserInfo);
        authority.remove_prefix(at + 1);
    }
    std::string_view host = authority;
    const auto closing = authority.rfind(']');
    const auto colon = authority.rfind(':');
    if (colon != std::string_view::npos && (closing == std::string_view::npos || colon > closing)) {
        if (Problem p = checkPort(authority.substr(colon + 1)); p != Problem::None) return refused(p);
        host = authority.substr(0, colon);
    }
    if (Problem p = checkHost(host); p != Problem::None) return refused(p);
    std::string url(scheme);
    url += rest;
    if (url.back() != '/') url += '/';
    return {url, Problem::None};
}

std::string OfficeAddress::describe(Problem problem) {
    return problemTexts().at(problem).english;
}

std::string OfficeAddress::describeChinese(Problem problem) {
    return tr(problemTexts().at(problem).chinese);
}

OfficeAddress::Sources OfficeAddress::sourcesFor(std::optional<std::string> server,
                                                 std::optional<std::string> culture) {
    Sources sources{std::move(server), std::move(culture), Paths::configDir() + "/busdesk.conf", {}};
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    std::string list = dirs && *dirs ? dirs : "/etc/xdg";
    std::size_t at = 0;
    while (at <= list.size()) {
        auto end = list.find(':', at);
        if (end == std::string::npos) end = list.size();
        std::string dir = list.substr(at, end - at);
        // Relative entries are not valid in the list; they are ignored, as the XDG rules say.
        if (!dir.empty() && dir.front() == '/') sources.systemFiles.push_back(dir + "/busdesk/busdesk.conf");
        at = end + 1;
    }
    return sources;
}

OfficeAddresses OfficeAddress::resolve(const Sources& sources) {
    OfficeAddresses result;
    bool haveOffice = false, haveCulture = false;
    // One source's say: the office address from its server, the culture base from its culture or
    // else its server.
    auto consider = [&](AddressSource source, const std::string& file,
                        const std::optional<std::string>& server, const std::optional<std::string>& culture) {
        if (!haveOffice && server) {
            result.office = *server;
            result.officeSource = source;
            result.officeFile = file;
            haveOffice = true;
        }
        if (!haveCulture && (culture || server)) {
            result.culture = culture ? *culture : *server;
            haveCulture = true;
        }
    };
    consider(AddressSource::CommandLine, "", sources.server, sources.culture);
    auto user = readFile(sources.userFile, result.problems);
    consider(AddressSource::UserFile, sources.userFile, user.server, user.culture);
    for (const auto& path : sources.systemFiles) {
        auto system = readFile(path, result.problems);
        consider(AddressSource::SystemFile, path, system.server, system.culture);
    }
    consider(AddressSource::BuiltIn, "", builtInOffice(), builtInCulture());
    return result;
}

OfficeAddresses OfficeAddress::apply(Sources sources) {
    OfficeAddresses result = resolve(sources);
    PublicMethod::setOfficeBaseURL(result.office);
    PublicMethod::setCultureBaseURL(result.culture);
    for (const auto& problem : result.problems) Log::line("busdesk.conf: " + problem);
    std::lock_guard lock(applied().mutex);
    applied().sources = std::move(sources);
    applied().addresses = result;
    return result;
}

OfficeAddresses OfficeAddress::current() {
    std::lock_guard lock(applied().mutex);
    return applied().addresses;
}

OfficeAddress::Saved OfficeAddress::saveUserServer(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    const auto last = text.find_last_not_of(" \t\r\n");
    text = first == std::string_view::npos ? std::string_view{} : text.substr(first, last - first + 1);
    std::optional<std::string> url;
    if (!text.empty()) {
        auto checked = check(text);
        if (!checked.url) return {false, trFormat("服务器地址无效：%1", {describeChinese(checked.problem)})};
        url = checked.url;
    }
    Sources sources;
    {
        std::lock_guard lock(applied().mutex);
        sources = applied().sources;
    }
    // The profile may have changed since the last apply (tests, a new --profile): the user's file
    // is always the one of the profile in use now.
    sources.userFile = Paths::configDir() + "/busdesk.conf";
    std::string why;
    if (!ConfigFile::setValue(sources.userFile, kServerKey, url, &why)) {
        Log::line("busdesk.conf: cannot save the office address: " + why);
        return {false, trFormat("无法保存：%1", {why})};
    }
    auto now = apply(std::move(sources));
    std::string message = url ? tr("已保存") : tr("已清除个人设置的地址");
    if (now.officeSource == AddressSource::CommandLine)
        message += tr("（本次运行仍使用命令行 --server 指定的地址）");
    return {true, message};
}

std::string OfficeAddress::sourceText(const OfficeAddresses& addresses) {
    switch (addresses.officeSource) {
        case AddressSource::CommandLine:
            return tr("命令行 --server");
        case AddressSource::UserFile:
            return trFormat("个人设置 %1", {addresses.officeFile});
        case AddressSource::SystemFile:
            return trFormat("系统设置 %1", {addresses.officeFile});
        case AddressSource::BuiltIn:
            break;
    }
    return tr("内置默认");
}

}  // namespace busdesk
