#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "platform/views/Geometry.h"

namespace busdesk {

// Every colour the app draws with, by what it is for. A role has one value in the light palette and
// one in the dark (Palette.cpp, a table row each). Text roles read at 4.5:1 or more on the grounds
// they are drawn on in both palettes; the window's contrast test checks that screen by screen.
enum class ColorRole : std::uint8_t {
    None,                 // a literal colour
    Accent,               // buttons' titles and main buttons, chosen tabs, days and periods, links
    OnAccent,             // text and ticks on the accent
    AccentSoft,           // the ground of a chosen tab, a statement's header
    Text,                 // body text, the picker's chosen row
    SecondaryText,        // dates, hints, captions of lesser weight
    Placeholder,          // what an empty field asks for
    Disabled,             // a control that cannot be used now
    Separator,            // lines between rows, field frames, row chevrons
    Background,           // screens, rows, the window
    SecondaryBackground,  // section headers, strips, multi-line fields, toolbars
    Surface,              // alerts and sheets
    Highlight,            // a row while pressed
    Bar,                  // the title bar (top of its gradient)
    BarShade,             // the title bar (bottom of its gradient)
    OnBar,                // title and buttons on the title bar
    Menu,                 // the side menus' background at its lightest
    MenuShade,            // the side menus' background at its edges
    OnMenu,               // text and icons on the side menus
    Scrim,                // what dims the content under an overlay (with an alpha of its own)
    Shadow,               // shadows cast by sliding content
    Toast,                // the ground of a toast
    OnToast,              // text on a toast
    Backdrop,             // behind a photo shown whole, the busy box
    OnBackdrop,           // text over the backdrop
    Warning,              // amounts and messages that need attention
    Positive,             // an answer received
    Confirm,              // the ground of a confirming button ("完成" of the photo preview)
    Notice,               // the ground of the offline line and badge
    OnNotice,             // text on the notice ground
    Badge,                // the "NEW" badge's ground (white text in both palettes)
    CalendarMark,         // the dot of a marked calendar day
    Count_
};

enum class Appearance : std::uint8_t { Light, Dark };
// What the user chose: the desktop's palette, or one of the two.
enum class AppearancePreference : std::uint8_t { FollowDesktop, Light, Dark };

class Palette {
  public:
    // The value of `role` in `appearance` (None gives black).
    static Color value(ColorRole role, Appearance appearance);
    // `c` as drawn in `appearance`: a literal colour as it is, a role's value with c's alpha.
    static Color resolve(const Color& c, Appearance appearance);
    static Color resolve(const Color& c) { return resolve(c, current()); }
    // "secondaryText": the role's name as tests and documentation print it.
    static std::string_view name(ColorRole role);
    // Every role but None.
    static std::span<const ColorRole> roles();

    // The palette in force: the preference, or where it follows the desktop, the desktop's.
    static Appearance current();
    static AppearancePreference preference();
    static void setPreference(AppearancePreference p);
    // Told by the presentation: whether the desktop's own palette is dark.
    static void setDesktopIsDark(bool dark);
    static bool desktopIsDark();
    // Goes up whenever the palette in force changes; a presenter repaints on a new value.
    static std::uint64_t revision();
};

// WCAG 2.1 relative luminance (0 black … 1 white) of an opaque colour, and the contrast ratio of
// two opaque colours (1 … 21).
double relativeLuminance(const Color& c);
double contrastRatio(const Color& a, const Color& b);
// `top` (with its alpha) laid over the opaque `bottom`.
Color composite(const Color& top, const Color& bottom);

}  // namespace busdesk
