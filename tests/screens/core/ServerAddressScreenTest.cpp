#include <algorithm>

#include "CoreScreensFixture.h"
#include "core/AppInfo.h"
#include "core/OfficeAddress.h"
#include "screens/core/ServerAddressViewController.h"
#include "screens/core/SettingViewController.h"

namespace busdesk::test {
namespace {

namespace fs = std::filesystem;

// The settings screen's "服务器地址" row and the screen behind it, inside a signed-in shell. The
// addresses come from the sources as at launch: here a system file naming the test's server.
class ServerAddressTest : public CoreScreensTest {
  protected:
    void SetUp() override {
        CoreScreensTest::SetUp();
        systemFile_ = Paths::profileDir() + "/xdg/busdesk/busdesk.conf";
        fs::create_directories(fs::path(systemFile_).parent_path());
        std::ofstream(systemFile_) << "server=" << sim().baseURL() << "\n";
        auto sources = OfficeAddress::sourcesFor(std::nullopt, std::nullopt);
        sources.systemFiles = {systemFile_};
        OfficeAddress::apply(sources);
        signIn(R"({"IsSuccess":"1","EmpID":"E1","Name":"王五"})");
        window->setRootViewController(NavigationShell::build());
        NavigationShell::showContent(*shell()->contentViewController(),
                                     std::make_shared<SettingViewController>());
        // The shell's advertising screen asks for the logo; its request ends before a test counts.
        screen();
    }
    void TearDown() override {
        OfficeAddress::apply({});
        CoreScreensTest::TearDown();
    }
    std::string userFile() const { return Paths::configDir() + "/busdesk.conf"; }

    std::string systemFile_;
};

TEST_F(ServerAddressTest, TheRowShowsTheAddressInUseItsSourceAndTheVersion) {
    std::string s = screen();
    EXPECT_TRUE(contains(s, "\"" + std::string(ServerAddressViewController::kTitle) + "\"")) << s;
    EXPECT_TRUE(contains(s, sim().baseURL() + "\\n系统设置 " + systemFile_)) << s;
    EXPECT_TRUE(contains(s, "\"版本 " + AppInfo::version() + "\"")) << s;
    ASSERT_TRUE(run("tap #serverAddress\nexpect \"当前地址：" + sim().baseURL() +
                    "\"\nexpect \"来源：系统设置 " + systemFile_ + "\"\n"));
    ASSERT_TRUE(top<ServerAddressViewController>());
    EXPECT_EQ(top<ServerAddressViewController>()->tf_server->text(), sim().baseURL());
}

TEST_F(ServerAddressTest, AnInvalidAddressIsRefusedAndNothingIsSavedOrSent) {
    long before = sim().requestCount();
    ASSERT_TRUE(
        run("tap #serverAddress\n"
            "type #tf_server office.example:8088\n"
            "tap #saveAddress\n"
            "expect toast: \"服务器地址无效：须以 http:// 或 https:// 开头\"\n"
            "type #tf_server http://office.example/?x=1\n"
            "tap #testConnection\n"
            "expect toast: \"服务器地址无效：地址中不能包含“?”或“#”\"\n"
            "type #tf_server http://me:pw@office.example/\n"
            "tap #saveAddress\n"
            "expect toast: \"服务器地址无效：地址中不能包含用户名或密码\"\n"));
    EXPECT_FALSE(fs::exists(userFile()));
    EXPECT_EQ(PublicMethod::officeBaseURL(), sim().baseURL());
    EXPECT_EQ(sim().requestCount(), before);
}

TEST_F(ServerAddressTest, TestingSendsOneRequestToTheTypedAddressAndSaysWhetherItAnswered) {
    long before = sim().requestCount();
    const auto earlier = static_cast<std::ptrdiff_t>(logLines().size());
    ASSERT_TRUE(run("tap #serverAddress\ntap #testConnection\nexpect toast: \"连接成功\"\n"));
    EXPECT_EQ(sim().requestCount(), before + 1);
    const std::string sent = "last url == " + sim().baseURL() + "OfficeServiceQ/Query_CompanyLogo";
    EXPECT_EQ(std::count(logLines().begin() + earlier, logLines().end(), sent), 1);

    // A server that answers with an error status is no office server.
    sim().faults().set("Query_CompanyLogo", sim::Fault{std::nullopt, 404, std::nullopt, std::nullopt});
    ASSERT_TRUE(run("tap #testConnection\nexpect toast: \"连接失败：\n"));
    sim().faults().clear();

    // Nothing listens on port 1 of the loopback: the transport's reason is shown. The address in
    // use is not touched by a test.
    ASSERT_TRUE(
        run("type #tf_server http://127.0.0.1:1/\ntap #testConnection\nexpect toast: \"连接失败：\n"));
    EXPECT_EQ(PublicMethod::officeBaseURL(), sim().baseURL());
    EXPECT_FALSE(contains(screen(), "progressHUD"));
}

TEST_F(ServerAddressTest, SavingUsesTheAddressAtOnceAndABlankFieldGoesBackToTheSystemFile) {
    ASSERT_TRUE(
        run("tap #serverAddress\n"
            "type #tf_server http://127.0.0.1:1\n"
            "tap #saveAddress\n"
            "expect toast: \"已保存\"\n"
            "expect \"当前地址：http://127.0.0.1:1/\"\n"
            "expect \"来源：个人设置 " +
            userFile() + "\"\n"));
    EXPECT_EQ(PublicMethod::officeBaseURL(), "http://127.0.0.1:1/");
    std::ifstream in(userFile());
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "server=http://127.0.0.1:1/");

    // Back on the settings screen, the row shows the new address.
    ASSERT_TRUE(run("back\nexpect \"http://127.0.0.1:1/\\n个人设置 " + userFile() + "\"\n"));

    ASSERT_TRUE(
        run("tap #serverAddress\ntype #tf_server \"\"\ntap #saveAddress\n"
            "expect toast: \"已清除个人设置的地址\"\n"
            "expect \"来源：系统设置 " +
            systemFile_ + "\"\n"));
    EXPECT_EQ(PublicMethod::officeBaseURL(), sim().baseURL());
}

TEST_F(ServerAddressTest, TheProblemsOfTheFilesAreShownWithTheirLines) {
    std::ofstream(systemFile_) << "server=" << sim().baseURL() << "\nport=8088\n";
    auto sources = OfficeAddress::sourcesFor(std::nullopt, std::nullopt);
    sources.systemFiles = {systemFile_};
    OfficeAddress::apply(sources);
    ASSERT_TRUE(run("tap #serverAddress\nexpect \"配置文件有误：\\n" + systemFile_ +
                    ":2: unknown key \\\"port\\\" (known: server, culture); line skipped\"\n"));
}

}  // namespace
}  // namespace busdesk::test
