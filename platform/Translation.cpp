#include "platform/Translation.h"

#include <unicode/locid.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

#ifndef BUSDESK_INSTALL_LOCALEDIR
#define BUSDESK_INSTALL_LOCALEDIR "/usr/share/locale"
#endif

namespace busdesk {

namespace {

// One language's messages, read once and never changed or freed: tr() hands out pointers into it.
struct Catalogue {
    std::string language;
    std::unordered_map<std::string, std::string> messages;
};

// A catalogue larger than this is not ours.
constexpr std::size_t kMaxCatalogueBytes = 8U << 20U;

// Reads a GNU .mo file: a header of 32-bit words (magic, revision, count, offsets of the tables of
// originals and of translations), each table a (length, offset) pair per message, every string
// followed by a NUL. Either byte order. Anything out of bounds makes the whole file unusable.
std::optional<Catalogue> readMo(const std::string& language, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes;
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    if (bytes.size() < 28 || bytes.size() > kMaxCatalogueBytes) return std::nullopt;
    auto word = [&](std::size_t at, bool swap) -> std::optional<std::uint32_t> {
        if (at > bytes.size() - 4) return std::nullopt;
        std::uint32_t v = 0;
        std::memcpy(&v, bytes.data() + at, 4);
        return swap ? __builtin_bswap32(v) : v;
    };
    const std::uint32_t magic = *word(0, false);
    bool swap = false;
    if (magic == 0xde120495U)
        swap = true;
    else if (magic != 0x950412deU)
        return std::nullopt;
    auto count = word(8, swap), originals = word(12, swap), translations = word(16, swap);
    if (!count || !originals || !translations) return std::nullopt;
    auto string = [&](std::uint32_t table, std::uint32_t i) -> std::optional<std::string_view> {
        const std::uint64_t entry = std::uint64_t{table} + std::uint64_t{i} * 8;
        if (entry > bytes.size()) return std::nullopt;
        auto length = word(static_cast<std::size_t>(entry), swap);
        auto offset = word(static_cast<std::size_t>(entry) + 4, swap);
        if (!length || !offset) return std::nullopt;
        if (std::uint64_t{*offset} + *length >= bytes.size() || bytes[*offset + *length] != '\0')
            return std::nullopt;
        return std::string_view(bytes).substr(*offset, *length);
    };
    Catalogue catalogue{language, {}};
    for (std::uint32_t i = 0; i < *count; ++i) {
        auto original = string(*originals, i);
        auto translation = string(*translations, i);
        if (!original || !translation) return std::nullopt;
        // A plural entry holds its forms one after another, NUL-separated: the first form serves.
        std::string_view key = original->substr(0, original->find('\0'));
        std::string_view text = translation->substr(0, translation->find('\0'));
        if (key.empty() || text.empty()) continue;  // the header, or an untranslated message
        catalogue.messages.emplace(key, text);
    }
    return catalogue;
}

std::mutex& catalogueMutex() {
    static std::mutex m;
    return m;
}

// Every catalogue ever read, by language: kept for the life of the process.
std::map<std::string, std::unique_ptr<const Catalogue>>& loaded() {
    static std::map<std::string, std::unique_ptr<const Catalogue>> all;
    return all;
}

std::atomic<const Catalogue*>& current() {
    static std::atomic<const Catalogue*> c{nullptr};
    return c;
}

// The language the environment's locale speaks (what ICU's default locale was made from).
std::string environmentLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(name);
        if (v && *v) return translation::spokenLanguage(v).value_or("");
    }
    return translation::kSourceLanguage;
}

// ICU's default locale as the environment made it, kept the first time it is changed.
std::optional<icu::Locale>& environmentLocale() {
    static std::optional<icu::Locale> locale;
    return locale;
}

void followInFormats(const std::string& language) {
    auto& original = environmentLocale();
    UErrorCode status = U_ZERO_ERROR;
    if (environmentLanguage() == language) {
        if (original) icu::Locale::setDefault(*original, status);
        return;
    }
    if (!original) original = icu::Locale::getDefault();
    icu::Locale::setDefault(icu::Locale(language == "en" ? "en_US" : language.c_str()), status);
}

}  // namespace

const char* tr(const char* source) {
    const Catalogue* c = current().load(std::memory_order_acquire);
    if (!c || !source) return source ? source : "";
    auto it = c->messages.find(source);
    return it == c->messages.end() ? source : it->second.c_str();
}

std::string tr(const std::string& source) {
    return tr(source.c_str());
}

std::string trFormat(const char* source, std::initializer_list<std::string_view> values) {
    const std::string_view text = tr(source);
    std::string out;
    out.reserve(text.size() + 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '%' && next >= '1' && next <= '9') {
            const auto at = static_cast<std::size_t>(next - '1');
            if (at < values.size()) out += *(values.begin() + at);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

namespace translation {

std::optional<std::string> spokenLanguage(std::string_view name) {
    std::string_view base = name.substr(0, name.find_first_of(".@"));
    if (base == "C" || base == "POSIX" || base.substr(0, 2) == "zh") return std::string(kSourceLanguage);
    if (base.substr(0, 2) == "en" && (base.size() == 2 || base[2] == '_')) return std::string("en");
    return std::nullopt;
}

std::string chooseLanguage(const std::optional<std::string>& commandLine, std::string_view setting,
                           const std::function<const char*(const char*)>& environment) {
    if (commandLine)
        if (auto spoken = spokenLanguage(*commandLine)) return *spoken;
    if (auto spoken = spokenLanguage(setting); !setting.empty() && spoken) return *spoken;
    if (const char* list = environment("LANGUAGE")) {
        std::string_view rest = list;
        while (!rest.empty()) {
            std::string_view one = rest.substr(0, rest.find(':'));
            rest.remove_prefix(std::min(rest.size(), one.size() + 1));
            // "C" in LANGUAGE names no language; the locale variables below decide.
            if (one.empty() || one == "C" || one == "POSIX") continue;
            if (auto spoken = spokenLanguage(one)) return *spoken;
        }
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = environment(name);
        if (v && *v) return spokenLanguage(v).value_or(kSourceLanguage);
    }
    return kSourceLanguage;
}

bool useCatalogue(const std::string& language, const std::string& moFile) {
    std::lock_guard lock(catalogueMutex());
    auto& all = loaded();
    auto it = all.find(moFile);
    if (it == all.end()) {
        auto read = readMo(language, moFile);
        if (!read) return false;
        it = all.emplace(moFile, std::make_unique<const Catalogue>(std::move(*read))).first;
    }
    current().store(it->second.get(), std::memory_order_release);
    return true;
}

std::vector<std::string> localeFolders() {
    std::vector<std::string> folders;
    char exe[4096];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
        std::string dir(exe, static_cast<std::size_t>(n));
        dir = dir.substr(0, dir.rfind('/'));
        folders.push_back(dir + "/../locale");
        folders.push_back(dir + "/../share/locale");
    }
    folders.emplace_back(BUSDESK_INSTALL_LOCALEDIR);
    return folders;
}

bool useLanguage(const std::string& language) {
    if (language == kSourceLanguage) {
        current().store(nullptr, std::memory_order_release);
        followInFormats(language);
        return true;
    }
    for (const auto& folder : localeFolders()) {
        const std::string file = folder + "/" + language + "/LC_MESSAGES/busdesk.mo";
        if (::access(file.c_str(), R_OK) != 0) continue;
        if (!useCatalogue(language, file)) continue;  // not a catalogue we can read
        followInFormats(language);
        return true;
    }
    current().store(nullptr, std::memory_order_release);
    return false;
}

std::string currentLanguage() {
    const Catalogue* c = current().load(std::memory_order_acquire);
    return c ? c->language : std::string(kSourceLanguage);
}

}  // namespace translation

}  // namespace busdesk
