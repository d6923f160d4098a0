#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ConsoleText.h"
#include "platform/Log.h"

namespace busdesk {
namespace {

TEST(ConsoleTextTest, PasswordValuesAreMaskedInQueriesJSONAndProse) {
    EXPECT_EQ(maskSecrets("http://h/OfficeServiceQ/User_Login/?CardID=10086&Password=S3cret%21"),
              "http://h/OfficeServiceQ/User_Login/?CardID=10086&Password=***");
    EXPECT_EQ(maskSecrets("?CardID=1&OldPassword=a%26b&NewPassword=c#frag"),
              "?CardID=1&OldPassword=***&NewPassword=***#frag");
    // Inside an error description, the value ends at the blank or the closing quote.
    EXPECT_EQ(maskSecrets("Error ... URL=http://h/x?password=abc (underlying: \"Password=q\")"),
              "Error ... URL=http://h/x?password=*** (underlying: \"Password=***\")");
    EXPECT_EQ(maskSecrets("{\"zt_password\":\"12\\\"34\",\"Name\":\"x\"}"),
              "{\"zt_password\":\"***\",\"Name\":\"x\"}");
    EXPECT_EQ(maskSecrets("{\"NewPassword\" : \"abc\"}"), "{\"NewPassword\" : \"***\"}");
    // Only the values: the method name and other fields are left alone, an empty value too.
    EXPECT_EQ(maskSecrets("/User_ChangePassword/?CardID=7&Passwords=x&Password="),
              "/User_ChangePassword/?CardID=7&Passwords=x&Password=***");
    EXPECT_EQ(maskSecrets("Password is required"), "Password is required");
    EXPECT_EQ(maskSecrets("{\"Password\":1}"), "{\"Password\":1}");
}

TEST(ConsoleTextTest, ControlCharactersAreWrittenOutAndValidUTF8Stays) {
    EXPECT_EQ(escapeControlCharacters("\x1b[2J标题\x07"), "\\x1b[2J标题\\x07");
    EXPECT_EQ(escapeControlCharacters("a\nb\rc\td\x7f"), "a\\nb\\rc\\td\\x7f");
    EXPECT_EQ(escapeControlCharacters(std::string("nul\0end", 7)), "nul\\x00end");
    // C1 controls (U+009B is the one-byte CSI) and bytes outside valid UTF-8.
    EXPECT_EQ(escapeControlCharacters("\xc2\x9b"
                                      "31m"),
              "\\u009b31m");
    EXPECT_EQ(escapeControlCharacters("\x9b"
                                      "31m\xff\xe4\xb8"),
              "\\x9b31m\\xff\\xe4\\xb8");
    EXPECT_EQ(escapeControlCharacters("\xed\xa0\x80"), "\\xed\\xa0\\x80");  // a surrogate
    EXPECT_EQ(escapeControlCharacters("é ± 😀 \\x1b"), "é ± 😀 \\x1b");
}

TEST(ConsoleTextTest, EveryLogLineIsMaskedAndEscapedBeforeItReachesTheConsole) {
    std::vector<std::string> lines;
    auto old = Log::setSink([&](const std::string& l) { lines.push_back(l); });
    Log::line(
        "Error: Code=-1004 \"Could not connect.\" URL=http://h/User_Login/?CardID=1&Password=S3cret%21");
    Log::line("operation===\x1b]0;owned\x07");
    Log::setSink(old);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0],
              "Error: Code=-1004 \"Could not connect.\" URL=http://h/User_Login/?CardID=1&Password=***");
    EXPECT_EQ(lines[1], "operation===\\x1b]0;owned\\x07");
}

}  // namespace
}  // namespace busdesk
