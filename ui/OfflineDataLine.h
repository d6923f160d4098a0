#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Date.h"
#include "platform/views/Label.h"

namespace busdesk {

// The line above a list's rows while they are a stored answer, not a fresh one:
// "离线数据（更新于 yyyy-MM-dd HH:mm）", the fetch time in the device zone. Identifier
// `offlineDataLine`.
class OfflineDataLine {
  public:
    static constexpr double kHeight = 28;

    // The text for an answer fetched at `fetched`.
    static std::string text(Date fetched);
    // A hidden line added to `parent`, above what is already there.
    static std::shared_ptr<Label> addTo(View& parent);
    // Shows the line for `fetched` (hides it for nothing) and lays out: the line across the top of
    // `area`, `content` in the rest (all of `area` while the line is hidden).
    static void show(Label& line, View& content, const Rect& area, std::optional<Date> fetched);
    // The same layout for the line as it stands (a resize).
    static void layout(Label& line, View& content, const Rect& area);
};

}  // namespace busdesk
