#include "platform/views/ScreenDump.h"

#include "platform/ConsoleText.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"

namespace busdesk {

// Every line is made safe as a whole, so the parts a view writes outside quotes (addresses,
// bracketed button titles) cannot carry a terminal control sequence or a password either.
void DumpWriter::line(std::string text) {
    lines_.push_back(consoleSafe(text));
}

void DumpWriter::indented(std::string text) {
    lines_.push_back("  " + consoleSafe(text));
}

std::string DumpWriter::head(const std::string& kind, const View& v) {
    return v.identifier().empty() ? kind : kind + " #" + v.identifier();
}

std::string DumpWriter::quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return escapeControlCharacters(out) + "\"";
}

namespace {
void walk(const View& v, DumpWriter& out) {
    if (v.hidden() || v.alpha() <= 0) return;
    if (!v.dump(out)) return;
    for (auto& c : v.subviews()) walk(*c, out);
}
}  // namespace

std::vector<std::string> ScreenDump::lines(const View& root) {
    DumpWriter out;
    walk(root, out);
    return out.lines();
}

std::string ScreenDump::dump(Window& window, bool consumeToasts) {
    DumpWriter out;
    walk(window, out);
    auto toasts = consumeToasts ? window.takeToasts() : window.pendingToasts();
    for (auto& t : toasts) out.line("toast: " + DumpWriter::quote(t));
    std::string text;
    for (auto& l : out.lines()) text += l + "\n";
    return text;
}

}  // namespace busdesk
