#include "screens/core/LeftMenuBottomNarbarViewController.h"

#include "core/AppInfo.h"
#include "platform/Log.h"
#include "platform/Translation.h"
#include "platform/views/AlertView.h"
#include "platform/views/Palette.h"
#include "ui/SideMenu.h"

namespace busdesk {

namespace {
LeftMenuBottomNarbarViewController::NewestCheck& newestCheck() {
    static LeftMenuBottomNarbarViewController::NewestCheck check;
    return check;
}
std::function<void()>& download() {
    static std::function<void()> d;
    return d;
}
}  // namespace

void LeftMenuBottomNarbarViewController::setNewestCheck(NewestCheck check) {
    newestCheck() = std::move(check);
}
void LeftMenuBottomNarbarViewController::setDownload(std::function<void()> d) {
    download() = std::move(d);
}

std::string LeftMenuBottomNarbarViewController::buildVersion() {
    return AppInfo::buildVersion();
}

void LeftMenuBottomNarbarViewController::viewDidLoad() {
    view()->setBackgroundColor(Color::clear());
    btnVersion = std::make_shared<Button>(view()->bounds(), "V " + buildVersion());
    btnVersion->setIdentifier("btnVersion");
    btnVersion->setTitleColor(Color::of(ColorRole::OnMenu));
    btnVersion->addAction(action(&LeftMenuBottomNarbarViewController::versionAction));
    view()->addSubview(btnVersion);
}

void LeftMenuBottomNarbarViewController::viewDidLayoutSubviews() {
    if (btnVersion) btnVersion->setFrame(view()->bounds());
}

void LeftMenuBottomNarbarViewController::versionAction() {
    std::string version = buildVersion();
    Log::line("version:" + version);
    bool newest = newestCheck() ? newestCheck()(version) : false;
    if (newest) {
        std::make_shared<AlertView>(tr("温馨提示"), trFormat("当前版本为最新版，版本号为%1", {version}),
                                    std::string(tr("关闭")), std::vector<std::string>{})
            ->show();
        if (auto menu = sideMenuViewController(*this)) menu->hideMenuViewController();
        return;
    }
    std::make_shared<AlertView>(tr("温馨提示"), tr("您确定要下载最新版本"), std::string(tr("取消")),
                                std::vector<std::string>{tr("确定")},
                                whileAlive<LeftMenuBottomNarbarViewController>(
                                    [](LeftMenuBottomNarbarViewController& self, AlertView&, int index) {
                                        if (index == 1) self.banben();
                                    }))
        ->show();
}

void LeftMenuBottomNarbarViewController::banben() {
    if (download())
        download()();
    else
        Log::line("banben: no download source is configured");
}

}  // namespace busdesk
