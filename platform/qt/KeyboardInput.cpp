#include "platform/qt/KeyboardInput.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <array>
#include <cmath>
#include <utility>

#include "platform/views/KeyboardNavigation.h"
#include "platform/views/Window.h"

namespace busdesk::qt {

namespace {

struct QtKey {
    int qtKey;
    KeyEvent key;
    // Taken from a Qt editor too: the keys that leave it or close something.
    bool overEditor;
};

constexpr std::array kQtKeys{
    QtKey{Qt::Key_Tab, {Key::Tab, false}, true},       QtKey{Qt::Key_Backtab, {Key::Tab, true}, true},
    QtKey{Qt::Key_Return, {Key::Return, false}, true}, QtKey{Qt::Key_Enter, {Key::Return, false}, true},
    QtKey{Qt::Key_Space, {Key::Space, false}, false},  QtKey{Qt::Key_Escape, {Key::Escape, false}, true},
    QtKey{Qt::Key_Up, {Key::Up, false}, false},        QtKey{Qt::Key_Down, {Key::Down, false}, false},
    QtKey{Qt::Key_Left, {Key::Left, false}, false},    QtKey{Qt::Key_Right, {Key::Right, false}, false},
    QtKey{Qt::Key_F2, {Key::F2, false}, true},         QtKey{Qt::Key_F3, {Key::F3, false}, true},
};

constexpr int kRingWidth = 3;

}  // namespace

std::optional<KeyEvent> toolkitKey(const QKeyEvent& event, bool inEditor, bool multiLine) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return std::nullopt;
    for (const auto& entry : kQtKeys) {
        if (entry.qtKey != event.key()) continue;
        if (inEditor && !entry.overEditor) return std::nullopt;
        // A new line is the text's own.
        if (inEditor && multiLine && entry.key.key == Key::Return) return std::nullopt;
        KeyEvent key = entry.key;
        if (key.key == Key::Tab) key.shift = key.shift || (event.modifiers() & Qt::ShiftModifier);
        return key;
    }
    return std::nullopt;
}

KeyboardInput::KeyboardInput(Window& window, QWidget& surface) : window_(window), surface_(surface) {
    qApp->installEventFilter(this);
}

KeyboardInput::~KeyboardInput() {
    qApp->removeEventFilter(this);
}

bool KeyboardInput::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != &surface_) return false;
    const bool lineEditor = qobject_cast<QLineEdit*>(widget) != nullptr;
    const bool textEditor = qobject_cast<QPlainTextEdit*>(widget) != nullptr;
    auto key = toolkitKey(*static_cast<QKeyEvent*>(event), lineEditor || textEditor, textEditor);
    if (!key) return false;
    bool acted = keyboard::handleKey(window_, *key);
    // Tab never falls through to Qt's own focus chain, which knows nothing of the views.
    if (acted || key->key == Key::Tab) {
        event->accept();
        return true;
    }
    return false;
}

FocusRing::FocusRing(QWidget* surface) : QWidget(surface) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void FocusRing::follow(const std::optional<Rect>& rect) {
    if (!rect) {
        if (!isHidden()) hide();
        return;
    }
    const int left = static_cast<int>(std::floor(rect->x)) - kRingWidth;
    const int top = static_cast<int>(std::floor(rect->y)) - kRingWidth;
    const int right = static_cast<int>(std::ceil(rect->maxX())) + kRingWidth;
    const int bottom = static_cast<int>(std::ceil(rect->maxY())) + kRingWidth;
    QRect geometry(left, top, right - left, bottom - top);
    if (geometry != this->geometry()) setGeometry(geometry);
    raise();
    if (isHidden()) show();
    update();
}

void FocusRing::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    // White outside, near-black inside: one of the two stands out on any background.
    p.setPen(QPen(QColor(255, 255, 255), kRingWidth));
    p.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 5, 5);
    p.setPen(QPen(QColor(20, 20, 20), 2));
    p.drawRoundedRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5), 4, 4);
}

}  // namespace busdesk::qt
