#include <gtest/gtest.h>

#include "net/SecurityPolicy.h"
#include "net/URLError.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/ScriptedServer.h"

namespace busdesk::test {
namespace {

class TLSTest : public ::testing::Test {
  protected:
    ScriptedServer& server = ScriptedServer::shared(ScriptedServer::Mode::TLS);
    std::shared_ptr<HTTPRequestOperationManager> manager = HTTPRequestOperationManager::manager();
    Outcome outcome;

    void SetUp() override { server.respond("secure", 200, "application/json", R"({"ok":true})"); }
    void run() {
        manager->GET(server.url("secure"), std::nullopt, outcome.success(), outcome.failure());
        ASSERT_TRUE(outcome.wait());
        drainMainQueue();
        EXPECT_EQ(outcome.calls(), 1);
    }
};

TEST_F(TLSTest, DefaultPolicyVerifiesChainAndHost) {
    auto policy = SecurityPolicy::defaultPolicy();
    EXPECT_EQ(policy->SSLPinningMode, SSLPinning::None);
    EXPECT_TRUE(policy->validatesCertificateChain);
    EXPECT_TRUE(policy->validatesDomainName);
    EXPECT_FALSE(policy->allowInvalidCertificates);
    run();
    ASSERT_EQ(outcome.failures, 1);
    EXPECT_EQ(outcome.error->domain, kURLErrorDomain);
    EXPECT_EQ(outcome.error->code, URLErrorCode::ServerCertificateUntrusted);
}

TEST_F(TLSTest, SelfSignedAcceptedWhenInvalidCertificatesAllowed) {
    manager->securityPolicy = SecurityPolicy::defaultPolicy();
    manager->securityPolicy->allowInvalidCertificates = true;
    run();
    ASSERT_EQ(outcome.successes, 1);
    EXPECT_TRUE(outcome.object.json->at("ok").as_bool());
}

TEST_F(TLSTest, CertificatePinningTrustsOnlyThePinnedCertificate) {
    manager->securityPolicy = SecurityPolicy::policyWithPinningMode(SSLPinning::Certificate);
    manager->securityPolicy->pinnedCertificates = {server.certificateDER()};
    run();
    EXPECT_EQ(outcome.successes, 1);

    ScriptedServer other(ScriptedServer::Mode::TLS);
    Outcome wrong;
    auto m = HTTPRequestOperationManager::manager();
    m->securityPolicy = SecurityPolicy::policyWithPinningMode(SSLPinning::Certificate);
    m->securityPolicy->pinnedCertificates = {other.certificateDER()};
    m->GET(server.url("secure"), std::nullopt, wrong.success(), wrong.failure());
    ASSERT_TRUE(wrong.wait());
    EXPECT_EQ(wrong.failures, 1);
}

TEST_F(TLSTest, PublicKeyPinning) {
    manager->securityPolicy = SecurityPolicy::policyWithPinningMode(SSLPinning::PublicKey);
    manager->securityPolicy->allowInvalidCertificates = true;  // self-signed: only the key is checked
    manager->securityPolicy->pinnedCertificates = {server.certificateDER()};
    run();
    EXPECT_EQ(outcome.successes, 1);

    ScriptedServer other(ScriptedServer::Mode::TLS);
    Outcome wrong;
    auto m = HTTPRequestOperationManager::manager();
    m->securityPolicy = SecurityPolicy::policyWithPinningMode(SSLPinning::PublicKey);
    m->securityPolicy->allowInvalidCertificates = true;
    m->securityPolicy->pinnedCertificates = {other.certificateDER()};
    m->GET(server.url("secure"), std::nullopt, wrong.success(), wrong.failure());
    ASSERT_TRUE(wrong.wait());
    ASSERT_EQ(wrong.failures, 1);
    EXPECT_EQ(wrong.error->code, URLErrorCode::ServerCertificateUntrusted);
}

}  // namespace
}  // namespace busdesk::test
