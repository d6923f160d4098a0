#include "platform/ConfigFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/AtomicFile.h"
#include "platform/Charset.h"
#include "platform/OwnFiles.h"

namespace busdesk {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool isKeyCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.';
}

bool hasControlCharacter(std::string_view text) {
    for (unsigned char c : text)
        if ((c < 0x20 && c != '\t') || c == 0x7f) return true;
    return false;
}

struct Line {
    std::string_view text;   // without its line end
    std::string_view bytes;  // as it stands in the file, line end included
};

// The lines of the text; a final line end makes no empty last line. A rewrite copies `bytes`, so
// a line it keeps reads back exactly as it did (a stray "\r" stays where it was).
std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    while (!text.empty()) {
        auto end = text.find('\n');
        std::string_view bytes = text.substr(0, end == std::string_view::npos ? end : end + 1);
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back({line, bytes});
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

enum class LineKind { Skip, Entry, Bad };

struct ParsedLine {
    LineKind kind = LineKind::Skip;
    std::string_view key;
    std::string_view value;
    const char* problem = "";
};

ParsedLine parseLine(std::string_view raw) {
    ParsedLine p;
    std::string_view line = trimmed(raw);
    if (line.empty() || line.front() == '#' || line.front() == ';') return p;
    p.kind = LineKind::Bad;
    if (!Charset::isValidUTF8(line)) {
        p.problem = "not UTF-8 text";
        return p;
    }
    if (hasControlCharacter(line)) {
        p.problem = "holds a control character";
        return p;
    }
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) {
        p.problem = line.front() == '[' ? "sections are not used; write key=value lines only"
                                        : "not a key=value line";
        return p;
    }
    p.key = trimmed(line.substr(0, eq));
    p.value = trimmed(line.substr(eq + 1));
    if (p.key.empty()) {
        p.problem = "no key before \"=\"";
        return p;
    }
    for (char c : p.key) {
        if (!isKeyCharacter(c)) {
            p.problem = "a key is made of letters, digits, \"_\", \"-\" and \".\"";
            return p;
        }
    }
    p.kind = LineKind::Entry;
    return p;
}

enum class Loaded { Ok, Missing, Failed };

// The bytes of a regular file of at most ConfigFile::kMaxBytes, a leading byte order mark taken
// off (`hadMark` says so); `why` says what stopped it.
Loaded loadBounded(const std::string& path, std::string& out, std::string& why, bool* hadMark = nullptr) {
    FileContents file = readOwnFile(path, ConfigFile::kMaxBytes);
    if (file.status == FileContents::Status::Missing) return Loaded::Missing;
    if (!file.ok()) {
        why = file.problem(ConfigFile::kMaxBytes);
        return Loaded::Failed;
    }
    out = std::move(file.bytes);
    const bool marked = out.rfind(kByteOrderMark, 0) == 0;
    if (marked) out.erase(0, kByteOrderMark.size());
    if (hadMark) *hadMark = marked;
    return Loaded::Ok;
}

}  // namespace

ConfigFile::Content ConfigFile::read(const std::string& path) {
    Content content;
    std::string bytes, why;
    switch (loadBounded(path, bytes, why)) {
        case Loaded::Missing:
            return content;
        case Loaded::Failed:
            content.exists = true;
            content.problems.push_back(path + ": not read (" + why + ")");
            return content;
        case Loaded::Ok:
            content.exists = true;
            break;
    }
    int number = 0;
    for (const Line& line : splitLines(bytes)) {
        ++number;
        ParsedLine p = parseLine(line.text);
        if (p.kind == LineKind::Entry)
            content.entries.push_back({number, std::string(p.key), std::string(p.value)});
        else if (p.kind == LineKind::Bad)
            content.problems.push_back(path + ":" + std::to_string(number) + ": " + p.problem +
                                       "; line skipped");
    }
    return content;
}

bool ConfigFile::setValue(const std::string& path, const std::string& key,
                          const std::optional<std::string>& value, std::string* why) {
    std::string reason;
    auto fail = [&](std::string text) {
        if (why) *why = std::move(text);
        return false;
    };
    if (key.empty() || !std::all_of(key.begin(), key.end(), isKeyCharacter)) return fail("bad key");
    if (value && (hasControlCharacter(*value) || !Charset::isValidUTF8(*value)))
        return fail("the value holds a control character or is not UTF-8");
    const std::string target = atomic_file::linkTarget(path);
    std::string old;
    bool hadMark = false;
    if (loadBounded(target, old, reason, &hadMark) == Loaded::Failed) return fail(target + ": " + reason);

    // The mark goes back too: a second mark behind it must stay the first line's, not become the
    // file's own and turn a skipped line into a read one.
    std::string text(hadMark ? kByteOrderMark : std::string_view{});
    bool written = false;
    for (const Line& line : splitLines(old)) {
        ParsedLine p = parseLine(line.text);
        if (p.kind == LineKind::Entry && p.key == key) {
            if (value && !written) text += key + "=" + *value + "\n";
            written = true;
            continue;
        }
        text.append(line.bytes);
        if (line.bytes.empty() || line.bytes.back() != '\n') text += '\n';
    }
    if (value && !written) text += key + "=" + *value + "\n";
    if (int failure = atomic_file::replace(target, text); failure != 0)
        return fail(target + ": " + std::strerror(failure));
    return true;
}

}  // namespace busdesk
