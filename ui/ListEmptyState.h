#pragma once

#include <memory>
#include <string>

#include "platform/views/Label.h"
#include "platform/views/TableView.h"

namespace busdesk {

// The text in a list's place while it has no rows ("暂无数据", "网络异常！"): what a toast said,
// kept in sight until rows arrive, for a user who looked away while the toast faded.
class ListEmptyState {
  public:
    // A hidden label (`emptyState`) added to `parent`, above what is already there.
    static std::shared_ptr<Label> addTo(View& parent);
    // Shows `text` where the list's first row would be (under its header), unless the list has
    // rows or `text` is empty: then the label is hidden.
    static void show(Label& state, const TableView& list, const std::string& text);
};

}  // namespace busdesk
