#include "platform/views/WebView.h"

#include <cctype>
#include <string>
#include <vector>

#include "platform/Charset.h"
#include "platform/views/DumpWriter.h"
#include "platform/views/TextSize.h"

namespace busdesk {

namespace {
WebView::Loader& loaderSlot() {
    static WebView::Loader loader;
    return loader;
}

std::string lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Decodes the entity starting at html[i] == '&'; returns false (leaving it literal) when unknown.
bool decodeEntity(const std::string& html, std::size_t& i, std::string& out) {
    auto semi = html.find(';', i);
    if (semi == std::string::npos || semi - i > 10) return false;
    std::string name = html.substr(i + 1, semi - i - 1);
    if (name.empty()) return false;
    if (name[0] == '#') {
        try {
            std::size_t used = 0;
            unsigned long cp = (name.size() > 1 && (name[1] == 'x' || name[1] == 'X'))
                                   ? std::stoul(name.substr(2), &used, 16)
                                   : std::stoul(name.substr(1), &used, 10);
            // A reference to NUL or past Unicode stands for the replacement character.
            Charset::appendUTF8(
                out, cp == 0 || cp > 0x10FFFF ? Charset::kReplacementCharacter : static_cast<char32_t>(cp));
        } catch (...) {
            return false;
        }
    } else if (name == "amp") {
        out += '&';
    } else if (name == "lt") {
        out += '<';
    } else if (name == "gt") {
        out += '>';
    } else if (name == "quot") {
        out += '"';
    } else if (name == "apos") {
        out += '\'';
    } else if (name == "nbsp") {
        out += ' ';
    } else {
        return false;
    }
    i = semi + 1;
    return true;
}
}  // namespace

namespace {
// An open list: ordered ones count their items ("1. "), others mark them ("• ").
struct OpenList {
    bool ordered = false;
    long next = 1;
};

// The number an ordered list starts at (<ol start="3">), 1 without one.
long listStart(const std::string& tag) {
    auto at = tag.find("start");
    if (at == std::string::npos) return 1;
    at = tag.find_first_of("0123456789-", at);
    if (at == std::string::npos) return 1;
    try {
        return std::stol(tag.substr(at));
    } catch (...) {
        return 1;
    }
}
}  // namespace

std::string htmlToPlainText(const std::string& html) {
    std::string raw;
    std::vector<OpenList> lists;
    for (std::size_t i = 0; i < html.size();) {
        char c = html[i];
        if (c == '<') {
            auto end = html.find('>', i);
            if (end == std::string::npos) break;  // an unterminated tag hides the rest, as a browser does
            std::string tag = lower(html.substr(i + 1, end - i - 1));
            std::string name;
            for (char t : tag) {
                if (std::isalnum(static_cast<unsigned char>(t)) || t == '/' || t == '!')
                    name += t;
                else
                    break;
            }
            if (name == "script" || name == "style") {
                auto close = lower(html).find("</" + name, end);
                i = close == std::string::npos ? html.size() : html.find('>', close) + 1;
                if (i == 0) i = html.size();
                continue;
            }
            if (name.starts_with("!--")) {
                auto close = html.find("-->", i + 4);
                i = close == std::string::npos ? html.size() : close + 3;
                continue;
            }
            std::string bare = name.starts_with("/") ? name.substr(1) : name;
            if (name == "ol" || name == "ul") {
                lists.push_back({name == "ol", name == "ol" ? listStart(tag) : 1});
            } else if ((name == "/ol" || name == "/ul") && !lists.empty()) {
                lists.pop_back();
            } else if (name == "li") {
                // An item keeps its number or mark at the start of its line.
                raw += '\n';
                if (!lists.empty() && lists.back().ordered)
                    raw += std::to_string(lists.back().next++) + ". ";
                else
                    raw += "• ";
                i = end + 1;
                continue;
            }
            if (bare == "br" || bare == "p" || bare == "div" || bare == "li" || bare == "tr" ||
                (bare.size() == 2 && bare[0] == 'h' && std::isdigit(static_cast<unsigned char>(bare[1]))))
                raw += '\n';
            else
                raw += ' ';
            i = end + 1;
        } else if (c == '&') {
            if (!decodeEntity(html, i, raw)) {
                raw += '&';
                ++i;
            }
        } else {
            raw += c;
            ++i;
        }
    }
    // Collapse runs of blanks; keep single line breaks, trim each line.
    std::string out;
    bool pendingSpace = false, pendingBreak = false;
    for (char c : raw) {
        if (c == '\n') {
            if (!out.empty()) pendingBreak = true;
            pendingSpace = false;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            if (!out.empty() && !pendingBreak) pendingSpace = true;
        } else {
            if (pendingBreak)
                out += '\n';
            else if (pendingSpace)
                out += ' ';
            pendingBreak = pendingSpace = false;
            out += c;
        }
    }
    return out;
}

WebView::WebView(Rect frame) : View(frame) {}

WebView::~WebView() {
    *alive_ = false;
}

void WebView::loadHTMLString(std::string html, std::string baseURL) {
    ++loadGeneration_;
    html_ = std::move(html);
    baseURL_ = std::move(baseURL);
    url_.clear();
    state_ = LoadState::Loaded;
    notifyChanged(ViewChange::Content);
}

void WebView::loadURL(std::string url) {
    auto generation = ++loadGeneration_;
    url_ = std::move(url);
    html_.clear();
    baseURL_ = url_;
    if (!loaderSlot()) {
        state_ = LoadState::Failed;
        notifyChanged(ViewChange::Content);
        return;
    }
    state_ = LoadState::Loading;
    notifyChanged(ViewChange::Content);
    std::weak_ptr<bool> alive = alive_;
    loaderSlot()(url_, [this, alive, generation](std::optional<std::string> body) {
        // The view may be gone, or a newer load may have replaced this one.
        auto a = alive.lock();
        if (!a || !*a || generation != loadGeneration_) return;
        if (body) {
            html_ = std::move(*body);
            state_ = LoadState::Loaded;
        } else {
            state_ = LoadState::Failed;
        }
        notifyChanged(ViewChange::Content);
    });
}

std::string WebView::resolve(const std::string& reference) const {
    if (reference.find("://") != std::string::npos) return reference;
    const std::string& base = baseURL_;
    if (base.empty()) return reference;
    auto scheme = base.find("://");
    if (reference.starts_with("//"))
        return (scheme == std::string::npos ? std::string("http:") : base.substr(0, scheme + 1)) + reference;
    if (reference.starts_with("/")) {
        if (scheme == std::string::npos) return reference;
        auto hostEnd = base.find('/', scheme + 3);
        return base.substr(0, hostEnd) + reference;
    }
    auto cut = base.find_first_of("?#");
    std::string path = base.substr(0, cut);
    auto slash = path.rfind('/');
    if (slash == std::string::npos || (scheme != std::string::npos && slash < scheme + 3))
        return path + "/" + reference;
    return path.substr(0, slash + 1) + reference;
}

std::string WebView::plainText() const {
    return htmlToPlainText(html_);
}

void WebView::setLoader(Loader loader) {
    loaderSlot() = std::move(loader);
}

const WebView::Loader& WebView::loader() {
    return loaderSlot();
}

void WebView::layoutSubviews() {
    if (textSize_ == TextSize::revision()) return;
    textSize_ = TextSize::revision();
    notifyChanged(ViewChange::Text);
}

bool WebView::dump(DumpWriter& out) const {
    std::string line = DumpWriter::head("web", *this) + ":";
    switch (state_) {
        case LoadState::Empty:
            line += " empty";
            break;
        case LoadState::Loading:
            line += " loading " + url_;
            break;
        case LoadState::Failed:
            line += " failed " + url_;
            break;
        case LoadState::Loaded: {
            std::string text = plainText();
            // Keep the dump short: the first 200 bytes, cut on a character boundary.
            if (text.size() > 200) {
                std::size_t cut = 200;
                while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
                text = text.substr(0, cut) + "…";
            }
            line += " " + DumpWriter::quote(text);
            break;
        }
    }
    out.line(line);
    return false;
}

}  // namespace busdesk
