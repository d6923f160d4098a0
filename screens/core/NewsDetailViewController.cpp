#include "screens/core/NewsDetailViewController.h"

#include <algorithm>

#include "core/PublicMethod.h"
#include "platform/Translation.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

void NewsDetailViewController::viewDidLoad() {
    screen::setNavTitleBarWithLeftBTAndTitle(*this, title());
    lblTitle = std::make_shared<Label>(Rect{}, titleStr);
    lblTitle->setIdentifier("lblTitle");
    lblTitle->setFontSize(18);
    lblTitle->setBoldFont(true);
    lblTitle->setNumberOfLines(0);
    lblTitle->setTextAlignment(TextAlignment::Center);
    people = std::make_shared<Label>(Rect{}, trFormat("发布人：%1", {peopleStr}));
    people->setIdentifier("people");
    people->setFontSize(13);
    time = std::make_shared<Label>(Rect{}, trFormat("发布时间：%1", {timeStr}));
    time->setIdentifier("time");
    time->setFontSize(13);
    webV = std::make_shared<WebView>();
    webV->setIdentifier("webV");
    for (const auto& v : std::initializer_list<std::shared_ptr<View>>{lblTitle, people, time, webV})
        view()->addSubview(v);
    // Relative pictures and links of the body resolve against the office server.
    webV->loadHTMLString(contentHtml, PublicMethod::officeBaseURL());
    layout();
}

void NewsDetailViewController::viewDidLayoutSubviews() {
    layout();
}

void NewsDetailViewController::layout() {
    if (!webV) return;
    Rect b = view()->bounds();
    lblTitle->setFrame({10, 8, b.width - 20, 50});
    people->setFrame({10, 62, (b.width - 20) / 2, 22});
    time->setFrame({b.width / 2, 62, b.width / 2 - 10, 22});
    webV->setFrame({0, 90, b.width, std::max(0.0, b.height - 90)});
}

void NewsDetailViewController::viewDidAppear(bool animated) {
    (void)animated;
    if (!newid.empty()) PublicMethod::setNewsRead(newid);
}

}  // namespace busdesk
