#include "screens/core/HomeAdvertiseViewController.h"

#include <algorithm>
#include <chrono>

#include "core/RememberedCredentials.h"
#include "platform/RunLoop.h"
#include "platform/Translation.h"
#include "platform/views/NavigationController.h"
#include "screens/core/MainViewController.h"
#include "services/OfficeQueries.h"
#include "ui/RemoteImageLoader.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

namespace {
// Byte offset of the code point `index` (counting from 0), or npos when the text is shorter.
std::size_t codePointOffset(const std::string& text, std::size_t index) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (seen == index) return i;
        ++seen;
    }
    return seen == index ? text.size() : std::string::npos;
}
}  // namespace

bool HomeAdvertiseViewController::showsInitialPasswordReminder(
    const std::optional<std::string>& idCard, const std::optional<std::string>& rememberedPassword) {
    if (!idCard || !rememberedPassword) return false;
    std::size_t from = codePointOffset(*idCard, 12);
    if (from == std::string::npos) return false;
    return idCard->compare(from, std::string::npos, *rememberedPassword) == 0;
}

void HomeAdvertiseViewController::viewDidLoad() {
    ivAdvertise = std::make_shared<ImageView>(view()->bounds());
    ivAdvertise->setIdentifier("ivAdvertise");
    ivAdvertise->setContentMode(ContentMode::ScaleAspectFill);
    view()->addSubview(ivAdvertise);

    // The remembered password lives in the keyring, which may still be answering.
    RememberedCredentials::shared().whenLoaded(
        whileAlive<HomeAdvertiseViewController>([](HomeAdvertiseViewController& self) {
            auto& remembered = RememberedCredentials::shared();
            if (showsInitialPasswordReminder(remembered.idCard(), remembered.password()))
                screen::setAlertInfo(tr("请尽快修改您的初始密码"), *self.view());
        }));

    runQuery<std::string>(
        OfficeQueries::companyLogo(),
        whileAlive<HomeAdvertiseViewController>([](HomeAdvertiseViewController& self, std::string address) {
            address.erase(std::remove(address.begin(), address.end(), '"'), address.end());
            if (!address.empty()) setImageWithURL(*self.ivAdvertise, address);
            RunLoop::main().postDelayed(secondsDuration(kShowSeconds),
                                        self.whileAlive<HomeAdvertiseViewController>(
                                            [](HomeAdvertiseViewController& s) { s.goMainWindow(); }));
        }),
        whileAlive<HomeAdvertiseViewController>(
            [](HomeAdvertiseViewController& self) { self.goMainWindow(); }));
}

void HomeAdvertiseViewController::viewDidLayoutSubviews() {
    if (ivAdvertise) ivAdvertise->setFrame(view()->bounds());
}

void HomeAdvertiseViewController::viewWillAppear(bool animated) {
    (void)animated;
    if (auto nav = navigationController()) nav->setNavigationBarHidden(true);
}

void HomeAdvertiseViewController::viewWillDisappear(bool animated) {
    (void)animated;
    if (auto nav = navigationController()) nav->setNavigationBarHidden(false);
}

void HomeAdvertiseViewController::goMainWindow() {
    auto nav = navigationController();
    // Only from the top: the home page goes above the picture once.
    if (!nav || nav->topViewController().get() != this) return;
    nav->pushViewController(std::make_shared<MainViewController>(), false);
}

}  // namespace busdesk
