#include <gtest/gtest.h>

#include "support/text_support.hpp"
#include "text/text.hpp"

namespace orvu {
namespace {

using test::bytes_from_hex;

TEST(TextType, EndsAtTheFirstZeroByte) {
    EXPECT_EQ(Text(std::string_view("ab\0cd", 5)).view(), "ab");
    EXPECT_EQ(Text::adopt(std::string("ab\0cd", 5)).view(), "ab");
    EXPECT_TRUE(Text(std::string_view("\0x", 2)).empty());
    EXPECT_STREQ(Text("abc"_t).c_str(), "abc");
}

TEST(TextType, BodyAsTextTakesTheBytesUpToTheFirstZero) {
    struct Case {
        std::string body;
        std::string text;
    };
    const Case cases[] = {
        {"", ""},
        {"plain", "plain"},
        {std::string("page\0rest", 9), "page"},
        {std::string("\0page", 5), ""},
        {bytes_from_hex("B0 A1 00 B0 A1"), bytes_from_hex("B0 A1")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(body_as_text(Bytes(c.body)).view(), c.text) << test::hex_of(c.body);
    }
}

TEST(BytesType, KeepsZeroBytesAndItsLength) {
    Bytes bytes(std::string("a\0b", 3));
    bytes.append(std::string_view("\0", 1));
    EXPECT_EQ(bytes.size(), 4u);
    EXPECT_EQ(bytes.view(), std::string_view("a\0b\0", 4));
}

TEST(GbkCharLength, LeadByteTakesTheNextByteWhenThereIsOne) {
    const std::string bytes = bytes_from_hex("41 B0 A1 81");
    EXPECT_EQ(gbk_char_length(bytes, 0), 1u);
    EXPECT_EQ(gbk_char_length(bytes, 1), 2u);
    EXPECT_EQ(gbk_char_length(bytes, 3), 1u);  // a lead byte at the very end stands alone
}

}  // namespace
}  // namespace orvu
