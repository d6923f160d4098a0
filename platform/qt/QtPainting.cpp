#include "platform/qt/QtPainting.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QTextLayout>
#include <cmath>
#include <map>

#include "platform/views/IconGlyphs.h"
#include "platform/views/TextSize.h"

namespace busdesk::qt {

QColor toQColor(const Color& colour) {
    const Color c = Palette::resolve(colour);
    return QColor::fromRgbF(
        static_cast<float>(std::clamp(c.red, 0.0, 1.0)), static_cast<float>(std::clamp(c.green, 0.0, 1.0)),
        static_cast<float>(std::clamp(c.blue, 0.0, 1.0)), static_cast<float>(std::clamp(c.alpha, 0.0, 1.0)));
}

QColor roleColor(ColorRole role, double alpha) {
    return toQColor(Color::of(role, alpha));
}

Qt::Alignment toQtAlignment(TextAlignment a) {
    switch (a) {
        case TextAlignment::Center:
            return Qt::AlignHCenter;
        case TextAlignment::Right:
            return Qt::AlignRight;
        case TextAlignment::Left:
            break;
    }
    return Qt::AlignLeft;
}

QString toQString(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string fromQString(const QString& text) {
    return text.toUtf8().toStdString();
}

QFont uiFont(double pixelSize, bool bold, const std::string& family) {
    QFont f;
    QStringList families;
    // "HelveticaNeue" and friends are phone faces we do not have; the sans default stands in.
    if (!family.empty() && family.find("Helvetica") == std::string::npos) families << toQString(family);
    families << "Noto Sans CJK SC"
             << "Noto Sans"
             << "DejaVu Sans"
             << "Noto Serif CJK SC";
    f.setFamilies(families);
    f.setPixelSize(std::max(kSmallestTextPixels, static_cast<int>(std::lround(pixelSize))));
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

double pickerRowHeight() {
    return kPickerRowHeight * TextSize::scale();
}

namespace {
// Lays `layout` out in lines at `width`, one every 1.2 ems; returns how many.
int layOutLines(QTextLayout& layout, double width, Qt::Alignment horizontal) {
    const double pitch = 1.2 * layout.font().pixelSize();
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setAlignment(horizontal);
    layout.setTextOption(option);
    layout.beginLayout();
    int count = 0;
    for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
        l.setLineWidth(std::max(1.0, width));
        l.setPosition(QPointF(0, count * pitch + (pitch - l.height()) / 2));
        ++count;
    }
    layout.endLayout();
    return count;
}
}  // namespace

namespace {
// QTextLayout breaks lines only where it wraps; a newline in the text must become a line separator.
QString withLineBreaks(QString text) {
    text.replace(QChar('\n'), QChar::LineSeparator);
    return text;
}
}  // namespace

void drawWrappedText(QPainter& p, const QRectF& area, const QString& text, const QFont& font,
                     Qt::Alignment horizontal) {
    QTextLayout layout(withLineBreaks(text), font);
    int count = layOutLines(layout, area.width(), horizontal);
    double top = area.top() + (area.height() - count * 1.2 * font.pixelSize()) / 2;
    layout.draw(&p, QPointF(area.left(), top));
}

int wrappedLineCount(const QString& text, const QFont& font, double width) {
    QTextLayout layout(withLineBreaks(text), font);
    return layOutLines(layout, width, Qt::AlignLeft);
}

double desktopTextPercent() {
    // The body text of the screens is 17 points, one pixel each; the desktop's general font as
    // the person set it (not the one installApplicationFont gives the app).
    QFontInfo desktop(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    return desktop.pixelSize() * 100.0 / 17.0;
}

void installApplicationFont() {
    QApplication::setFont(uiFont(15));
    // The views are laid out with the metrics of the fonts they are drawn with.
    setTextMetrics({
        .width =
            [](const std::string& text, double size) {
                QFontMetricsF metrics(uiFont(size));
                double widest = 0;
                for (const auto& line : toQString(text).split(QChar('\n')))
                    widest = std::max(widest, metrics.horizontalAdvance(line));
                return widest;
            },
        .lines = [](const std::string& text, double size,
                    double width) { return wrappedLineCount(toQString(text), uiFont(size), width); },
        .lineHeight = [](double size) { return 1.2 * uiFont(size).pixelSize(); },
    });
}

QImage toQImage(const std::shared_ptr<const Image>& image) {
    if (!image || image->empty() ||
        image->rgba.size() <
            static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height) * 4)
        return {};
    struct Entry {
        std::weak_ptr<const Image> source;
        QImage converted;
    };
    static std::map<const Image*, Entry> cache;
    auto it = cache.find(image.get());
    if (it != cache.end() && !it->second.source.expired() && it->second.source.lock() == image)
        return it->second.converted;
    if (cache.size() > 256) std::erase_if(cache, [](auto& kv) { return kv.second.source.expired(); });
    QImage view(image->rgba.data(), image->width, image->height, image->width * 4, QImage::Format_RGBA8888);
    QImage copy = view.copy();  // detach from the Image's buffer
    cache[image.get()] = Entry{image, copy};
    return copy;
}

bool iconFontAvailable() {
    static const bool available = QFontDatabase::families().contains(IconGlyphs::kFontFamily);
    return available;
}

namespace {

void paintBars(QPainter& p, const QRectF& r, const QColor& c) {
    double w = std::min(r.width(), r.height()) * 0.6;
    double x = r.center().x() - w / 2;
    double gap = w / 3;
    QPen pen(c, std::max(1.5, w / 10), Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    for (int i = -1; i <= 1; ++i) {
        double y = r.center().y() + i * gap;
        p.drawLine(QPointF(x, y), QPointF(x + w, y));
    }
}

void paintChevronLeft(QPainter& p, const QRectF& r, const QColor& c) {
    double s = std::min(r.width(), r.height()) * 0.3;
    QPen pen(c, std::max(2.0, s / 4), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    QPointF m = r.center();
    QPolygonF poly{QPointF(m.x() + s / 2, m.y() - s), QPointF(m.x() - s / 2, m.y()),
                   QPointF(m.x() + s / 2, m.y() + s)};
    p.drawPolyline(poly);
}

void paintHouse(QPainter& p, const QRectF& r, const QColor& c) {
    double s = std::min(r.width(), r.height()) * 0.32;
    QPointF m = r.center();
    QPen pen(c, std::max(1.5, s / 5), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF{QPointF(m.x() - s * 1.2, m.y()), QPointF(m.x(), m.y() - s * 1.1),
                             QPointF(m.x() + s * 1.2, m.y())});
    p.drawRect(QRectF(m.x() - s * 0.8, m.y() - s * 0.1, s * 1.6, s * 1.1));
}

void paintMenuBackground(QPainter& p, const QRectF& r) {
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, roleColor(ColorRole::MenuShade));
    g.setColorAt(0.55, roleColor(ColorRole::Menu));
    g.setColorAt(1, roleColor(ColorRole::MenuShade));
    p.fillRect(r, g);
    // A faint road line suggests the bus network without a bitmap.
    QPen pen(QColor(255, 255, 255, 28), 10, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    QPainterPath road;
    road.moveTo(r.left() - 20, r.bottom() * 0.8);
    road.cubicTo(r.width() * 0.3, r.height() * 0.55, r.width() * 0.6, r.height() * 0.9, r.right() + 20,
                 r.height() * 0.35);
    p.drawPath(road);
}

void paintPerson(QPainter& p, const QRectF& r, const QColor& c) {
    double s = std::min(r.width(), r.height());
    QPointF m = r.center();
    p.setPen(QPen(c, std::max(1.5, s / 14)));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(m.x(), m.y() - s * 0.14), s * 0.17, s * 0.17);
    QPainterPath shoulders;
    shoulders.moveTo(m.x() - s * 0.32, m.y() + s * 0.36);
    shoulders.cubicTo(m.x() - s * 0.32, m.y() + s * 0.08, m.x() + s * 0.32, m.y() + s * 0.08,
                      m.x() + s * 0.32, m.y() + s * 0.36);
    p.drawPath(shoulders);
}

// A picture we have no drawing for: a rounded tile with the name's first letter, so a button
// still shows that it has an icon and two icons can be told apart.
void paintTile(QPainter& p, const std::string& name, const QRectF& r, const QColor& c) {
    double s = std::min(r.width(), r.height()) * 0.8;
    QRectF tile(r.center().x() - s / 2, r.center().y() - s / 2, s, s);
    p.setPen(QPen(c, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(tile, s * 0.25, s * 0.25);
    p.setFont(uiFont(s * 0.55, true));
    // "IconProfile" reads as "P": the common prefix tells the icons apart no better than nothing.
    std::string shown = name.rfind("Icon", 0) == 0 && name.size() > 4 ? name.substr(4) : name;
    p.drawText(tile, Qt::AlignCenter, toQString(shown.substr(0, 1)).toUpper());
}

void paintNavBar(QPainter& p, const QRectF& r) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, roleColor(ColorRole::Bar));
    g.setColorAt(1, roleColor(ColorRole::BarShade));
    p.fillRect(r, g);
}

// The icon font's glyph for `name`, drawn to fill `r` in the tint; false when the name has no
// glyph or the font is not installed.
bool paintGlyph(QPainter& p, const std::string& name, const QRectF& r, const QColor& tint) {
    auto glyph = IconGlyphs::find(name);
    if (!glyph || !iconFontAvailable()) return false;
    QFont font(IconGlyphs::kFontFamily);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(std::min(r.width(), r.height())))));
    font.setStyleStrategy(QFont::PreferAntialias);
    p.setFont(font);
    p.setPen(tint);
    char32_t cp = glyph->codePoint;
    p.drawText(r, Qt::AlignCenter, QString::fromUcs4(&cp, 1));
    return true;
}

}  // namespace

bool paintNamedImage(QPainter& p, const std::string& name, const QRectF& rect, const QColor& tint) {
    if (name.empty()) return false;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    bool known = true;
    if (name == "menu" || name == "list" || name == "more")
        paintBars(p, rect, tint);
    else if (name == "back" || name == "return" || name == "fanhui")
        paintChevronLeft(p, rect, tint);
    else if (name == "home" || name == "index")
        paintHouse(p, rect, tint);
    else if (name == "user" || name == "person")
        paintPerson(p, rect, tint);
    else if (name == "MenuBackground")
        paintMenuBackground(p, rect);
    else if (name == "navbar")
        paintNavBar(p, rect);
    else if (name == "new") {
        // White on the badge's red reads at 5:1; the text keeps the smallest size.
        p.setPen(Qt::NoPen);
        p.setBrush(roleColor(ColorRole::Badge));
        p.drawRoundedRect(rect, rect.height() / 2, rect.height() / 2);
        p.setPen(Qt::white);
        p.setFont(uiFont(kSmallestTextPixels, true));
        p.drawText(rect, Qt::AlignCenter, "NEW");
    } else
        known = paintGlyph(p, name, rect, tint);
    p.restore();
    return known;
}

void paintIcon(QPainter& p, const std::string& name, const QRectF& rect, const QColor& tint) {
    if (name.empty() || paintNamedImage(p, name, rect, tint)) return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    paintTile(p, name, rect, tint);
    p.restore();
}

}  // namespace busdesk::qt
