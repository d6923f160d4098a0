#include "platform/qt/WebPageBrowser.h"

#include <QImage>
#include <QResizeEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <utility>
#include <vector>

#include "platform/qt/QtPainting.h"
#include "platform/views/TextSize.h"
#include "platform/views/WebView.h"

namespace busdesk::qt {

WebPageBrowser::WebPageBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setFrameShape(QFrame::NoFrame);
    setReadOnly(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

WebPageBrowser::~WebPageBrowser() {
    *alive_ = false;
}

void WebPageBrowser::showPage(const std::string& html, const std::string& baseURL) {
    // Clear first: a new base under the old page would make it ask for its pictures again.
    clear();
    base_ = baseURL;
    document()->setBaseUrl(QUrl(QString::fromStdString(baseURL)));
    document()->setDefaultFont(uiFont(TextSize::scaled(kPageTextSize)));
    setHtml(QString::fromUtf8(html.data(), static_cast<qsizetype>(html.size())));
    fitPictures();
}

namespace {
// Marks a picture that follows the page's width.
constexpr int kFitsPageWidth = QTextFormat::UserProperty + 1;
}  // namespace

void WebPageBrowser::fitPictures() {
    double available = viewport()->width() - 2 * document()->documentMargin() - 1;
    if (available <= 0) return;
    std::vector<std::pair<std::pair<int, int>, QTextImageFormat>> changes;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            double width = format.width();
            // A relative width reads back negative: the picture follows the page.
            bool follows = format.boolProperty(kFitsPageWidth) || width < 0;
            QImage picture =
                document()->resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
            double natural = width > 0 ? width : picture.isNull() ? 0 : picture.width();
            double target = follows ? available : natural > available ? available : width;
            if (target == width) continue;
            format.setProperty(kFitsPageWidth, follows);
            format.setWidth(target);
            if (format.height() > 0 && width > 0)
                format.setHeight(format.height() * target / width);
            else if (!picture.isNull() && picture.width() > 0)
                format.setHeight(target * picture.height() / picture.width());
            changes.push_back({{fragment.position(), fragment.length()}, format});
        }
    }
    for (auto& [range, format] : changes) {
        QTextCursor cursor(document());
        cursor.setPosition(range.first);
        cursor.setPosition(range.first + range.second, QTextCursor::KeepAnchor);
        cursor.setCharFormat(format);
    }
}

void WebPageBrowser::resizeEvent(QResizeEvent* event) {
    QTextBrowser::resizeEvent(event);
    fitPictures();
}

std::string WebPageBrowser::absolute(const QUrl& name) const {
    if (!name.isRelative() || base_.empty()) return name.toString().toStdString();
    return QUrl(QString::fromStdString(base_)).resolved(name).toString().toStdString();
}

QVariant WebPageBrowser::loadResource(int type, const QUrl& name) {
    if (type != QTextDocument::ImageResource && type != QTextDocument::StyleSheetResource) return {};
    std::string url = absolute(name);
    if (auto it = loaded_.find(url); it != loaded_.end()) return it->second;
    if (url.rfind("data:", 0) == 0) return QTextBrowser::loadResource(type, name);
    const auto& loader = WebView::loader();
    if (!loader || requested_.count(url)) return {};
    requested_.insert(url);
    std::weak_ptr<bool> alive = alive_;
    loader(url, [this, alive, url, type, key = name](std::optional<std::string> body) {
        auto a = alive.lock();
        if (!a || !*a || !body) return;
        QVariant value;
        if (type == QTextDocument::ImageResource) {
            QImage image;
            if (!image.loadFromData(reinterpret_cast<const uchar*>(body->data()),
                                    static_cast<int>(body->size())))
                return;
            value = image;
        } else {
            value = QString::fromUtf8(body->data(), static_cast<qsizetype>(body->size()));
        }
        loaded_[url] = value;
        ++arrived_;
        document()->addResource(type, key, value);
        // Re-lay out so the picture takes its real size (within the page's width).
        fitPictures();
        document()->markContentsDirty(0, document()->characterCount());
        viewport()->update();
    });
    return {};
}

}  // namespace busdesk::qt
