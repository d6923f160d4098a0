#include "screens/core/ScreenIcons.h"

#include <mutex>

#include "platform/views/IconGlyphs.h"

namespace busdesk {

namespace {
struct IconRow {
    const char* icon;
    const char* glyph;
    char32_t codePoint;
};

// Within each menu no two rows look alike; a shortcut of the home page shows the same picture
// as the menu row that opens the same screen.
constexpr IconRow kIcons[] = {
    // Left menu.
    {"IconHome", "home", 0xe88a},
    {"IconCulture", "theater_comedy", 0xea66},
    {"IconNotice", "campaign", 0xef49},
    {"IconRules", "menu_book", 0xea19},
    {"IconArrange", "calendar_month", 0xebcc},
    {"IconMyWeek", "event_available", 0xe614},
    {"IconRealtime", "update", 0xe923},
    {"IconPlan", "assessment", 0xe85c},
    {"IconTrips", "directions_bus", 0xe530},
    {"IconViolation", "report", 0xe160},
    {"IconMaintenance", "build", 0xe869},
    {"IconRepair", "handyman", 0xf10b},
    {"IconMaterial", "inventory_2", 0xe1a1},
    {"IconFuel", "local_gas_station", 0xe546},
    {"IconRevenue", "payments", 0xef63},
    {"IconMileage", "speed", 0xe9e4},
    {"IconAttendance", "how_to_reg", 0xe174},
    // Right menu.
    {"IconProfile", "person", 0xe7fd},
    {"IconSalary", "account_balance_wallet", 0xe850},
    {"IconLunch", "restaurant", 0xe56c},
    {"IconBusRecord", "credit_card", 0xe870},
    {"IconFeedBack", "feedback", 0xe87f},
    {"IconSetting", "settings", 0xe8b8},
    {"IconSignOut", "logout", 0xe9ba},
    // Home page shortcuts.
    {"checi", "calendar_month", 0xebcc},
    {"myweek", "event_available", 0xe614},
    {"plan", "assessment", 0xe85c},
    {"rule", "report", 0xe160},
    {"weigui", "feedback", 0xe87f},
    {"rules", "campaign", 0xef49},
    // The week's export button.
    {"IconExportCalendar", "file_download", 0xe2c4},
    // The photo strip's add tile.
    {"IconCamera", "photo_camera", 0xe412},
};
}  // namespace

void defineScreenIcons() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const auto& row : kIcons) IconGlyphs::define(row.icon, {row.glyph, row.codePoint});
    });
}

}  // namespace busdesk
