#include "ui/OfflineDataLine.h"

#include "platform/DateFormat.h"
#include "platform/Translation.h"
#include "platform/views/Palette.h"

namespace busdesk {

std::string OfflineDataLine::text(Date fetched) {
    return trFormat("离线数据（更新于 %1）", {formatDate(fetched, "yyyy-MM-dd HH:mm")});
}

std::shared_ptr<Label> OfflineDataLine::addTo(View& parent) {
    auto line = std::make_shared<Label>();
    line->setIdentifier("offlineDataLine");
    line->setTextAlignment(TextAlignment::Center);
    line->setFontSize(13);
    // Dark amber on a pale one: reads at well over 4.5:1.
    line->setTextColor(Color::of(ColorRole::OnNotice));
    line->setBackgroundColor(Color::of(ColorRole::Notice));
    line->setHidden(true);
    parent.addSubview(line);
    return line;
}

void OfflineDataLine::show(Label& line, View& content, const Rect& area, std::optional<Date> fetched) {
    if (fetched) line.setText(text(*fetched));
    line.setHidden(!fetched);
    layout(line, content, area);
}

void OfflineDataLine::layout(Label& line, View& content, const Rect& area) {
    const double top = line.hidden() ? 0 : kHeight;
    line.setFrame({area.x, area.y, area.width, kHeight});
    content.setFrame({area.x, area.y + top, area.width, area.height - top});
}

}  // namespace busdesk
