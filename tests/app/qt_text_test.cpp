// The crossing between the program's GBK text and Qt's strings.

#include <gtest/gtest.h>

#include "app/qt_text.hpp"
#include "text/codepage.hpp"

namespace orvu::app {
namespace {

TEST(QtText, GbkCrossesToQtAndBackUnchanged) {
    const Text cases[] = {
        Text(),
        "https://127.0.0.1:18443/d/1.txt"_t,
        gbk_literal(u8"资源站1"),
        gbk_literal(u8"未找到小说，请检查关键词！"),
        gbk_literal(u8"《帝霸》在线阅读\r\n第二行"),
    };
    for (const Text& text : cases)
        EXPECT_EQ(to_text(to_qstring(text)), text);
    EXPECT_EQ(to_qstring(gbk_literal(u8"书名/作者名")), QString::fromUtf8("书名/作者名"));
}

TEST(QtText, WhatGbkLacksOrCannotHoldIsReplacedNotLost) {
    // A character outside GBK becomes "?"; a zero ends the text, as it ends a Text.
    EXPECT_EQ(to_text(QString::fromUtf8("书\U0001F4D6名")), gbk_literal(u8"书?名"));
    EXPECT_EQ(to_text(QString::fromUtf16(u"ab\0cd", 5)), "ab"_t);
    // A stray GBK lead byte shows as a substitute, never as nothing.
    const QString shown = to_qstring(Text("a\x81"));
    EXPECT_TRUE(shown.startsWith(u'a'));
    EXPECT_EQ(shown.size(), 2);
}

TEST(QtText, Utf16ValuesOfTheToolkitAreReadLittleEndianUpToTheirZero) {
    const std::optional<Bytes> wide = text_to_wide_oem(gbk_literal(u8"https://h/12/书名.txt"));
    ASSERT_TRUE(wide);
    EXPECT_EQ(utf16_to_qstring(*wide), QString::fromUtf8("https://h/12/书名.txt"));
    EXPECT_EQ(utf16_to_qstring(Bytes(std::string("A\0B\0\0\0C\0", 8))), QStringLiteral("AB"));
    EXPECT_EQ(utf16_to_qstring(Bytes(std::string("A\0B", 3))), QStringLiteral("A")) << "odd byte";
}

}  // namespace
}  // namespace orvu::app
