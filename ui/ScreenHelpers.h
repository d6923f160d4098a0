#pragma once

#include <string>

#include "platform/Translation.h"
#include "platform/views/View.h"
#include "platform/views/ViewController.h"

namespace busdesk::screen {

inline constexpr const char* kBusyText = N_("请稍后...");
inline constexpr double kToastVertical = 0.8;
// The keys that open the side menus from anywhere on a screen with menu buttons.
inline constexpr KeyEvent kLeftMenuKey{Key::F2};
inline constexpr KeyEvent kRightMenuKey{Key::F3};

// true: the busy overlay "请稍后..." over `view`, animated; false: hides that view's overlay.
void showActivityOrNo(bool show, View& view);
// A toast on a dark grey background at 0.8 of the view's height.
void setAlertInfo(const std::string& message, View& view);
// Title bar of a screen opened from a menu: menu buttons left and right
// ("presentLeftMenuViewController", "presentRightMenuViewController") that open the side menu
// above the screen (doing nothing outside one), F2 and F3 on the keyboard, and the title in a title
// view.
void setNavTitleBar(ViewController& vc, const std::string& title);
// Title bar of a pushed screen: back ("goBack") and home ("goIndex") buttons calling the screen's
// goBack() / goIndex(); the screen's title is set when `title` is not empty.
void setNavTitleBarWithLeftBTAndTitle(ViewController& vc, const std::string& title);

}  // namespace busdesk::screen
