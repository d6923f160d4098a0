// The self-service flow as a newcomer drives it: the headless app, a script, and the substitute
// office server on a loopback port.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "HeadlessFlowFixture.h"
#include "app/Application.h"
#include "core/Session.h"
#include "platform/Image.h"
#include "platform/Paths.h"
#include "server/OfficeSimulator.h"

namespace busdesk {
namespace {

namespace fs = std::filesystem;

class SelfServiceFlow : public test::HeadlessFlow {
  protected:
    // Two photos in the album of the app's profile.
    void fillAlbum() {
        auto album = dir_ / "profile" / "data" / "Album";
        fs::create_directories(album);
        for (int i = 1; i <= 2; ++i) {
            Image photo{320, 240,
                        std::vector<std::uint8_t>(320 * 240 * 4, static_cast<std::uint8_t>(90 * i))};
            std::ofstream(album / ("p" + std::to_string(i) + ".png"), std::ios::binary) << photo.pngData();
        }
    }
};

TEST_F(SelfServiceFlow, PayslipMealCardRidesAndFeedbackWithTwoPhotosFoundInTheList) {
    fillAlbum();
    auto r = run(R"script(type #username 10086
type #password 123456
tap #loginAction
wait 3
# last month's payslip
menu right
tap #ShowSalary
expect "薪资查看"
tap #query
expect "查询月份：2014年04月"
expect "实发金额"
expect "实发工资："
# the meal card, tab by tab
menu right
tap #ShowLunch
expect "个人就餐"
expect "充值时间/地点"
tap 消费记录
expect "消费时间/地点"
tap 补贴记录
expect "补贴余额(元)"
# the bus card
menu right
tap #ShowBusRecord
expect "乘车记录"
expect "线路名称："
# feedback with two photos
menu right
tap #ShowFeedBack
expect "车况信息反馈"
tap #lblType
pick 投诉
type #txtDesc 12004号车左后视镜松动，请检修。
tap #addPhoto
alert 从手机相册获取
tap p1.png
tap p2.png
tap #finishPicking
expect "完成(2)"
tap #finish
expect "photos #photoView: 2"
tap #submit
expect toast: "提交成功"
expect "photos #photoView: 0"
tap #showList
expect "意见列表"
expect "提问内容：12004号车左后视镜松动，请检修。"
expect "类型：投诉"
# the newest row is the new feedback: its first picture opens the browser on its two photos
tap #picture
expect "图片预览"
expect "uploads/"
dump
quit
)script");
    ASSERT_EQ(r.status, 0) << r.screen;
    auto browser = r.screen.substr(r.screen.rfind("图片预览"));
    EXPECT_TRUE(browser.find("1/2") != std::string::npos) << browser;
    // The photo came back from the server as the picture that was sent.
    EXPECT_TRUE(browser.find("320x240 from ") != std::string::npos) << browser;
    std::size_t stored = 0;
    for (auto& entry : fs::recursive_directory_iterator(dir_ / "office-data"))
        if (entry.is_regular_file()) ++stored;
    EXPECT_EQ(stored, 2u);
}

}  // namespace
}  // namespace busdesk
