#include <gtest/gtest.h>

#include <optional>

#include "platform/Keyring.h"
#include "platform/RunLoop.h"
#include "platform/SecretServiceKeyring.h"
#include "tests/support/PrivateSecretService.h"

using namespace busdesk;
using busdesk::test::PrivateSecretService;
using Status = Keyring::Status;

namespace {

// The answers of the keyring's calls, waited for on the main loop.
struct Answers {
    Status store(Keyring& k, const std::string& account, const std::string& secret) {
        std::optional<Status> s;
        k.store(account, "BusDesk – " + account, SecretBytes(secret), [&](Status st) { s = st; });
        wait([&] { return s.has_value(); });
        return s.value_or(Status::Unavailable);
    }
    std::pair<Status, std::string> lookup(Keyring& k, const std::string& account) {
        std::optional<std::pair<Status, std::string>> r;
        k.lookup(account,
                 [&](Status st, const SecretBytes& secret) { r.emplace(st, std::string(secret.view())); });
        wait([&] { return r.has_value(); });
        return r.value_or(std::make_pair(Status::Unavailable, std::string()));
    }
    Status remove(Keyring& k, const std::string& account) {
        std::optional<Status> s;
        k.remove(account, [&](Status st) { s = st; });
        wait([&] { return s.has_value(); });
        return s.value_or(Status::Unavailable);
    }
    Status probe(Keyring& k) {
        std::optional<Status> s;
        k.probe([&](Status st) { s = st; });
        wait([&] { return s.has_value(); });
        return s.value_or(Status::Unavailable);
    }
    static void wait(const std::function<bool()>& done) { ASSERT_TRUE(RunLoop::main().runUntil(done)); }
};

class KeyringTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(service_.running()) << service_.error(); }
    PrivateSecretService service_;
    Answers a_;
};

}  // namespace

TEST_F(KeyringTest, AStoredSecretComesBackIsReplacedAndRemoved) {
    auto keyring = Keyring::shared();
    EXPECT_EQ(a_.probe(*keyring), Status::Done);
    EXPECT_EQ(a_.lookup(*keyring, "10086").first, Status::NotFound);

    EXPECT_EQ(a_.store(*keyring, "10086", R"({"password":"开门 123456"})"), Status::Done);
    EXPECT_EQ(a_.lookup(*keyring, "10086"),
              std::make_pair(Status::Done, std::string(R"({"password":"开门 123456"})")));
    // One item per account: a second store replaces it.
    EXPECT_EQ(a_.store(*keyring, "10086", "second"), Status::Done);
    EXPECT_EQ(a_.lookup(*keyring, "10086").second, "second");
    EXPECT_EQ(service_.items().size(), 1u);
    // Another account is another item.
    EXPECT_EQ(a_.lookup(*keyring, "10010").first, Status::NotFound);

    EXPECT_EQ(a_.remove(*keyring, "10086"), Status::Done);
    EXPECT_EQ(a_.remove(*keyring, "10086"), Status::NotFound);
    EXPECT_EQ(a_.lookup(*keyring, "10086").first, Status::NotFound);
    EXPECT_TRUE(service_.items().empty());
}

TEST_F(KeyringTest, AnItemIsLabelledAndNamesTheApplicationAndTheAccount) {
    auto keyring = Keyring::shared();
    ASSERT_EQ(a_.store(*keyring, "10086", "pw"), Status::Done);
    auto item = service_.item("10086");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->label, "BusDesk – 10086");
    EXPECT_EQ(item->attributes["application"], "busdesk");
    EXPECT_EQ(item->attributes["account"], "10086");
    EXPECT_EQ(item->secret, "pw");
    // Another application's item with the same account is not ours.
    auto other = std::make_shared<SecretServiceKeyring>("other");
    EXPECT_EQ(a_.lookup(*other, "10086").first, Status::NotFound);
}

TEST_F(KeyringTest, CallsAreAnsweredInTheOrderTheyWereMade) {
    auto keyring = Keyring::shared();
    std::vector<std::string> order;
    keyring->store("10086", "BusDesk – 10086", SecretBytes(std::string_view("a")),
                   [&](Status) { order.push_back("store"); });
    keyring->remove("10086",
                    [&](Status s) { order.push_back(s == Status::Done ? "removed" : "nothing to remove"); });
    std::optional<Status> last;
    keyring->lookup("10086", [&](Status s, const SecretBytes&) {
        order.push_back("lookup");
        last = s;
    });
    // Counted as outstanding work until answered.
    ASSERT_TRUE(RunLoop::main().runUntilIdle());
    EXPECT_EQ(order, (std::vector<std::string>{"store", "removed", "lookup"}));
    EXPECT_EQ(last, Status::NotFound);
}

TEST_F(KeyringTest, AKeyringThatGoesAwayAnswersUnavailableAndNothingHangs) {
    auto keyring = Keyring::shared();
    ASSERT_EQ(a_.store(*keyring, "10086", "pw"), Status::Done);
    service_.stop();
    EXPECT_EQ(a_.lookup(*keyring, "10086").first, Status::Unavailable);
    EXPECT_EQ(a_.store(*keyring, "10086", "pw"), Status::Unavailable);
    EXPECT_EQ(a_.remove(*keyring, "10086"), Status::Unavailable);
}

TEST(KeyringWithoutServiceTest, EveryCallAnswersUnavailable) {
    test::useNoSessionBus();
    auto keyring = std::make_shared<SecretServiceKeyring>("busdesk");
    Answers a;
    EXPECT_EQ(a.probe(*keyring), Status::Unavailable);
    EXPECT_EQ(a.store(*keyring, "10086", "pw"), Status::Unavailable);
    auto [status, secret] = a.lookup(*keyring, "10086");
    EXPECT_EQ(status, Status::Unavailable);
    EXPECT_TRUE(secret.empty());
    EXPECT_EQ(a.remove(*keyring, "10086"), Status::Unavailable);
}
