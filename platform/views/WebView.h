#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/views/View.h"

namespace busdesk {

// Holds what a web page shows: an HTML string with its base address, or a page address whose
// body is fetched through the installed loader. Rendering is the presenter's job; the text form
// (tags stripped) is what scripts see.
class WebView : public View {
  public:
    enum class LoadState { Empty, Loading, Loaded, Failed };
    // Fetches `url` and calls back once on the main thread with the body, or nothing on failure.
    using Loader = std::function<void(const std::string& url,
                                      std::function<void(std::optional<std::string> body)> done)>;

    WebView() = default;
    explicit WebView(Rect frame);
    ~WebView() override;

    void loadHTMLString(std::string html, std::string baseURL);
    // Without a loader installed the page stays Failed (a blank view, no message).
    void loadURL(std::string url);

    const std::string& html() const { return html_; }
    const std::string& baseURL() const { return baseURL_; }
    const std::string& url() const { return url_; }
    LoadState loadState() const { return state_; }
    bool scalesPageToFit() const { return scalesToFit_; }
    void setScalesPageToFit(bool s) { scalesToFit_ = s; }
    // Resolves a reference in the page against the base (or page) address.
    std::string resolve(const std::string& reference) const;
    // The shown text without markup, whitespace collapsed, entities decoded.
    std::string plainText() const;

    // Process-wide; the app installs one that goes through the HTTP client.
    static void setLoader(Loader loader);
    static const Loader& loader();

    bool dump(DumpWriter& out) const override;
    // Laid out again after the text size changed, the page's text is shown again at the new size.
    void layoutSubviews() override;

  protected:
    AccessibilityRole defaultAccessibilityRole() const override { return AccessibilityRole::Document; }

  private:
    std::string html_;
    std::string baseURL_;
    std::string url_;
    LoadState state_ = LoadState::Empty;
    bool scalesToFit_ = false;
    std::uint64_t loadGeneration_ = 0;
    std::uint64_t textSize_ = 0;  // TextSize::revision() when last laid out
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Markup to text: drops tags, script and style bodies, decodes the common entities and
// numeric references, collapses whitespace; <br>, <p> and <div> become line breaks.
std::string htmlToPlainText(const std::string& html);

}  // namespace busdesk
