#include "ui/ListEmptyState.h"

#include "platform/views/Palette.h"

namespace busdesk {

std::shared_ptr<Label> ListEmptyState::addTo(View& parent) {
    auto state = std::make_shared<Label>();
    state->setIdentifier("emptyState");
    state->setTextAlignment(TextAlignment::Center);
    state->setTextColor(Color::of(ColorRole::SecondaryText));
    state->setFontSize(15);
    state->setHidden(true);
    parent.addSubview(state);
    return state;
}

void ListEmptyState::show(Label& state, const TableView& list, const std::string& text) {
    if (text.empty() || list.totalRows() > 0) {
        state.setHidden(true);
        return;
    }
    const Rect frame = list.frame();
    const auto header = list.tableHeaderView();
    const double top = frame.y + (header ? header->frame().height : 0) + 24;
    state.setFrame({frame.x, top, frame.width, 24});
    state.setText(text);
    state.setHidden(false);
}

}  // namespace busdesk
