#pragma once

#include <memory>
#include <string>

#include "platform/Translation.h"
#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/TextField.h"
#include "platform/views/View.h"

namespace busdesk::form {

// The pieces of a query input screen: a caption left of each field, and the query button.
std::shared_ptr<Label> caption(View& parent, const std::string& text);
std::shared_ptr<TextField> textField(View& parent, const std::string& identifier,
                                     const std::string& placeholder);
// "查询", identified by its action's name.
std::shared_ptr<Button> queryButton(View& parent, const std::string& action, View::Action onTap,
                                    const std::string& title = tr("查询"));

// Lays the screen out top to bottom: each field() places a caption on the left and returns the
// frame of its field on the right; full() returns a whole-width frame; button() the query
// button's frame below everything.
class Rows {
  public:
    static constexpr double kRowHeight = 40;
    static constexpr double kGap = 14;
    static constexpr double kCaptionWidth = 96;

    explicit Rows(View& parent, double top = 24);
    Rect field(Label& caption);
    Rect full(double height);
    Rect button();

  private:
    double width_;
    double y_;
};

}  // namespace busdesk::form
