#include <stdexcept>

#include <gtest/gtest.h>

#include "support/text_support.hpp"
#include "text/codepage.hpp"

namespace orvu {
namespace {

using test::bytes_from_hex;
using test::hex_of;

Text hex(std::string_view digits) {
    return test::text_from_hex(digits);
}
Bytes hex_bytes(std::string_view digits) {
    return Bytes(bytes_from_hex(digits));
}

const Text xiaoshuo = hex("D0A1 CBB5");  // 小说 in GBK

TEST(UrlEncode, EscapesEveryByteOutsideTheKeptSet) {
    struct Case {
        Text text;
        bool keep_alnum, as_utf8;
        Text expected;
    };
    const Case cases[] = {
        {xiaoshuo, false, true, "%E5%B0%8F%E8%AF%B4"_t},
        {xiaoshuo, false, false, "%D0%A1%CB%B5"_t},
        {"a b-1/"_t, false, false, "%61%20%62%2D%31%2F"_t},
        {"a b-1/"_t, true, false, "a%20b-1%2F"_t},
        {"\n"_t, true, false, "%0A"_t},
        {",/:@[`{"_t, true, false, "%2C%2F%3A%40%5B%60%7B"_t},  // just outside the kept ranges
        {"-.09AZaz"_t, true, false, "-.09AZaz"_t},
        {"_~+ "_t, true, false, "%5F%7E%2B%20"_t},
        {hex("B5DB B0D4") + "abc"_t, true, true, "%E5%B8%9D%E9%9C%B8abc"_t},  // 帝霸abc
        {"abc"_t, false, true, "%61%62%63"_t},
        {""_t, false, true, ""_t},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(url_encode(c.text, c.keep_alnum, c.as_utf8), c.expected)
            << testing::PrintToString(c.text) << " keep_alnum " << c.keep_alnum << " as_utf8 "
            << c.as_utf8;
    }
}

TEST(TextToUtf16, GivesLittleEndianUnitsAndOneZeroUnit) {
    struct Case {
        Text text;
        int code_page;
        std::string expected;
    };
    const Case cases[] = {
        {"ab"_t, cp_utf8, "61 00 62 00 00 00"},
        {""_t, cp_utf8, "00 00"},
        {hex("E5 95 8A"), cp_utf8, "4A 55 00 00"},  // 啊 in UTF-8, the default code page
        {hex("B0 A1"), cp_gbk, "4A 55 00 00"},
        {hex("B0 A1"), cp_acp, "4A 55 00 00"},
        {hex("F0 9F 98 80"), cp_utf8, "3D D8 00 DE 00 00"},     // a surrogate pair
        {hex("61 FF 62"), cp_utf8, "61 00 FD FF 62 00 00 00"},  // malformed: U+FFFD, nothing lost
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hex_of(text_to_utf16(c.text, c.code_page).view()), c.expected)
            << testing::PrintToString(c.text) << " in code page " << c.code_page;
    }
}

TEST(Utf16ToText, ConvertsTheUnitsUpToTheFirstZeroUnit) {
    struct Case {
        std::string utf16;
        int code_page;
        Text expected;
    };
    const Case cases[] = {
        {"00 00 61 00", cp_acp, ""_t},                // the first unit is zero
        {"61 00 62 00 00 00 63 00", cp_acp, "ab"_t},  // units after the zero are ignored
        {"61 00 62 00", cp_acp, "ab"_t},              // no terminator: every unit
        {"61 00 62", cp_acp, "a"_t},                  // an odd last byte is no unit
        {"", cp_acp, ""_t},
        {"4A 55 00 00", cp_acp, hex("B0 A1")},
        {"4A 55 00 00", cp_utf8, hex("E5 95 8A")},
        {"00 D8 41 00 00 00", cp_gbk, "?A"_t},        // an unpaired surrogate is substituted
        {"3D D8 00 DE 41 00 00 00", cp_gbk, "?A"_t},  // a character GBK lacks
        {"3D D8 00 DE 00 00", cp_utf8, hex("F0 9F 98 80")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf16_to_text(hex_bytes(c.utf16), c.code_page), c.expected)
            << c.utf16 << " to code page " << c.code_page;
    }
}

TEST(GbkUtf8, KnownTextsConvertBothWays) {
    struct Case {
        Text gbk, utf8;
    };
    const Case cases[] = {
        {""_t, ""_t},
        {"plain ASCII ~"_t, "plain ASCII ~"_t},
        {xiaoshuo, hex("E5B08F E8AFB4")},
        {hex("D7CA D4B4 D5BE 31"), hex("E8B584 E6BA90 E7AB99 31")},  // 资源站1
        {hex("A1B6 A1B7"), hex("E3808A E3808B")},                    // 《》
        {hex("A1A1"), hex("E38080")},                                // full-width space
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gbk_to_utf8(c.gbk), c.utf8) << testing::PrintToString(c.gbk);
        EXPECT_EQ(utf8_to_gbk(c.utf8), c.gbk) << testing::PrintToString(c.utf8);
    }
}

TEST(GbkUtf8, EveryDoubleByteCharacterAndAsciiRoundTrip) {
    std::string all;
    int characters = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            all += {static_cast<char>(lead), static_cast<char>(trail)};
            ++characters;
        }
    }
    for (int byte = 0x01; byte < 0x80; ++byte)
        all.push_back(static_cast<char>(byte));
    ASSERT_EQ(characters, 126 * 190);

    // One by one, so that a character that fails is named.
    int failures = 0;
    for (std::size_t i = 0; i < all.size(); i += gbk_char_length(all, i)) {
        const Text one(std::string_view(all).substr(i, gbk_char_length(all, i)));
        const Text utf8 = gbk_to_utf8(one);
        if (utf8_to_gbk(utf8) != one || utf8.view().find("\xEF\xBF\xBD") != std::string::npos) {
            ADD_FAILURE() << "no round trip for " << hex_of(one.view()) << " via "
                          << hex_of(utf8.view());
            if (++failures > 10) break;
        }
    }
    // And all at once, as a page would go.
    EXPECT_EQ(utf8_to_gbk(gbk_to_utf8(Text(all))).view(), all);
}

TEST(GbkUtf8, BadInputGetsSubstitutesAndLosesNothingElse) {
    struct Case {
        const char* what;
        Text result, expected;
    };
    const Case cases[] = {
        {"malformed UTF-8 byte", utf8_to_gbk(hex("61 FF 62 E4B8AD")), hex("61 3F 62 D6D0")},
        {"UTF-8 cut inside a character", utf8_to_gbk(hex("61 62 E5 95")), hex("61 62 3F")},
        {"UTF-8 overlong form", utf8_to_gbk(hex("C0 AF 61")), hex("3F 3F 61")},
        {"character GBK lacks", utf8_to_gbk(hex("61 F09F9880 62")), hex("61 3F 62")},
        {"GBK lead byte at the end", gbk_to_utf8(hex("61 81")), hex("61 EFBFBD")},
        {"GBK lead byte before a blank", gbk_to_utf8(hex("81 20 78")), hex("EFBFBD 20 78")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.result, c.expected) << c.what;
}

TEST(TextToWideOem, IsTheDecomposedUtf16OfTheText) {
    struct Case {
        Text text;
        std::string expected;
    };
    const Case cases[] = {
        {"abc"_t, "61 00 62 00 63 00 00 00"},
        {hex("A8A6"), "65 00 01 03 00 00"},  // é becomes e and a combining acute accent
        {"/"_t + hex("CAE9 C3FB") + ".txt"_t,
         "2F 00 66 4E 0D 54 2E 00 74 00 78 00 74 00 00 00"},  // /书名.txt
        {""_t, "00 00"},
    };
    for (const Case& c : cases) {
        std::optional<Bytes> wide = text_to_wide_oem(c.text);
        ASSERT_TRUE(wide.has_value());
        EXPECT_EQ(hex_of(wide->view()), c.expected) << testing::PrintToString(c.text);
    }
}

TEST(GbkLiteral, ConvertsSourceTextAndRejectsWhatGbkLacks) {
    EXPECT_EQ(gbk_literal(u8"资源站1"), hex("D7CA D4B4 D5BE 31"));
    EXPECT_EQ(gbk_literal(u8"plain"), "plain"_t);
    EXPECT_EQ(gbk_literal(u8""), ""_t);
    EXPECT_THROW(gbk_literal(u8"书\U0001F600"), std::logic_error);
    EXPECT_THROW(gbk_literal(u8"a?\u00FF"), std::logic_error);
}

}  // namespace
}  // namespace orvu
