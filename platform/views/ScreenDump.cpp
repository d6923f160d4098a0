#include "platform/views/ScreenDump.h"

#include "platform/views/View.h"
#include "platform/views/Window.h"

namespace busdesk {

namespace {
void walk(const View& v, DumpWriter& out) {
    if (v.hidden() || v.alpha() <= 0) return;
    if (!v.dump(out)) return;
    for (auto& c : v.subviews())
        if (!v.hidesSubview(*c)) walk(*c, out);
}
}  // namespace

std::vector<std::string> ScreenDump::lines(const View& root) {
    DumpWriter out;
    walk(root, out);
    return out.lines();
}

std::string ScreenDump::dump(Window& window, bool consumeToasts) {
    window.fitTexts();
    DumpWriter out;
    walk(window, out);
    // Where the keys act, while someone works from the keyboard.
    if (View* focused = window.focusedView(); focused && window.keyboardInUse() && focused->isReachable()) {
        const std::string name = focused->identifier().empty() ? DumpWriter::quote(focused->accessibleName())
                                                               : "#" + focused->identifier();
        out.line("focus: " + name);
    }
    auto toasts = consumeToasts ? window.takeToasts() : window.pendingToasts();
    for (auto& t : toasts) out.line("toast: " + DumpWriter::quote(t));
    std::string text;
    for (auto& l : out.lines()) text += l + "\n";
    return text;
}

}  // namespace busdesk
