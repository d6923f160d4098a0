#pragma once

namespace busdesk {

// Tells the presenter which glyph of the icon font each icon name of the screens stands for
// (menu rows, the home page's shortcuts). A new menu row or shortcut adds its line to the table
// in ScreenIcons.cpp. Safe to call more than once; the menus call it when they load.
void defineScreenIcons();

}  // namespace busdesk
