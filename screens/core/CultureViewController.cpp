#include "screens/core/CultureViewController.h"

#include "core/PublicMethod.h"
#include "platform/Translation.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

std::string CultureViewController::pageURL() {
    return PublicMethod::cultureBaseURL() + kPagePath;
}

void CultureViewController::viewDidLoad() {
    screen::setNavTitleBar(*this, tr("企业文化"));
    aWebview = std::make_shared<WebView>(view()->bounds());
    aWebview->setIdentifier("aWebview");
    aWebview->setScalesPageToFit(true);
    view()->addSubview(aWebview);
    aWebview->loadURL(pageURL());
}

void CultureViewController::viewDidLayoutSubviews() {
    if (aWebview) aWebview->setFrame(view()->bounds());
}

}  // namespace busdesk
