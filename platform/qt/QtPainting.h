#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <memory>
#include <string>

#include "platform/Image.h"
#include "platform/views/Geometry.h"
#include "platform/views/Label.h"

namespace busdesk::qt {

QColor toQColor(const Color& c);
Qt::Alignment toQtAlignment(TextAlignment a);
QString toQString(const std::string& utf8);
std::string fromQString(const QString& text);

// The smallest text the window shows, in pixels: smaller sizes asked for are drawn at this one.
constexpr int kSmallestTextPixels = 13;
// One row of a wheel picker: drawn at this height, and a click or drag counted in it.
constexpr double kPickerRowHeight = 36;
// The title bar's picture, a gradient between these (white text reads at 4.5:1 or more on both).
const QColor kNavBarLight(30, 100, 170);
const QColor kNavBarDark(20, 80, 145);
// The side menus' background picture at its lightest.
const QColor kMenuBackgroundLight(36, 98, 160);
// The tint of buttons without a title colour of their own: a blue that reads at 4.5:1 on white.
const QColor kDefaultTint(0, 102, 204);

// The contrast ratio of two opaque colours (1 to 21), as the accessibility guidelines define it;
// body text needs 4.5.
double contrastRatio(const QColor& a, const QColor& b);

// Our font sizes are in points of the phone screen, which maps one to one onto pixels here, never
// below kSmallestTextPixels. The family list ends with the CJK faces so Chinese never falls back
// to boxes.
QFont uiFont(double pixelSize, bool bold = false, const std::string& family = {});
void installApplicationFont();

// Decoded pictures are converted once and kept while the Image lives (images are immutable and
// shared, so the address is a stable key).
QImage toQImage(const std::shared_ptr<const Image>& image);

// The application's named pictures ("menu", "back", "home", "MenuBackground"...) and the icons
// with a glyph in IconGlyphs. There are no bitmap resources, so the common ones are drawn;
// returns false for a name it does not know.
bool paintNamedImage(QPainter& p, const std::string& name, const QRectF& rect, const QColor& tint);
// Whether the icon font (IconGlyphs::kFontFamily) is installed.
bool iconFontAvailable();
// An icon by name: its icon font glyph or drawing when there is one, else a lettered tile in the
// tint.
void paintIcon(QPainter& p, const std::string& name, const QRectF& rect, const QColor& tint);

}  // namespace busdesk::qt
