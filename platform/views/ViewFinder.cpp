#include "platform/views/ViewFinder.h"

#include <charconv>

#include "platform/views/View.h"

namespace busdesk {

namespace {
void collect(View& v, std::vector<View*>& out) {
    if (v.hidden() || v.alpha() <= 0) return;
    out.push_back(&v);
    for (auto& c : v.subviews())
        if (!v.hidesSubview(*c)) collect(*c, out);
}
}  // namespace

std::vector<View*> ViewFinder::visibleViews(View& root) {
    std::vector<View*> out;
    collect(root, out);
    return out;
}

std::vector<View*> ViewFinder::withIdentifier(View& root, const std::string& identifier) {
    std::vector<View*> out;
    for (auto* v : visibleViews(root))
        if (v->identifier() == identifier) out.push_back(v);
    return out;
}

std::optional<std::pair<std::string, int>> ViewFinder::parseIdSelector(const std::string& selector) {
    if (selector.size() < 2 || selector[0] != '#') return std::nullopt;
    std::string body = selector.substr(1);
    int n = 1;
    if (auto at = body.rfind('@'); at != std::string::npos && at + 1 < body.size()) {
        int parsed = 0;
        auto tail = body.substr(at + 1);
        auto [ptr, ec] = std::from_chars(tail.data(), tail.data() + tail.size(), parsed);
        if (ec == std::errc() && ptr == tail.data() + tail.size() && parsed >= 1) {
            n = parsed;
            body = body.substr(0, at);
        }
    }
    if (body.empty()) return std::nullopt;
    return std::make_pair(body, n);
}

View* ViewFinder::find(View& root, const std::string& selector) {
    if (auto id = parseIdSelector(selector)) {
        auto hits = withIdentifier(root, id->first);
        if (id->second <= static_cast<int>(hits.size()))
            return hits[static_cast<std::size_t>(id->second - 1)];
        return nullptr;
    }
    // Text: the topmost exact match, else the topmost view containing the text. Topmost, because
    // what lies on top (an open menu, a sheet) is what a finger would reach.
    View* partial = nullptr;
    auto views = visibleViews(root);
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        for (auto& t : (*it)->selectableTexts()) {
            if (t == selector) return *it;
            if (!partial && !selector.empty() && t.find(selector) != std::string::npos) partial = *it;
        }
    }
    return partial;
}

View* ViewFinder::first(View& root, const std::function<bool(View&)>& pred) {
    for (auto* v : visibleViews(root))
        if (pred(*v)) return v;
    return nullptr;
}

View* ViewFinder::last(View& root, const std::function<bool(View&)>& pred) {
    auto views = visibleViews(root);
    for (auto it = views.rbegin(); it != views.rend(); ++it)
        if (pred(**it)) return *it;
    return nullptr;
}

}  // namespace busdesk
