#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Charset.h"
#include "platform/Transliteration.h"

using namespace busdesk;

namespace {
// "中文" in GBK.
const std::string kGbkZhongWen = "\xD6\xD0\xCE\xC4";
const std::string kUtf8ZhongWen = "\xE4\xB8\xAD\xE6\x96\x87";

// Well-formed UTF-8 straight from the table of allowed byte ranges per lead byte: one character
// of exactly `bytes.size()` bytes, or ASCII.
bool isOneWellFormedCharacter(const std::vector<unsigned>& bytes) {
    struct Row {
        unsigned leadLo, leadHi, secondLo, secondHi;
        std::size_t length;
    };
    static const Row kTable[] = {
        {0x00, 0x7F, 0, 0, 1},       {0xC2, 0xDF, 0x80, 0xBF, 2}, {0xE0, 0xE0, 0xA0, 0xBF, 3},
        {0xE1, 0xEC, 0x80, 0xBF, 3}, {0xED, 0xED, 0x80, 0x9F, 3}, {0xEE, 0xEF, 0x80, 0xBF, 3},
        {0xF0, 0xF0, 0x90, 0xBF, 4}, {0xF1, 0xF3, 0x80, 0xBF, 4}, {0xF4, 0xF4, 0x80, 0x8F, 4},
    };
    for (const Row& row : kTable) {
        if (bytes[0] < row.leadLo || bytes[0] > row.leadHi) continue;
        if (bytes.size() != row.length) return false;
        if (row.length > 1 && (bytes[1] < row.secondLo || bytes[1] > row.secondHi)) return false;
        for (std::size_t k = 2; k < row.length; ++k)
            if (bytes[k] < 0x80 || bytes[k] > 0xBF) return false;
        return true;
    }
    return false;
}

std::string bytesOf(const std::vector<unsigned>& bytes) {
    std::string s;
    for (unsigned b : bytes) s += static_cast<char>(b);
    return s;
}
}  // namespace

TEST(Charset, UTF8CheckAgreesWithTheTableForEverySequenceOfUpToThreeBytes) {
    std::size_t disagreements = 0;
    std::string firstDisagreement;
    auto check = [&](const std::vector<unsigned>& bytes, bool expected) {
        if (Charset::isValidUTF8(bytesOf(bytes)) == expected) return;
        if (disagreements++ == 0)
            for (unsigned b : bytes) firstDisagreement += std::to_string(b) + " ";
    };
    for (unsigned a = 0; a < 256; ++a) {
        check({a}, isOneWellFormedCharacter({a}));
        for (unsigned b = 0; b < 256; ++b) {
            // Two bytes: one character of two, or two characters of one.
            check({a, b}, isOneWellFormedCharacter({a, b}) ||
                              (isOneWellFormedCharacter({a}) && isOneWellFormedCharacter({b})));
            for (unsigned c = 0; c < 256; ++c) {
                if (a < 0xC0 && b < 0x80) continue;  // the ASCII prefixes are covered by the shorter runs
                const bool expected = isOneWellFormedCharacter({a, b, c}) ||
                                      (isOneWellFormedCharacter({a, b}) && isOneWellFormedCharacter({c})) ||
                                      (isOneWellFormedCharacter({a}) && isOneWellFormedCharacter({b, c})) ||
                                      (isOneWellFormedCharacter({a}) && isOneWellFormedCharacter({b}) &&
                                       isOneWellFormedCharacter({c}));
                check({a, b, c}, expected);
            }
        }
    }
    // Four-byte characters: every lead and second byte, the edges of the later ones.
    for (unsigned a = 0xF0; a < 0x100; ++a)
        for (unsigned b = 0; b < 256; ++b)
            for (unsigned c : {0x7Fu, 0x80u, 0xBFu, 0xC0u})
                for (unsigned d : {0x7Fu, 0x80u, 0xBFu, 0xC0u})
                    check({a, b, c, d}, isOneWellFormedCharacter({a, b, c, d}));
    EXPECT_EQ(disagreements, 0u) << "first: " << firstDisagreement;
}

TEST(Charset, UTF8CheckFindsABadByteWhereverItSitsInLongText) {
    // The check skips ASCII eight bytes at a time and runs of Chinese a character at a time; a fault
    // at any offset and after either kind of run must still be found.
    for (const std::string& unit : {std::string("a"), kUtf8ZhongWen}) {
        for (std::size_t before = 0; before < 40; ++before) {
            std::string text;
            while (text.size() < before) text += unit;
            const std::string good = text + "\xE4\xB8\xAD" + "tail0123456789" + kUtf8ZhongWen;
            EXPECT_TRUE(Charset::isValidUTF8(good)) << before;
            for (const std::string& fault :
                 {std::string("\xFF"), std::string("\x80"), std::string("\xE4\xB8"),
                  std::string("\xED\xA0\x80"), std::string("\xC0\xAF")}) {
                EXPECT_FALSE(Charset::isValidUTF8(text + fault + "tail0123456789")) << before;
                // Cut short at the very end of the text.
                if (fault.size() > 1) {
                    EXPECT_FALSE(Charset::isValidUTF8(text + fault)) << before;
                }
            }
        }
    }
    EXPECT_TRUE(Charset::isValidUTF8(""));
    EXPECT_TRUE(Charset::isValidUTF8("\xF0\x9F\x9A\x8C bus \xF4\x8F\xBF\xBF"));
}

// The one reader and writer of code points: every code point written reads back whole, and the
// reader calls malformed exactly what the validator rejects, one U+FFFD per bad byte, while
// re-writing what it read of good text gives the same bytes.
TEST(Charset, CodePointsRoundTripAndBadBytesReadAsReplacementCharacters) {
    std::size_t roundTripFailures = 0;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        std::string bytes;
        Charset::appendUTF8(bytes, c);
        std::size_t i = 0;
        if (!Charset::isValidUTF8(bytes) || Charset::nextCodePoint(bytes, i) != c || i != bytes.size())
            ++roundTripFailures;
    }
    EXPECT_EQ(roundTripFailures, 0u);
    for (char32_t notText : {char32_t{0xD800}, char32_t{0xDFFF}, char32_t{0x110000}, char32_t{0xFFFFFFFF}}) {
        std::string bytes;
        Charset::appendUTF8(bytes, notText);
        EXPECT_EQ(bytes, "\xEF\xBF\xBD") << static_cast<unsigned>(notText);
    }

    std::size_t disagreements = 0;
    std::string firstDisagreement;
    auto check = [&](const std::vector<unsigned>& sequence) {
        const std::string bytes = bytesOf(sequence);
        if (bytes == "\xEF\xBF\xBD") return;  // U+FFFD itself, written out
        std::string rewritten;
        std::size_t replacements = 0;
        for (std::size_t i = 0; i < bytes.size();) {
            const std::size_t before = i;
            const char32_t c = Charset::nextCodePoint(bytes, i);
            if (c == Charset::kReplacementCharacter) {
                ++replacements;
                if (i != before + 1) ++disagreements;  // a bad byte is passed one at a time
            }
            Charset::appendUTF8(rewritten, c);
        }
        const bool valid = Charset::isValidUTF8(bytes);
        if (valid != (replacements == 0) || (valid && rewritten != bytes)) {
            if (disagreements++ == 0)
                for (unsigned b : sequence) firstDisagreement += std::to_string(b) + " ";
        }
    };
    for (unsigned a = 0; a < 256; ++a) {
        check({a});
        for (unsigned b = 0; b < 256; ++b) {
            check({a, b});
            // Three-byte forms: the leads with their own bounds (E0 overlong, ED surrogates) and
            // two ordinary ones.
            if (a == 0xE0 || a == 0xE1 || a == 0xED || a == 0xEF)
                for (unsigned c = 0; c < 256; ++c) check({a, b, c});
        }
    }
    for (unsigned a = 0xF0; a < 0x100; ++a)
        for (unsigned b = 0; b < 256; ++b)
            for (unsigned c : {0x7Fu, 0x80u, 0xBFu, 0xC0u})
                for (unsigned d : {0x7Fu, 0x80u, 0xBFu, 0xC0u}) check({a, b, c, d});
    EXPECT_EQ(disagreements, 0u) << "first: " << firstDisagreement;
}

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
