#pragma once

#include <QObject>
#include <QWidget>
#include <optional>

#include "platform/views/Geometry.h"
#include "platform/views/KeyEvent.h"

class QKeyEvent;

namespace busdesk {
class Window;
}

namespace busdesk::qt {

// The toolkit's key for a Qt key press; nothing for a key the toolkit leaves alone (typing, a
// key with Ctrl, Alt or Meta). While a Qt editor has the focus (`inEditor`), only the keys that
// leave or close it go to the toolkit: Tab, Esc, F2, F3, and Enter in a one-line field.
std::optional<KeyEvent> toolkitKey(const QKeyEvent& event, bool inEditor, bool multiLine);

// Hands the window's key presses to the toolkit's keyboard (busdesk::keyboard) before Qt's own
// focus chain sees them.
class KeyboardInput : public QObject {
  public:
    KeyboardInput(Window& window, QWidget& surface);
    ~KeyboardInput() override;
    KeyboardInput(const KeyboardInput&) = delete;
    KeyboardInput& operator=(const KeyboardInput&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Window& window_;
    QWidget& surface_;
};

// The focus ring: drawn over everything, around the view the keyboard acts on, in two tones (a
// dark line inside a white one) so that it shows on light and on coloured backgrounds alike.
class FocusRing : public QWidget {
  public:
    explicit FocusRing(QWidget* surface);
    // Shows the ring around `rect` (surface coordinates), or hides it.
    void follow(const std::optional<Rect>& rect);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace busdesk::qt
