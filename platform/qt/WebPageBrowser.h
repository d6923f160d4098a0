#pragma once

#include <QTextBrowser>
#include <QUrl>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace busdesk::qt {

// Shows a page's HTML. Pictures and style sheets the page refers to are fetched through the
// toolkit's page loader (the app points it at the HTTP client), never through Qt's own network
// code: QTextBrowser asks synchronously, so the first ask answers "nothing yet" and starts the
// fetch; when the bytes arrive they are added to the document and the layout is redone.
class WebPageBrowser : public QTextBrowser {
  public:
    explicit WebPageBrowser(QWidget* parent);
    ~WebPageBrowser() override;

    // The page's text (what its HTML leaves unstyled) at the text size in force.
    static constexpr double kPageTextSize = 15;
    void showPage(const std::string& html, const std::string& baseURL);
    // Addresses asked for so far, and how many arrived (for tests).
    const std::set<std::string>& requested() const { return requested_; }
    int arrived() const { return arrived_; }

    QVariant loadResource(int type, const QUrl& name) override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Pictures as wide as the page ("100%", which the rich-text engine does not take and would
    // lay out beside the following text) and pictures wider than the page are fitted to its
    // width, keeping their proportions.
    void fitPictures();
    std::string absolute(const QUrl& name) const;
    std::string base_;
    std::set<std::string> requested_;
    std::map<std::string, QVariant> loaded_;
    int arrived_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace busdesk::qt
