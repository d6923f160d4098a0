#include <gtest/gtest.h>

#include "app/NetworkLoaders.h"
#include "platform/RunLoop.h"
#include "platform/views/WebView.h"
#include "server/OfficeSimulator.h"

namespace busdesk {
namespace {

// The web view's loader serves both the page and the pictures in it.
std::optional<std::string> load(const std::string& url) {
    bool done = false;
    std::optional<std::string> body;
    WebView::loader()(url, [&](std::optional<std::string> b) {
        body = std::move(b);
        done = true;
    });
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return done; }, std::chrono::milliseconds(10000)));
    return body;
}

TEST(NetworkLoaders, PagesArriveAsTextAndPicturesAsTheirBytes) {
    sim::OfficeSimulator server;
    ASSERT_TRUE(server.start()) << server.lastError();
    installNetworkLoaders();

    auto page = load(server.baseURL() + "LXVoffice/index.html");
    ASSERT_TRUE(page);
    EXPECT_NE(page->find("文明"), std::string::npos);

    auto picture = load(server.baseURL() + "static/culture.png");
    ASSERT_TRUE(picture);
    ASSERT_GE(picture->size(), 8u);
    EXPECT_EQ(picture->substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));

    EXPECT_EQ(load(server.baseURL() + "static/nosuch.png"), std::nullopt);
    server.stop();
    WebView::setLoader({});
}

}  // namespace
}  // namespace busdesk
