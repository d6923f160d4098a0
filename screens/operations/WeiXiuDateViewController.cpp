#include "screens/operations/WeiXiuDateViewController.h"

#include "core/PublicMethod.h"
#include "core/SettingsKeys.h"
#include "platform/Translation.h"
#include "platform/views/NavigationController.h"
#include "screens/operations/WeiXiuDetailViewController.h"
#include "screens/query/QueryForm.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

void WeiXiuDateViewController::viewDidLoad() {
    screen::setNavTitleBar(*this, tr(titleStr));
    lblBus_ = form::caption(*view(), tr("车号："));
    lblStart_ = form::caption(*view(), tr("起始日期："));
    lblEnd_ = form::caption(*view(), tr("结束日期："));
    tf_busNo = form::textField(*view(), "tf_busNo", tr("请输入车号"));
    if (auto stored = PublicMethod::getStringForKey(kBuselfid); !PublicMethod::isBlankString(stored))
        tf_busNo->setText(*stored);
    range = DateRangeInput::addTo(*view());
    btnShowDetail = form::queryButton(*view(), "ShowDetail", action(&WeiXiuDateViewController::ShowDetail));
    layout();
    canRe();
}

void WeiXiuDateViewController::viewDidLayoutSubviews() {
    layout();
}

void WeiXiuDateViewController::layout() {
    if (!btnShowDetail) return;
    form::Rows rows(*view());
    tf_busNo->setFrame(rows.field(*lblBus_));
    Rect start = rows.field(*lblStart_);
    range->layout(start, rows.field(*lblEnd_));
    btnShowDetail->setFrame(rows.button());
}

bool WeiXiuDateViewController::canRe() {
    canRequest = queryRangeAllowed(range->tf_Btime->text(), range->tf_Etime->text());
    return canRequest;
}

void WeiXiuDateViewController::ShowDetail() {
    // The vehicle is remembered before anything is checked; an empty one is allowed and sent.
    if (!tf_busNo->text().empty()) PublicMethod::setObject(tf_busNo->text(), kBuselfid);
    // The empty-field messages come before the range rule, which never sees a missing date.
    if (!range->check(*view())) return;
    if (!canRe()) {
        screen::setAlertInfo(tr(kTooLongText), *view());
        return;
    }
    auto detail = std::make_shared<WeiXiuDetailViewController>();
    detail->titleStr = titleStr;
    detail->busNo = tf_busNo->text();
    detail->bDate = range->tf_Btime->text();
    detail->eDate = range->tf_Etime->text();
    if (auto nav = navigationController()) nav->pushViewController(detail, true);
}

}  // namespace busdesk
