#include <gtest/gtest.h>

#include "ServiceTestSupport.h"
#include "core/Session.h"
#include "services/LoginResultService.h"
#include "services/OfficeCall.h"
#include "tests/support/ScriptedServer.h"

namespace busdesk::test {
namespace {

using LoginCalls = Calls<std::shared_ptr<LoginResult>, bool>;
using ChangeCalls = Calls<std::shared_ptr<ResultInfo>, bool>;

std::shared_ptr<LoginResult> session() {
    return Session::shared().loginResult();
}

class LoginResultServiceTest : public ServiceTest {
  protected:
    LoginCalls login(const std::string& card, const std::string& password) {
        LoginCalls calls;
        LoginResultService::GetLoginResult(card, password, calls.success(), calls.fail());
        EXPECT_TRUE(calls.wait());
        EXPECT_EQ(calls.total(), 1);
        EXPECT_FALSE(calls.offMainThread);
        return calls;
    }
};

TEST_F(LoginResultServiceTest, AcceptedLoginFillsTheSessionBeforeTheCallerHearsOfIt) {
    std::shared_ptr<LoginResult> seenInBlock;
    bool accepted = false;
    int calls = 0;
    LoginResultService::GetLoginResult(
        "10086", "123456",
        [&](const std::shared_ptr<LoginResult>& r, bool ok) {
            ++calls;
            accepted = ok;
            seenInBlock = session();
            EXPECT_EQ(seenInBlock, r);
        },
        [&] { ++calls; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return calls > 0; }));
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(accepted);
    ASSERT_TRUE(seenInBlock);
    EXPECT_EQ(seenInBlock->EmpID, "E10086");
    EXPECT_EQ(seenInBlock->Name, "张建国");
    EXPECT_EQ(seenInBlock->oneCardID, "880010086");
    EXPECT_EQ(seenInBlock->OrgID, "1");  // a JSON number, kept as its text

    auto sent = log_.sent("User_Login");
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->path, "/OfficeServiceQ/User_Login/");
    EXPECT_EQ(sent->query.at("CardID"), "10086");
    // The console never shows the password.
    EXPECT_EQ(sent->query.at("Password"), "***");
    EXPECT_TRUE(log_.has("JSON: {"));
}

TEST_F(LoginResultServiceTest, RefusedLoginReplacesTheSessionWithTheRefusal) {
    ASSERT_TRUE(login("10086", "123456").arg<1>());
    auto refused = login("10086", "wrong");
    ASSERT_EQ(refused.successes, 1);
    EXPECT_FALSE(refused.arg<1>());
    auto result = refused.arg<0>();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->FailReason, "用户名或密码错误");
    EXPECT_EQ(result->IsSuccess, "0");
    EXPECT_EQ(session(), result);
    EXPECT_FALSE(session()->EmpID);
}

TEST_F(LoginResultServiceTest, CardAndPasswordAreSentExactlyAsTyped) {
    auto calls = login(" 10086 ", "12 34&=");
    EXPECT_FALSE(calls.arg<1>());
    auto sent = log_.sent("User_Login");
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->query.at("CardID"), " 10086 ");
}

TEST_F(LoginResultServiceTest, FailedRequestLeavesTheSessionAlone) {
    ASSERT_TRUE(login("10086", "123456").arg<1>());
    auto before = session();
    sim::Fault f;
    f.status = 500;
    sim().faults().set("User_Login", f);
    auto calls = login("10086", "123456");
    EXPECT_EQ(calls.failures, 1);
    EXPECT_EQ(session(), before);
    EXPECT_TRUE(log_.has("Error: "));
}

TEST_F(LoginResultServiceTest, AnswerThatIsNoObjectEmptiesTheSessionAndIsNotAccepted) {
    for (auto body : {sim::Fault::Body::WrongKind, sim::Fault::Body::Empty, sim::Fault::Body::SingleSpace}) {
        ASSERT_TRUE(login("10086", "123456").arg<1>());
        sim().faults().set("User_Login", fault(body));
        auto calls = login("10086", "123456");
        sim().faults().clear();
        ASSERT_EQ(calls.successes, 1) << static_cast<int>(body);
        EXPECT_EQ(calls.arg<0>(), nullptr);
        EXPECT_FALSE(calls.arg<1>());
        EXPECT_EQ(session(), nullptr);
    }
}

TEST_F(LoginResultServiceTest, PasswordChangeRefusalsAndSuccess) {
    auto change = [](const std::optional<std::string>& card, const std::string& oldPw,
                     const std::string& newPw) {
        ChangeCalls calls;
        LoginResultService::changePasswordWithUsername(card, oldPw, newPw, calls.success(), calls.fail());
        EXPECT_TRUE(calls.wait());
        EXPECT_EQ(calls.successes, 1);
        EXPECT_EQ(calls.failures, 0);
        return calls;
    };
    // The account 20001 is a driver with the common initial password; nobody else changes it here.
    auto wrongOld = change("20001", "000000", "222222");
    ASSERT_TRUE(wrongOld.arg<0>());
    EXPECT_FALSE(wrongOld.arg<1>());
    EXPECT_EQ(wrongOld.arg<0>()->FailReason, "原密码错误");
    EXPECT_TRUE(log_.has("change password JSON: {"));

    // Without a remembered card number the parameter is left out, not sent empty.
    auto noCard = change(std::nullopt, "111111", "222222");
    EXPECT_FALSE(noCard.arg<1>());
    EXPECT_EQ(noCard.arg<0>()->FailReason, "参数不完整");
    auto sent = log_.sent("User_ChangePassword");
    ASSERT_TRUE(sent);
    EXPECT_FALSE(sent->has("CardID"));
    EXPECT_EQ(sent->query.at("OldPassword"), "***");
    EXPECT_EQ(sent->query.at("NewPassword"), "***");

    auto done = change("20001", "111111", "222222");
    EXPECT_TRUE(done.arg<1>());
    EXPECT_TRUE(done.arg<0>()->IsSuccess);
    // A password change never touches the session.
    EXPECT_EQ(session(), nullptr);
    EXPECT_TRUE(login("20001", "222222").arg<1>());
    EXPECT_TRUE(change("20001", "222222", "111111").arg<1>());
}

// Whatever goes wrong, no console line shows a password: the failing URL of every "Error:" line
// is masked as the "last url ==" line is.
TEST_F(LoginResultServiceTest, FailedLoginsAndPasswordChangesNeverPrintThePassword) {
    const std::string secret = "S3cret!Pw";
    auto check = [&](const std::string& what) {
        EXPECT_TRUE(log_.has("Error: ")) << what;
        for (const auto& line : log_.lines()) {
            EXPECT_EQ(line.find("S3cret"), std::string::npos) << what << ": " << line;
            EXPECT_EQ(line.find("Pw0ld"), std::string::npos) << what << ": " << line;
        }
        bool maskedURL = false;
        for (const auto& line : log_.withPrefix("Error: "))
            maskedURL = maskedURL || line.find("Password=***") != std::string::npos;
        EXPECT_TRUE(maskedURL) << what;
        log_.clear();
    };
    sim::Fault status;
    status.status = 500;
    sim::Fault plain;
    plain.contentType = "text/plain";  // a content type the JSON reader refuses
    for (const auto& f : {status, plain}) {
        sim().faults().set("User_Login", f);
        EXPECT_EQ(login("10086", secret).failures, 1);
        check("login");
        sim().faults().set("User_ChangePassword", f);
        ChangeCalls calls;
        LoginResultService::changePasswordWithUsername("10086", "Pw0ld", secret, calls.success(),
                                                       calls.fail());
        EXPECT_TRUE(calls.wait());
        EXPECT_EQ(calls.failures, 1);
        check("change");
        sim().faults().clear();
    }
    // Nobody listens on port 1: the connection is refused.
    PublicMethod::setOfficeBaseURL("http://127.0.0.1:1/");
    EXPECT_EQ(login("10086", secret).failures, 1);
    check("server down");
}

TEST_F(LoginResultServiceTest, LoginJSONLineHidesIdentityCardAddressTelephoneAndBirthday) {
    auto calls = login("10086", "123456");
    ASSERT_TRUE(calls.arg<1>());
    const auto& result = calls.arg<0>();
    ASSERT_TRUE(result && result->IDcard && result->address && result->telephone && result->birthday);
    auto lines = log_.withPrefix("JSON: ");
    ASSERT_EQ(lines.size(), 1u);
    const std::string& line = lines.front();
    for (const auto& key : {"IDcard", "address", "telephone", "birthday"})
        EXPECT_NE(line.find("\"" + std::string(key) + "\":\"***\""), std::string::npos)
            << key << ": " << line;
    for (const auto& value : {*result->IDcard, *result->address, *result->telephone, *result->birthday})
        EXPECT_EQ(line.find(value), std::string::npos) << value;
    // The rest of the line stays, and the session keeps the real values.
    EXPECT_NE(line.find("张建国"), std::string::npos);
    EXPECT_EQ(session()->IDcard, result->IDcard);
}

// Answers the substitute server never gives, from a scripted server.
class LoginOddAnswerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PublicMethod::setOfficeBaseURL(server().baseURL() + "login-odd/");
        Session::shared().setLoginResult(nullptr);
    }
    static ScriptedServer& server() { return ScriptedServer::shared(); }
    LoginCalls loginAnswered(const std::string& body) {
        server().respond("login-odd/OfficeServiceQ/User_Login/", 200, "application/json", body);
        LoginCalls calls;
        LoginResultService::GetLoginResult("1", "2", calls.success(), calls.fail());
        EXPECT_TRUE(calls.wait());
        EXPECT_EQ(calls.successes, 1) << body;
        return calls;
    }
};

TEST_F(LoginOddAnswerTest, IsSuccessIsReadAsAnInteger) {
    EXPECT_TRUE(loginAnswered(R"({"IsSuccess": true, "EmpID": "E1"})").arg<1>());
    EXPECT_FALSE(loginAnswered(R"({"IsSuccess": false, "EmpID": "E1"})").arg<1>());
    // The four letters "true" have no leading digits: integer value 0.
    EXPECT_FALSE(loginAnswered(R"({"IsSuccess": "true", "EmpID": "E1"})").arg<1>());
    EXPECT_TRUE(loginAnswered(R"({"IsSuccess": "1"})").arg<1>());
    EXPECT_TRUE(loginAnswered(R"({"IsSuccess": " 2abc"})").arg<1>());
    EXPECT_TRUE(loginAnswered(R"({"IsSuccess": 1})").arg<1>());
    EXPECT_FALSE(loginAnswered(R"({"IsSuccess": "0"})").arg<1>());
    EXPECT_FALSE(loginAnswered(R"({"EmpID": "E1"})").arg<1>());
}

TEST_F(LoginOddAnswerTest, BareJSONValueIsAFailedRequest) {
    // The JSON reader takes only an array or an object at the top level; a bare string is
    // unreadable, so the session stays as it was.
    ASSERT_TRUE(loginAnswered(R"({"IsSuccess": "1", "EmpID": "E1"})").arg<1>());
    auto before = session();
    server().respond("login-odd/OfficeServiceQ/User_Login/", 200, "application/json", R"("1")");
    LoginCalls calls;
    LoginResultService::GetLoginResult("1", "2", calls.success(), calls.fail());
    ASSERT_TRUE(calls.wait());
    EXPECT_EQ(calls.failures, 1);
    EXPECT_EQ(calls.successes, 0);
    EXPECT_EQ(session(), before);
}

TEST_F(LoginOddAnswerTest, NumericEmployeeIdentifierBecomesItsText) {
    auto calls = loginAnswered(R"({"IsSuccess": "1", "EmpID": 10086, "FailReason": null})");
    ASSERT_TRUE(calls.arg<1>());
    ASSERT_TRUE(session());
    EXPECT_EQ(session()->EmpID, "10086");
    EXPECT_FALSE(session()->FailReason);
}

TEST(LoginIntegerValue, LeadingDigitsOnly) {
    EXPECT_EQ(LoginResultService::integerValue(std::nullopt), 0);
    EXPECT_EQ(LoginResultService::integerValue(""), 0);
    EXPECT_EQ(LoginResultService::integerValue("true"), 0);
    EXPECT_EQ(LoginResultService::integerValue("12ab"), 12);
    EXPECT_EQ(LoginResultService::integerValue("  -7"), -7);
    EXPECT_EQ(LoginResultService::integerValue("+3"), 3);
    EXPECT_EQ(LoginResultService::integerValue("- 3"), 0);
    EXPECT_EQ(LoginResultService::integerValue("0001"), 1);
    // A long digit run saturates rather than wrapping round to zero or a negative number.
    EXPECT_EQ(LoginResultService::integerValue("99999999999999999999999"), LONG_MAX);
    EXPECT_EQ(LoginResultService::integerValue("-99999999999999999999999"), LONG_MIN);
}

TEST_F(LoginResultServiceTest, ALoginCancelledBySigningOutEndsInItsFailureAndLeavesTheSessionAlone) {
    sim::Fault slow;
    slow.latencyMs = 300;
    sim().faults().set("User_Login", slow);
    LoginCalls calls;
    LoginResultService::GetLoginResult("10086", "123456", calls.success(), calls.fail());
    OfficeCall::cancelPending();
    ASSERT_TRUE(calls.wait());
    EXPECT_EQ(calls.failures, 1);
    EXPECT_EQ(calls.successes, 0);
    EXPECT_FALSE(session());
    EXPECT_TRUE(log_.has("Error: Error Domain=NSURLErrorDomain Code=-999"));
    // Nothing was left to cancel twice, and a call made afterwards runs normally.
    OfficeCall::cancelPending();
    sim().faults().clear();
    auto again = login("10086", "123456");
    EXPECT_EQ(again.successes, 1);
    EXPECT_TRUE(session());
}

}  // namespace
}  // namespace busdesk::test
