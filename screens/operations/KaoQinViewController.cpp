#include "screens/operations/KaoQinViewController.h"

#include "platform/Translation.h"
#include "platform/views/NavigationController.h"
#include "screens/operations/KaoQinListViewController.h"
#include "screens/query/QueryForm.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

void KaoQinViewController::viewDidLoad() {
    screen::setNavTitleBar(*this, tr("考勤信息"));
    lblStart_ = form::caption(*view(), tr("起始日期："));
    lblEnd_ = form::caption(*view(), tr("结束日期："));
    range = DateRangeInput::addTo(*view());
    btnSearch = form::queryButton(*view(), "Search", action(&KaoQinViewController::Search));
    layout();
}

void KaoQinViewController::viewDidLayoutSubviews() {
    layout();
}

void KaoQinViewController::layout() {
    if (!btnSearch) return;
    form::Rows rows(*view());
    // One row after the other, in reading order: the order in which two arguments are worked out
    // is the compiler's choice.
    const Rect start = rows.field(*lblStart_);
    const Rect end = rows.field(*lblEnd_);
    range->layout(start, end);
    btnSearch->setFrame(rows.button());
}

void KaoQinViewController::Search() {
    if (!range->check(*view())) return;
    auto list = std::make_shared<KaoQinListViewController>();
    list->bDate = range->tf_Btime->text();
    list->eDate = range->tf_Etime->text();
    if (auto nav = navigationController()) nav->pushViewController(list, true);
}

}  // namespace busdesk
