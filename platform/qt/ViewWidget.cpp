#include "platform/qt/ViewWidget.h"

#include <QGraphicsOpacityEffect>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <cmath>

#include "platform/DateFormat.h"
#include "platform/LocalDate.h"
#include "platform/Translation.h"
#include "platform/qt/QtPainting.h"
#include "platform/qt/WebPageBrowser.h"
#include "platform/views/Button.h"
#include "platform/views/DatePicker.h"
#include "platform/views/ImageView.h"
#include "platform/views/Label.h"
#include "platform/views/NavigationController.h"
#include "platform/views/PickerView.h"
#include "platform/views/TableView.h"
#include "platform/views/TextField.h"
#include "platform/views/TextSize.h"
#include "platform/views/WebView.h"
#include "platform/views/Window.h"

namespace busdesk::qt {

ViewWidget::Kind kindOf(View& v) {
    using K = ViewWidget::Kind;
    if (dynamic_cast<Window*>(&v)) return K::Window;
    if (dynamic_cast<TableViewCell*>(&v)) return K::Cell;
    if (dynamic_cast<ScrollView*>(&v)) return K::Scroll;
    if (dynamic_cast<Label*>(&v)) return K::Label;
    if (v.checkBoxLook()) return K::CheckBox;
    if (dynamic_cast<TextField*>(&v)) return K::TextField;
    if (dynamic_cast<Button*>(&v)) return K::Button;
    if (dynamic_cast<TextView*>(&v)) return K::TextView;
    if (dynamic_cast<ImageView*>(&v)) return K::Image;
    if (dynamic_cast<WebView*>(&v)) return K::Web;
    if (dynamic_cast<PickerView*>(&v)) return K::Picker;
    if (dynamic_cast<DatePicker*>(&v)) return K::DatePicker;
    if (v.showsActivityIndicator()) return K::Busy;
    return K::Plain;
}

ViewWidget::ViewWidget(WidgetRegistry& registry, View& view, QWidget* parent)
    : QWidget(parent), registry_(registry), view_(&view), kind_(kindOf(view)) {
    // Touches go to the presenter's surface, which hit-tests the view tree itself.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    if (kind_ == Kind::TextField) {
        line_ = new QLineEdit(this);
        line_->setFrame(false);
        line_->setAttribute(Qt::WA_TransparentForMouseEvents);
        line_->setStyleSheet("QLineEdit { background: transparent; }");
        QObject::connect(line_, &QLineEdit::textEdited, this, [this](const QString& text) {
            if (auto* f = dynamic_cast<TextField*>(view_)) f->userType(fromQString(text));
        });
        QObject::connect(line_, &QLineEdit::returnPressed, this, [this] {
            if (auto* f = dynamic_cast<TextField*>(view_)) f->userPressReturn();
        });
    } else if (kind_ == Kind::TextView) {
        text_ = new QPlainTextEdit(this);
        text_->setFrameShape(QFrame::NoFrame);
        text_->setAttribute(Qt::WA_TransparentForMouseEvents);
        text_->setStyleSheet("QPlainTextEdit { background: transparent; }");
        QObject::connect(text_, &QPlainTextEdit::textChanged, this, [this] {
            auto* t = dynamic_cast<TextView*>(view_);
            if (!t) return;
            std::string now = fromQString(text_->toPlainText());
            if (now != t->text()) t->userType(now);
        });
    } else if (kind_ == Kind::Web) {
        // The page scrolls and selects with the mouse on its own; it is not a touch target.
        web_ = new WebPageBrowser(this);
    }
}

ViewWidget::~ViewWidget() {
    registry_.forgetWidget(view_, this);
}

void ViewWidget::detach() {
    view_ = nullptr;
    hide();
    deleteLater();
}

void ViewWidget::setOpacity(double o) {
    if (o >= 0.999) {
        if (opacity_) {
            setGraphicsEffect(nullptr);  // deletes the effect
            opacity_ = nullptr;
        }
        return;
    }
    if (!opacity_) {
        opacity_ = new QGraphicsOpacityEffect(this);
        setGraphicsEffect(opacity_);
    }
    opacity_->setOpacity(std::clamp(o, 0.0, 1.0));
}

namespace {
// Typed text and placeholders in the palette in force (the placeholder reads at 4.5:1 or more, not
// the style's pale default).
void setEditorColours(QWidget& editor) {
    QPalette palette = editor.palette();
    QColor text = roleColor(ColorRole::Text);
    QColor placeholder = roleColor(ColorRole::Placeholder);
    if (palette.color(QPalette::Text) == text && palette.color(QPalette::PlaceholderText) == placeholder)
        return;
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::PlaceholderText, placeholder);
    editor.setPalette(palette);
}
}  // namespace

void ViewWidget::refresh() {
    if (!view_) return;
    if (line_) refreshLineEdit();
    if (text_) refreshTextEdit();
    if (web_) refreshBrowser();
    update();
}

void ViewWidget::refreshLineEdit() {
    auto* f = static_cast<TextField*>(view_);
    line_->setGeometry(QRect(6, 0, std::max(0, width() - 12), height()));
    QString text = toQString(f->text());
    if (line_->text() != text) line_->setText(text);
    QString placeholder = toQString(f->placeholder());
    if (line_->placeholderText() != placeholder) line_->setPlaceholderText(placeholder);
    setEditorColours(*line_);
    line_->setEchoMode(f->secureTextEntry() ? QLineEdit::Password : QLineEdit::Normal);
    line_->setFont(uiFont(f->fontSize()));
    line_->setAlignment(toQtAlignment(f->textAlignment()) | Qt::AlignVCenter);
    line_->setEnabled(f->enabled());
    if (f->isFirstResponder()) {
        if (!line_->hasFocus()) line_->setFocus(Qt::OtherFocusReason);
    } else if (line_->hasFocus()) {
        line_->clearFocus();
    }
}

void ViewWidget::refreshTextEdit() {
    auto* t = static_cast<TextView*>(view_);
    text_->setGeometry(rect());
    QString text = toQString(t->text());
    if (text_->toPlainText() != text) text_->setPlainText(text);
    text_->setFont(uiFont(t->fontSize()));
    text_->setReadOnly(!t->editable());
    setEditorColours(*text_);
    if (t->isFirstResponder()) {
        if (!text_->hasFocus()) text_->setFocus(Qt::OtherFocusReason);
    } else if (text_->hasFocus()) {
        text_->clearFocus();
    }
}

void ViewWidget::refreshBrowser() {
    auto* w = static_cast<WebView*>(view_);
    web_->setGeometry(rect());
    // A new text size shows the page again at it.
    if (w->html() != shownHTML_ || w->baseURL() != shownBase_ || TextSize::revision() != shownTextSize_) {
        shownHTML_ = w->html();
        shownBase_ = w->baseURL();
        shownTextSize_ = TextSize::revision();
        web_->showPage(shownHTML_, shownBase_);
    }
}

void ViewWidget::paintEvent(QPaintEvent*) {
    if (!view_) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    if (line_ && line_->geometry().size() != QSize(std::max(0, width() - 12), height())) refreshLineEdit();
    if (text_ && text_->geometry() != rect()) text_->setGeometry(rect());
    if (web_ && web_->geometry() != rect()) web_->setGeometry(rect());
    paintBackground(p);
    switch (kind_) {
        case Kind::Label:
            paintLabel(p);
            break;
        case Kind::Button:
            paintButton(p);
            break;
        case Kind::CheckBox:
            paintCheckBox(p);
            break;
        case Kind::TextField:
            paintTextFieldFrame(p);
            break;
        case Kind::Image:
            paintImage(p);
            break;
        case Kind::Cell:
            paintCell(p);
            break;
        case Kind::Picker:
            paintPicker(p);
            break;
        case Kind::DatePicker:
            paintDatePicker(p);
            break;
        case Kind::Busy:
            paintBusy(p);
            break;
        default:
            break;
    }
    if (view_->outline()) paintOutline(p);
    if (shadowRect) paintShadow(p);
}

void ViewWidget::paintOutline(QPainter& p) {
    const Outline& o = *view_->outline();
    double inset = o.width / 2;
    QRectF r = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    p.setPen(QPen(toQColor(o.color), o.width));
    p.setBrush(Qt::NoBrush);
    double radius = std::max(0.0, view_->cornerRadius() - inset);
    if (radius > 0)
        p.drawRoundedRect(r, radius, radius);
    else
        p.drawRect(r);
}

void ViewWidget::paintBackground(QPainter& p) {
    // A title bar's picture is a named one; without it the bar shows its colour (or nothing).
    if (auto* bar = dynamic_cast<NavigationBar*>(view_)) {
        if (auto name = bar->backgroundImageName();
            name && paintNamedImage(p, *name, QRectF(rect()), roleColor(ColorRole::OnBar)))
            return;
    }
    auto bg = view_->backgroundColor();
    if ((kind_ == Kind::Window || kind_ == Kind::Cell) && !bg) bg = Color::of(ColorRole::Background);
    if (!bg || bg->alpha <= 0) return;
    double r = view_->cornerRadius();
    if (r > 0) {
        p.setPen(Qt::NoPen);
        p.setBrush(toQColor(*bg));
        p.drawRoundedRect(QRectF(rect()), r, r);
    } else {
        p.fillRect(rect(), toQColor(*bg));
    }
}

void ViewWidget::paintLabel(QPainter& p) {
    auto* l = static_cast<Label*>(view_);
    if (l->text().empty()) return;
    QString text = toQString(l->text());
    QFont font = uiFont(l->fontSize(), l->boldFont(), l->fontName());
    QRectF area(rect());
    int lines = l->numberOfLines();
    if (lines == 1 && l->adjustsFontSizeToFitWidth()) {
        for (double size = l->fontSize(); size > 8; size -= 1) {
            font = uiFont(size, l->boldFont(), l->fontName());
            if (QFontMetricsF(font).horizontalAdvance(text) <= area.width()) break;
        }
    }
    p.setFont(font);
    p.setPen(toQColor(l->textColor()));
    Qt::Alignment align = toQtAlignment(l->textAlignment()) | Qt::AlignVCenter;
    if (auto marquee = l->marqueeFrame()) {
        double offset = marquee->offset;
        double width = marquee->textWidth;
        p.setClipRect(rect());
        p.drawText(QRectF(-offset, 0, width + 4, area.height()), Qt::AlignLeft | Qt::AlignVCenter, text);
        if (marquee->repeatGap)
            p.drawText(QRectF(-offset + width + *marquee->repeatGap, 0, width + 4, area.height()),
                       Qt::AlignLeft | Qt::AlignVCenter, text);
        return;
    }
    if (!l->wraps()) {
        // Within the slack the layout allows, the text is whole (its last pixel may overhang).
        QString shown =
            QFontMetricsF(font).elidedText(text, Qt::ElideRight, area.width() + Label::kWidthSlack);
        p.drawText(area, align | Qt::TextSingleLine, shown);
    } else {
        p.setClipRect(rect());
        drawWrappedText(p, area, text, font, toQtAlignment(l->textAlignment()));
    }
}

void ViewWidget::paintButton(QPainter& p) {
    auto* b = static_cast<Button*>(view_);
    ControlState state = b->state();
    QRectF area(rect());
    if (auto img = b->backgroundImageForState(state)) {
        p.drawImage(area, toQImage(img));
    } else if (auto name = b->backgroundImageNameForState(state); !name.empty()) {
        paintNamedImage(p, name, area, roleColor(ColorRole::OnBar));
    }
    auto colour = b->titleColorForState(state);
    QColor tint = colour ? toQColor(*colour) : roleColor(ColorRole::Accent);
    // A disabled button looks disabled unless it was given a colour of its own for that state.
    if (!b->enabled() && !b->hasOwnTitleColor(ControlState::Disabled)) tint = roleColor(ColorRole::Disabled);
    std::string title = b->currentTitle();
    std::string icon = b->imageNameForState(state);
    QColor iconTint = colour ? tint
                             : roleColor(b->superview() && dynamic_cast<NavigationBar*>(b->superview())
                                             ? ColorRole::OnBar
                                             : ColorRole::Accent);
    if (!icon.empty()) {
        double side = std::min(area.height(), 30.0);
        if (title.empty()) {
            paintIcon(p, icon, QRectF(area.center().x() - side / 2, area.center().y() - side / 2, side, side),
                      iconTint);
        } else if (b->drawsIconOverTitle(b->bounds())) {
            // A tall button (a toolbar of shortcuts) puts its icon over the title, like a tab.
            side = std::min(26.0, area.height() - 26);
            QRectF iconRect(area.center().x() - side / 2, area.top() + 6, side, side);
            paintIcon(p, icon, iconRect, iconTint);
            area.setTop(area.top() + Button::kIconOverTitleTop);
        } else {
            QRectF iconRect(area.left() + 4, area.center().y() - side / 2, side, side);
            paintIcon(p, icon, iconRect, iconTint);
            area.setLeft(iconRect.right() + 4);
        }
    }
    if (!title.empty()) {
        QFont font = uiFont(b->titleFontSize(b->bounds()));
        p.setFont(font);
        p.setPen(tint);
        if (b->titleWrapsToFit()) {
            const double inset = b->titleInset(b->bounds());
            drawWrappedText(p, area.adjusted(inset, 0, -inset, 0), toQString(title), font, Qt::AlignHCenter);
        } else {
            QString text = QFontMetricsF(font).elidedText(toQString(title), Qt::ElideRight,
                                                          area.width() + Label::kWidthSlack);
            p.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, text);
        }
    }
    if (b->highlighted()) p.fillRect(rect(), QColor(0, 0, 0, 40));
}

void ViewWidget::paintCheckBox(QPainter& p) {
    CheckBoxLook look = view_->checkBoxLook().value_or(CheckBoxLook{});
    auto* control = dynamic_cast<Control*>(view_);
    double side = std::min<double>(height(), 22);
    QRectF box(2, (height() - side) / 2, side, side);
    QColor tint = roleColor(!control || control->enabled() ? ColorRole::Accent : ColorRole::Disabled);
    p.setPen(QPen(tint, 1.5));
    p.setBrush(look.checked ? tint : roleColor(ColorRole::Background));
    if (look.round)
        p.drawEllipse(box);
    else
        p.drawRoundedRect(box, 4, 4);
    if (look.checked) {
        p.setPen(QPen(roleColor(ColorRole::OnAccent), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF{QPointF(box.left() + side * 0.25, box.center().y()),
                                 QPointF(box.left() + side * 0.45, box.bottom() - side * 0.28),
                                 QPointF(box.right() - side * 0.22, box.top() + side * 0.28)});
    }
}

void ViewWidget::paintTextFieldFrame(QPainter& p) {
    if (view_->backgroundColor()) return;  // the screen styles the field itself
    p.setPen(QPen(roleColor(ColorRole::Separator), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
}

void ViewWidget::paintImage(QPainter& p) {
    auto* iv = static_cast<ImageView*>(view_);
    QRectF area(rect());
    if (auto img = iv->image(); img && !img->empty()) {
        QImage q = toQImage(img);
        QSizeF size = q.size();
        QRectF target = area;
        switch (iv->contentMode()) {
            case ContentMode::ScaleToFill:
                break;
            case ContentMode::ScaleAspectFit:
            case ContentMode::ScaleAspectFill: {
                QSizeF s = size.scaled(area.size(), iv->contentMode() == ContentMode::ScaleAspectFit
                                                        ? Qt::KeepAspectRatio
                                                        : Qt::KeepAspectRatioByExpanding);
                target = QRectF(area.center().x() - s.width() / 2, area.center().y() - s.height() / 2,
                                s.width(), s.height());
                break;
            }
            case ContentMode::Center:
                target = QRectF(area.center().x() - size.width() / 2, area.center().y() - size.height() / 2,
                                size.width(), size.height());
                break;
        }
        p.setClipRect(rect());
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(target, q);
        return;
    }
    paintNamedImage(p, iv->imageName(), area, roleColor(ColorRole::OnBar));
}

void ViewWidget::paintCell(QPainter& p) {
    auto* c = static_cast<TableViewCell*>(view_);
    if ((c->isHighlighted() || c->isSelected()) && c->selectionStyle() != CellSelectionStyle::None)
        p.fillRect(rect(), roleColor(ColorRole::Highlight));
    if (c->accessoryType() == CellAccessory::DisclosureIndicator ||
        c->accessoryType() == CellAccessory::DetailDisclosureButton) {
        double cx = width() - 18, cy = height() / 2.0;
        p.setPen(QPen(roleColor(ColorRole::Separator), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF{QPointF(cx - 3, cy - 6), QPointF(cx + 3, cy), QPointF(cx - 3, cy + 6)});
    } else if (c->accessoryType() == CellAccessory::Checkmark) {
        double cx = width() - 22, cy = height() / 2.0;
        p.setPen(QPen(roleColor(ColorRole::Accent), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF{QPointF(cx - 6, cy), QPointF(cx - 2, cy + 5), QPointF(cx + 7, cy - 6)});
    }
    if (auto* table = dynamic_cast<TableView*>(c->superview());
        table && table->separatorStyle() == SeparatorStyle::SingleLine) {
        p.setPen(QPen(toQColor(table->separatorColor()), 1));
        p.drawLine(QPointF(15, height() - 0.5), QPointF(width(), height() - 0.5));
    }
}

namespace {
void paintWheelColumn(QPainter& p, const QRectF& column, int selected, int rows,
                      const std::function<QString(int)>& title) {
    double mid = column.center().y();
    // Only whole rows: a row cut by the wheel's edge reads as a sheet cut off by the window.
    int reach =
        std::max(0, static_cast<int>((column.height() / 2 - pickerRowHeight() / 2) / pickerRowHeight()));
    for (int d = -reach; d <= reach; ++d) {
        int row = selected + d;
        if (row < 0 || row >= rows) continue;
        QRectF r(column.left(), mid - pickerRowHeight() / 2 + d * pickerRowHeight(), column.width(),
                 pickerRowHeight());
        // The chosen row in the text colour, the others in the secondary one (4.5:1 or more).
        p.setPen(roleColor(d == 0 ? ColorRole::Text : ColorRole::SecondaryText));
        p.setFont(uiFont(TextSize::scaled(d == 0 ? 20 : 17)));
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, title(row));
    }
}

void paintSelectionBand(QPainter& p, const QRectF& area) {
    double mid = area.center().y();
    QRectF band(area.left() + 6, mid - pickerRowHeight() / 2, area.width() - 12, pickerRowHeight());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(118, 118, 128, 30));
    p.drawRoundedRect(band, 7, 7);
}
}  // namespace

void ViewWidget::paintPicker(QPainter& p) {
    auto* pv = static_cast<PickerView*>(view_);
    QRectF area(rect());
    if (!view_->backgroundColor()) p.fillRect(area, roleColor(ColorRole::Background));
    paintSelectionBand(p, area);
    int columns = pv->numberOfComponents();
    if (columns <= 0) return;
    double w = area.width() / columns;
    p.setClipRect(rect());
    for (int c = 0; c < columns; ++c) {
        paintWheelColumn(p, QRectF(c * w, 0, w, area.height()), pv->selectedRow(c), pv->numberOfRows(c),
                         [pv, c](int row) { return toQString(pv->titleForRow(row, c)); });
    }
}

void ViewWidget::paintDatePicker(QPainter& p) {
    auto* dp = static_cast<DatePicker*>(view_);
    QRectF area(rect());
    if (!view_->backgroundColor()) p.fillRect(area, roleColor(ColorRole::Background));
    paintSelectionBand(p, area);
    p.setClipRect(rect());
    LocalDate day = LocalDate::of(dp->date());
    if (dp->mode() == DatePickerMode::Date) {
        double w = area.width() / 3;
        // Neighbouring values, clipped to sensible ranges (a day wheel never shows 0 or 32).
        paintWheelColumn(p, QRectF(0, 0, w, area.height()), day.year, 10000,
                         [](int y) { return QString(tr("%1年")).arg(y); });
        paintWheelColumn(p, QRectF(w, 0, w, area.height()), day.month - 1, 12,
                         [](int m) { return QString(tr("%1月")).arg(m + 1); });
        paintWheelColumn(p, QRectF(2 * w, 0, w, area.height()), day.day - 1, daysInMonth(day.year, day.month),
                         [](int d) { return QString(tr("%1日")).arg(d + 1); });
        return;
    }
    std::string pattern = dp->mode() == DatePickerMode::Time ? "HH:mm" : "yyyy-MM-dd HH:mm";
    double step = dp->mode() == DatePickerMode::Time ? 60 : 86400;
    Date at = dp->date();
    paintWheelColumn(p, area, 1000000, 2000000, [&](int row) {
        Date d{at.secondsSince1970 + (row - 1000000) * step};
        return toQString(formatDate(d, pattern));
    });
}

void ViewWidget::paintBusy(QPainter& p) {
    QRectF box(width() / 2.0 - 55, height() / 2.0 - 45, 110, 100);
    p.setPen(Qt::NoPen);
    p.setBrush(roleColor(ColorRole::Backdrop, 0.75));
    p.drawRoundedRect(box, 10, 10);
    QPointF c(box.center().x(), box.top() + 38);
    for (int i = 0; i < 12; ++i) {
        double angle = (i * 30.0 + spinnerPhase * 30.0) * M_PI / 180.0;
        int alpha = 60 + (i * 195) / 11;
        p.setPen(QPen(QColor(255, 255, 255, alpha), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(c.x() + 8 * std::cos(angle), c.y() + 8 * std::sin(angle)),
                   QPointF(c.x() + 16 * std::cos(angle), c.y() + 16 * std::sin(angle)));
    }
}

void ViewWidget::paintShadow(QPainter& p) {
    QColor c = shadowColor;
    QRectF r = shadowRect->translated(shadowOffset);
    int steps = std::max(1, static_cast<int>(std::ceil(shadowRadius)));
    p.setPen(Qt::NoPen);
    for (int i = steps; i >= 1; --i) {
        QColor layer = c;
        layer.setAlphaF(static_cast<float>(std::clamp(shadowOpacity / steps, 0.0, 1.0)));
        p.setBrush(layer);
        p.drawRoundedRect(r.adjusted(-i, -i, i, i), i, i);
    }
}

}  // namespace busdesk::qt
