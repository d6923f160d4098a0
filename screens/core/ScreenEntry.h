#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/views/ViewController.h"

namespace busdesk {

// One way into a screen from a menu row or a button. Screens that come with later work keep their
// entry with an empty `make`: the row is there and does nothing until the screen exists.
struct ScreenEntry {
    std::string title;
    std::string action;  // the button's action name (its identifier); empty for menu rows
    std::string icon;
    std::string screenClass;  // the screen class it opens
    std::function<std::shared_ptr<ViewController>()> make;

    bool available() const { return static_cast<bool>(make); }
};

// A `make` that creates a T with its defaults.
template <class T>
std::function<std::shared_ptr<ViewController>()> plain() {
    return [] { return std::static_pointer_cast<ViewController>(std::make_shared<T>()); };
}

// How a menu hands a screen it made to whoever shows it (the navigation shell sets it).
using OpenScreen = std::function<void(std::shared_ptr<ViewController>)>;

}  // namespace busdesk
