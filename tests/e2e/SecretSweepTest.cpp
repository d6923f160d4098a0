// A whole session of the headless program on a fresh profile with a keyring: sign in with
// "记住密码", every menu row, a feedback; a new start signed in from the keyring; sign out. No file
// the sessions wrote holds the password or the identity-card number, and every file and folder is
// the user's alone.
#include <gtest/gtest.h>

#include "HeadlessFlowFixture.h"
#include "tests/support/PrivateSecretService.h"
#include "tests/support/SecretSweep.h"

namespace busdesk {
namespace {

using namespace busdesk::test;

class SecretSweep : public HeadlessFlow {
  protected:
    void SetUp() override {
        HeadlessFlow::SetUp();
        ASSERT_TRUE(keyring_.running()) << keyring_.error();
        ASSERT_TRUE(giveSweepPassword(sim_->port()));
    }
    std::vector<std::string> findings() const {
        return secretFindings(dir_ / "profile", {kSweepPassword, kSweepIDcard});
    }
    PrivateSecretService keyring_;
};

TEST_F(SecretSweep, AWholeSessionLeavesNoSecretInAnyFile) {
    std::string script;
    for (const auto& line : wholeSessionScript()) script += line + "\n";
    auto first = run(script + "quit\n");
    ASSERT_EQ(first.status, 0) << first.screen;
    // Remembered where it belongs, and nowhere else.
    auto item = keyring_.item("10086");
    ASSERT_TRUE(item);
    EXPECT_NE(item->secret.find(kSweepPassword), std::string::npos);
    EXPECT_NE(item->secret.find(kSweepIDcard), std::string::npos);
    auto afterFirst = findings();
    EXPECT_TRUE(afterFirst.empty()) << ::testing::PrintToString(afterFirst);

    // A new start: the login screen has the password from the keyring; then sign out.
    auto second =
        run("expect field #username: \"10086\"\nexpect field #password: \"•••••••••••\"\n"
            "tap #loginAction\nwait 4\nexpect 上次刷新时间\nmenu right\ntap #signOut\nexpect #loginAction\n"
            "quit\n");
    ASSERT_EQ(second.status, 0) << second.screen;
    EXPECT_TRUE(keyring_.items().empty());
    auto afterSecond = findings();
    EXPECT_TRUE(afterSecond.empty()) << ::testing::PrintToString(afterSecond);
}

}  // namespace
}  // namespace busdesk
