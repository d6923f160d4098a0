#include "platform/views/ScreenDump.h"

#include "platform/views/View.h"
#include "platform/views/Window.h"

namespace busdesk {

void DumpWriter::line(std::string text) {
    lines_.push_back(std::move(text));
}

void DumpWriter::indented(std::string text) {
    lines_.push_back("  " + text);
}

std::string DumpWriter::head(const std::string& kind, const View& v) {
    return v.identifier().empty() ? kind : kind + " #" + v.identifier();
}

std::string DumpWriter::quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += c;
        }
    }
    return out + "\"";
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
