#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "platform/Crypto.h"
#include "platform/RunLoop.h"

using namespace busdesk;
using namespace busdesk::crypto;

namespace {

// Argon2id refuses the main thread; the blocking forms are tried from another one.
template <class F>
auto offMain(F f) {
    return std::async(std::launch::async, f).get();
}

SecretBytes key(char fill) {
    return SecretBytes(std::string(kKeyBytes, fill));
}

}  // namespace

TEST(CryptoTest, AVerifierAcceptsItsPasswordOnly) {
    auto verifier = offMain([] { return makeVerifier("开门 123456"); });
    ASSERT_TRUE(verifier);
    EXPECT_EQ(verifier->rfind("$argon2id$", 0), 0u) << *verifier;
    EXPECT_EQ(verifier->find("123456"), std::string::npos);
    EXPECT_TRUE(offMain([&] { return checkVerifier(*verifier, "开门 123456"); }));
    for (const char* wrong : {"开门 12345", "开门 1234567", "", "开门123456"})
        EXPECT_FALSE(offMain([&] { return checkVerifier(*verifier, wrong); })) << wrong;

    // A fresh salt every time: the same password never gives the same verifier.
    auto again = offMain([] { return makeVerifier("开门 123456"); });
    ASSERT_TRUE(again);
    EXPECT_NE(*again, *verifier);
}

TEST(CryptoTest, OnlyAnArgon2idVerifierIsAccepted) {
    for (std::string notOne :
         {std::string(), std::string("123456"),
          // argon2i, the data-independent variant, is not what was made
          std::string("$argon2i$v=19$m=8,t=1,p=1$c2FsdHNhbHQ$aGFzaGhhc2hoYXNoaGFzaA"),
          std::string("$argon2id$v=19$m=8,t=1,p=1$"), std::string(200, 'a'), std::string("$argon2id$\0", 11)})
        EXPECT_FALSE(offMain([&] { return checkVerifier(notOne, "123456"); })) << notOne;
}

TEST(CryptoTest, AVerifierKeepsTheCostItWasMadeWith) {
    auto saved = passwordHashCost();
    setPasswordHashCost(PasswordHashCost::interactive());
    auto strong = offMain([] { return makeVerifier("pw"); });
    setPasswordHashCost(saved);
    ASSERT_TRUE(strong);
    EXPECT_NE(strong->find("m=65536,t=2"), std::string::npos) << *strong;
    EXPECT_TRUE(offMain([&] { return checkVerifier(*strong, "pw"); }));
}

TEST(CryptoTest, ADerivedKeyDependsOnPasswordAndSaltAndComesBackFromItsText) {
    auto how = KeyDerivation::fresh();
    auto k1 = offMain([&] { return deriveKey("secret", how); });
    auto k2 = offMain([&] { return deriveKey("secret", how); });
    ASSERT_TRUE(k1 && k2);
    EXPECT_EQ(k1->size(), kKeyBytes);
    EXPECT_EQ(*k1, *k2);
    EXPECT_FALSE(*k1 == *offMain([&] { return deriveKey("secreT", how); }));
    EXPECT_FALSE(*k1 == *offMain([] { return deriveKey("secret", KeyDerivation::fresh()); }));

    auto text = how.toText();
    auto back = KeyDerivation::fromText(text);
    ASSERT_TRUE(back) << text;
    EXPECT_EQ(*k1, *offMain([&] { return deriveKey("secret", *back); }));
}

TEST(CryptoTest, ADamagedOrExcessiveDerivationTextIsRefused) {
    auto text = KeyDerivation::fresh().toText();
    std::vector<std::string> bad = {"", "argon2id", text + "$", text.substr(0, text.size() - 2),
                                    "argon2i" + text.substr(8), "argon2id$1$8192$!!!!",
                                    // more memory or passes than any derivation of the app asks for
                                    "argon2id$1$99999999999$" + text.substr(text.rfind('$') + 1),
                                    "argon2id$4000000000$8192$" + text.substr(text.rfind('$') + 1),
                                    "argon2id$0$8192$" + text.substr(text.rfind('$') + 1)};
    for (const auto& t : bad) EXPECT_FALSE(KeyDerivation::fromText(t)) << t;
}

TEST(CryptoTest, ASealedBoxOpensWithItsKeyAndAssociatedDataOnly) {
    auto k = randomKey();
    std::string plain = "身份证 110101199003071234";
    auto box = seal(k, plain, "10086/record");
    EXPECT_EQ(box.size(), plain.size() + kBoxOverhead);
    EXPECT_EQ(static_cast<unsigned char>(box[0]), kBoxVersion);
    EXPECT_EQ(box.find("110101199003071234"), std::string::npos);

    auto opened = open(k, box, "10086/record");
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->view(), plain);

    EXPECT_FALSE(open(randomKey(), box, "10086/record"));
    EXPECT_FALSE(open(k, box, "10010/record"));
    EXPECT_FALSE(open(k, box, ""));
    EXPECT_FALSE(open(SecretBytes("short"), box, "10086/record"));
    // Every bit of the box counts: version, nonce, ciphertext and tag.
    for (std::size_t i = 0; i < box.size(); ++i) {
        auto damaged = box;
        damaged[i] = static_cast<char>(damaged[i] ^ 0x01);
        EXPECT_FALSE(open(k, damaged, "10086/record")) << "byte " << i;
    }
    for (std::size_t length : {std::size_t{0}, std::size_t{1}, kBoxOverhead - 1, box.size() - 1})
        EXPECT_FALSE(open(k, box.substr(0, length), "10086/record")) << length;
    EXPECT_FALSE(open(k, box + "x", "10086/record"));
}

TEST(CryptoTest, EveryBoxHasItsOwnNonceAndAnEmptyTextSealsToo) {
    auto k = key('k');
    EXPECT_NE(seal(k, "same", "ad"), seal(k, "same", "ad"));
    auto empty = seal(k, "", "ad");
    EXPECT_EQ(empty.size(), kBoxOverhead);
    auto opened = open(k, empty, "ad");
    ASSERT_TRUE(opened);
    EXPECT_TRUE(opened->empty());
}

TEST(CryptoTest, TheAsyncFormsWorkOffTheMainThreadAndAnswerOnIt) {
    auto& loop = RunLoop::main();
    std::optional<std::string> verifier;
    bool answered = false;
    makeVerifierAsync(SecretBytes(std::string_view("pw")), [&](std::optional<std::string> v) {
        EXPECT_TRUE(loop.isOwnerThread());
        verifier = std::move(v);
        answered = true;
    });
    // Counted as outstanding work: waiting for idle waits for the answer.
    ASSERT_TRUE(loop.runUntilIdle());
    ASSERT_TRUE(answered);
    ASSERT_TRUE(verifier);

    std::optional<bool> right, wrong;
    checkVerifierAsync(*verifier, SecretBytes(std::string_view("pw")), [&](bool ok) { right = ok; });
    checkVerifierAsync(*verifier, SecretBytes(std::string_view("pW")), [&](bool ok) { wrong = ok; });
    std::optional<SecretBytes> derived;
    deriveKeyAsync(SecretBytes(std::string_view("pw")), KeyDerivation::fresh(),
                   [&](std::optional<SecretBytes> k) { derived = std::move(k); });
    ASSERT_TRUE(loop.runUntilIdle());
    EXPECT_EQ(right, true);
    EXPECT_EQ(wrong, false);
    ASSERT_TRUE(derived);
    EXPECT_EQ(derived->size(), kKeyBytes);
}

TEST(CryptoTest, SecretBytesCopyMoveAndWipe) {
    SecretBytes a(std::string_view("abc"));
    SecretBytes b = a;
    EXPECT_EQ(b.view(), "abc");
    SecretBytes c = std::move(a);
    EXPECT_EQ(c.view(), "abc");
    EXPECT_TRUE(a.empty());  // NOLINT(bugprone-use-after-move): the moved-from state is the point
    c.clear();
    EXPECT_TRUE(c.empty());
    EXPECT_TRUE(c.view().empty());

    std::string text = "123456";
    const char* storage = text.data();
    wipeString(text);
    EXPECT_TRUE(text.empty());
    // The bytes that held the password are zero now, not merely out of the string's length.
    EXPECT_EQ(std::string(storage, 6), std::string(6, '\0'));
}

TEST(CryptoTest, AKeyedHashNeedsItsKeyAndBase64ComesBack) {
    const std::string a = keyedHash(key('a'), "Query_Arrange?EmpID=E1#E1");
    EXPECT_EQ(a.size(), 32u);
    EXPECT_EQ(a, keyedHash(key('a'), "Query_Arrange?EmpID=E1#E1"));
    EXPECT_NE(a, keyedHash(key('b'), "Query_Arrange?EmpID=E1#E1"));
    EXPECT_NE(a, keyedHash(key('a'), "Query_Arrange?EmpID=E2#E2"));
    EXPECT_EQ(a.find("E1"), std::string::npos);

    for (const std::string& bytes : {std::string(), std::string("\0\xff\x10", 3), a}) {
        auto text = toBase64(bytes);
        EXPECT_EQ(text.find_first_of("+/=\n"), std::string::npos);
        EXPECT_EQ(fromBase64(text), bytes);
    }
    EXPECT_EQ(fromBase64("not base64!"), std::nullopt);
    EXPECT_EQ(fromBase64(toBase64(a) + "*"), std::nullopt);
}
