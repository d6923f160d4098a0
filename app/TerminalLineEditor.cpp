#include "app/TerminalLineEditor.h"

#include <histedit.h>
#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstring>

namespace busdesk {

struct TerminalLineEditor::Editor {
    EditLine* el = nullptr;
    History* history = nullptr;
    Completer completer;
    CommandHistory file;
    std::string prompt;
    std::string lastRemembered;

    Editor(Completer c, CommandHistory h) : completer(std::move(c)), file(std::move(h)) {}
    ~Editor() {
        if (el) el_end(el);
        if (history) history_end(history);
    }
};

namespace {
constexpr int kRecallSize = static_cast<int>(CommandHistory::kDefaultLimit);

TerminalLineEditor::Editor* editorOf(EditLine* el) {
    void* data = nullptr;
    el_get(el, EL_CLIENTDATA, &data);
    return static_cast<TerminalLineEditor::Editor*>(data);
}

char* promptOf(EditLine* el) {
    auto* editor = editorOf(el);
    return editor ? editor->prompt.data() : const_cast<char*>("");
}

// The last word being typed: after the last blank before the cursor.
std::string wordOf(const std::string& typed) {
    auto cut = typed.find_last_of(" \t");
    return cut == std::string::npos ? typed : typed.substr(cut + 1);
}

unsigned char complete(EditLine* el, int) {
    auto* editor = editorOf(el);
    const LineInfo* info = el_line(el);
    if (!editor || !info || !editor->completer) return CC_REFRESH_BEEP;
    std::string typed(info->buffer, static_cast<std::size_t>(info->cursor - info->buffer));
    auto candidates = editor->completer(typed);
    if (candidates.empty()) return CC_REFRESH_BEEP;
    std::string more = TerminalLineEditor::insertion(typed, candidates);
    if (!more.empty()) {
        el_insertstr(el, more.c_str());
        return CC_REFRESH;
    }
    // Several ways on and none shared: show them under the line, then the line again.
    std::string list = "\n";
    for (const auto& c : candidates) list += c + "  ";
    list += "\n";
    std::fputs(list.c_str(), stdout);
    std::fflush(stdout);
    return CC_REDISPLAY;
}

// Multibyte input (Chinese texts) needs a UTF-8 character type; the terminal's own when it is one.
void useUtf8CharacterType() {
    if (std::setlocale(LC_CTYPE, "") && std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0) return;
    std::setlocale(LC_CTYPE, "C.UTF-8");
}
}  // namespace

std::string TerminalLineEditor::insertion(const std::string& typed,
                                          const std::vector<std::string>& candidates) {
    if (candidates.empty()) return {};
    const std::string word = wordOf(typed);
    if (candidates.size() == 1) {
        const auto& only = candidates.front();
        return only.size() >= word.size() ? only.substr(word.size()) + " " : std::string();
    }
    std::string common = candidates.front();
    for (const auto& c : candidates) {
        std::size_t n = 0;
        while (n < common.size() && n < c.size() && common[n] == c[n]) ++n;
        common.resize(n);
    }
    // Never half a character: an unfinished UTF-8 sequence at the end is left out.
    auto byte = [&common](std::size_t i) { return static_cast<unsigned char>(common[i]); };
    std::size_t lead = common.size();
    while (lead > 0 && (byte(lead - 1) & 0xC0) == 0x80) --lead;
    if (lead > 0) {
        const unsigned char b = byte(lead - 1);
        const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        if (common.size() - (lead - 1) < length) common.resize(lead - 1);
    }
    return common.size() > word.size() ? common.substr(word.size()) : std::string();
}

TerminalLineEditor::TerminalLineEditor(Completer completer, CommandHistory historyFile)
    : editor_(std::make_unique<Editor>(std::move(completer), std::move(historyFile))) {}

TerminalLineEditor::~TerminalLineEditor() = default;

std::unique_ptr<TerminalLineEditor> TerminalLineEditor::open(Completer completer,
                                                             CommandHistory historyFile) {
    if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO)) return nullptr;
    useUtf8CharacterType();
    std::unique_ptr<TerminalLineEditor> editor(
        new TerminalLineEditor(std::move(completer), std::move(historyFile)));
    Editor& e = *editor->editor_;
    e.history = history_init();
    e.el = el_init("busdesk", stdin, stdout, stderr);
    if (!e.history || !e.el) return nullptr;
    HistEvent ev;
    history(e.history, &ev, H_SETSIZE, kRecallSize);
    history(e.history, &ev, H_SETUNIQUE, 1);
    for (const auto& line : e.file.load()) history(e.history, &ev, H_ENTER, line.c_str());

    el_set(e.el, EL_CLIENTDATA, &e);
    el_set(e.el, EL_EDITOR, "emacs");
    el_set(e.el, EL_SIGNAL, 1);
    el_set(e.el, EL_PROMPT, promptOf);
    el_set(e.el, EL_HIST, history, e.history);
    // The wide form with strings that live for the program: the narrow form copies both names and
    // libedit never frees the copies.
    el_wset(e.el, EL_ADDFN, L"busdesk-complete", L"Complete a command or an identifier", complete);
    // Spelled out rather than left to the defaults: the keys the help promises, whatever the
    // terminal description says.
    static const char* const kBindings[][2] = {
        {"^I", "busdesk-complete"},   {"^A", "ed-move-to-beg"},      {"^E", "ed-move-to-end"},
        {"^K", "ed-kill-line"},       {"^W", "ed-delete-prev-word"}, {"^L", "ed-clear-screen"},
        {"\\e[A", "ed-prev-history"}, {"\\e[B", "ed-next-history"},  {"\\e[C", "ed-next-char"},
        {"\\e[D", "ed-prev-char"},    {"\\eOA", "ed-prev-history"},  {"\\eOB", "ed-next-history"},
        {"\\eOC", "ed-next-char"},    {"\\eOD", "ed-prev-char"},     {"\\e[H", "ed-move-to-beg"},
        {"\\e[F", "ed-move-to-end"},
    };
    for (const auto& b : kBindings) el_set(e.el, EL_BIND, b[0], b[1], static_cast<const char*>(nullptr));
    return editor;
}

std::optional<std::string> TerminalLineEditor::readLine(const std::string& prompt) {
    std::fflush(stdout);
    editor_->prompt = prompt;
    int count = 0;
    const char* line = el_gets(editor_->el, &count);
    if (!line || count <= 0) return std::nullopt;
    std::string text(line, static_cast<std::size_t>(count));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

void TerminalLineEditor::remember(const std::string& typed) {
    // A completion leaves a blank behind the word; the recalled line need not keep it.
    std::string line = typed.substr(0, typed.find_last_not_of(" \t") + 1);
    if (line.empty() || line == editor_->lastRemembered) return;
    editor_->lastRemembered = line;
    HistEvent ev;
    history(editor_->history, &ev, H_ENTER, line.c_str());
    editor_->file.append(line);
}

}  // namespace busdesk
