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
#include "platform/views/Palette.h"

namespace busdesk::qt {

// `c` as drawn now: a colour with a role takes the palette in force (Palette::resolve).
QColor toQColor(const Color& c);
// The palette's colour for `role` as drawn now.
QColor roleColor(ColorRole role, double alpha = 1);
Qt::Alignment toQtAlignment(TextAlignment a);
QString toQString(const std::string& utf8);
std::string fromQString(const QString& text);

// The smallest text the window shows, in pixels: smaller sizes asked for are drawn at this one.
constexpr int kSmallestTextPixels = 13;
// One row of a wheel picker at 100 % text: drawn at this height times the text size in force
// (pickerRowHeight), and a click or drag counted in it.
constexpr double kPickerRowHeight = 36;
double pickerRowHeight();
// The title bar's picture is a gradient from the palette's bar to its bar shade, the side menus'
// from the menu shade through the menu; buttons without a title colour of their own are drawn in
// the accent.

// Our font sizes are in points of the phone screen, which maps one to one onto pixels here, never
// below kSmallestTextPixels. The family list ends with the CJK faces so Chinese never falls back
// to boxes.
QFont uiFont(double pixelSize, bool bold = false, const std::string& family = {});
void installApplicationFont();
// `text` wrapped at `area`'s width (between words, or anywhere in Chinese), one line every 1.2 ems
// of `font` as the toolkit measures text (measureText), the block centred in `area` vertically.
void drawWrappedText(QPainter& p, const QRectF& area, const QString& text, const QFont& font,
                     Qt::Alignment horizontal);
// The number of lines drawWrappedText makes of `text` at `width`.
int wrappedLineCount(const QString& text, const QFont& font, double width);
// The desktop's own default font size, in percent of the body text the screens were designed
// with; what TextSize follows while the user has chosen no size.
double desktopTextPercent();

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
