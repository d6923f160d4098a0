#include <gtest/gtest.h>

#include "platform/Charset.h"
#include "platform/Transliteration.h"

using namespace busdesk;

namespace {
// "中文" in GBK.
const std::string kGbkZhongWen = "\xD6\xD0\xCE\xC4";
const std::string kUtf8ZhongWen = "\xE4\xB8\xAD\xE6\x96\x87";
}  // namespace

TEST(Charset, DecodesGbkAndGb18030ToUtf8WithNamesInAnyCase) {
    EXPECT_EQ(Charset::decodeToUTF8(kGbkZhongWen, "GBK"), kUtf8ZhongWen);
    EXPECT_EQ(Charset::decodeToUTF8(kGbkZhongWen, "gbk"), kUtf8ZhongWen);
    EXPECT_EQ(Charset::decodeToUTF8(kGbkZhongWen, "GB18030"), kUtf8ZhongWen);
    EXPECT_EQ(Charset::decodeToUTF8("abc" + kGbkZhongWen, "gb2312"), "abc" + kUtf8ZhongWen);
    // A four-byte GB18030 sequence (U+20000, outside the BMP) comes back as one 4-byte UTF-8 char.
    EXPECT_EQ(Charset::decodeToUTF8("\x95\x32\x82\x36", "GB18030"), "\xF0\xA0\x80\x80");
}

TEST(Charset, BytesThatDoNotDecodeGiveNothing) {
    // A lead byte with nothing after it, and a lead byte followed by an invalid trail byte.
    EXPECT_EQ(Charset::decodeToUTF8("ab\xD6", "GBK"), std::nullopt);
    EXPECT_EQ(Charset::decodeToUTF8("\xD6\x20", "GBK"), std::nullopt);
    EXPECT_EQ(Charset::decodeToUTF8("\xFF\xFE", "UTF-8"), std::nullopt);
    EXPECT_EQ(Charset::decodeToUTF8("\xC3", "utf-8"), std::nullopt);
    EXPECT_EQ(Charset::decodeToUTF8("\xED\xA0\x80", "UTF-8"), std::nullopt);  // encoded surrogate
    EXPECT_EQ(Charset::decodeToUTF8(kUtf8ZhongWen, "UTF-8"), kUtf8ZhongWen);
}

TEST(Charset, Latin1MapsEveryByteAndEmptyInputIsEmptyText) {
    EXPECT_EQ(Charset::decodeToUTF8("caf\xE9", "ISO-8859-1"), "caf\xC3\xA9");
    EXPECT_EQ(Charset::decodeToUTF8(std::string("a\0b", 3), "iso-8859-1"), std::string("a\0b", 3));
    EXPECT_EQ(Charset::decodeToUTF8("", "GBK"), "");
}

TEST(Charset, UnknownNamesAreRejectedNotDefaulted) {
    EXPECT_TRUE(Charset::isKnown("UTF-8"));
    EXPECT_TRUE(Charset::isKnown("Gbk"));
    EXPECT_TRUE(Charset::isKnown("ISO-8859-1"));
    EXPECT_FALSE(Charset::isKnown(""));
    EXPECT_FALSE(Charset::isKnown("no-such-charset"));
    EXPECT_FALSE(Charset::isKnown(std::string("UTF-8\0x", 7)));
    EXPECT_EQ(Charset::decodeToUTF8("abc", "no-such-charset"), std::nullopt);
    EXPECT_EQ(Charset::decodeToUTF8("abc", ""), std::nullopt);
}

TEST(Charset, EncodesAndRefusesCharactersTheTargetCannotHold) {
    EXPECT_EQ(Charset::encodeFromUTF8(kUtf8ZhongWen, "GBK"), kGbkZhongWen);
    EXPECT_EQ(Charset::encodeFromUTF8("caf\xC3\xA9", "ISO-8859-1"), "caf\xE9");
    EXPECT_EQ(Charset::encodeFromUTF8(kUtf8ZhongWen, "ISO-8859-1"), std::nullopt);
    EXPECT_EQ(Charset::encodeFromUTF8("\xC3", "GBK"), std::nullopt);  // input is not UTF-8
    auto back = Charset::encodeFromUTF8(*Charset::decodeToUTF8(kGbkZhongWen, "GB18030"), "GB18030");
    EXPECT_EQ(back, kGbkZhongWen);
}

TEST(Transliteration, ChineseAndAccentsBecomePlainAscii) {
    auto out = transliterateToASCII("\xE4\xB8\xAD\xE6\x96\x87 caf\xC3\xA9");  // "中文 café"
    ASSERT_TRUE(out);
    EXPECT_EQ(*out, "zhong wen cafe");
    // Characters with no Latin form are removed, not replaced by '?'.
    auto emoji = transliterateToASCII(
        "a\xF0\x9F\x98\x80"
        "b");
    ASSERT_TRUE(emoji);
    EXPECT_EQ(*emoji, "ab");
    EXPECT_EQ(transliterateToASCII("\xFF"), std::nullopt);
}
