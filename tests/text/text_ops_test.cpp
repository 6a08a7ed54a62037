#include <climits>
#include <optional>

#include <gtest/gtest.h>

#include "support/text_support.hpp"
#include "text/text_ops.hpp"

namespace orvu {
namespace {

using test::text_from_hex;

// Hex helper for the GBK cases: "81 41" is a double-byte character whose second
// byte is the letter A, "B0 A1" is 啊, "A1 A1" the full-width space.
Text hex(std::string_view digits) {
    return text_from_hex(digits);
}

TEST(TextSearch, FindsTheFirstOccurrenceFromTheStart) {
    struct Case {
        Text text, marker;
        int start;
        bool ignore_case;
        int expected;
    };
    const Case cases[] = {
        {"abcabc"_t, "bc"_t, 1, false, 2},
        {"abcabc"_t, "bc"_t, 3, false, 5},
        {"abcabc"_t, "bc"_t, 0, false, 2},  // a start below 1 counts as 1
        {"abcabc"_t, "bc"_t, -5, false, 2},
        {"abcabc"_t, "BC"_t, 1, false, -1},  // letter case matters by default
        {"abcabc"_t, "BC"_t, 1, true, 2},
        {"abc"_t, "c"_t, 3, false, 3},
        {"abc"_t, "c"_t, 4, false, -1},  // start beyond the end
        {"ab"_t, "abc"_t, 1, false, -1},
        {""_t, "a"_t, 1, false, -1},
        {"abc"_t, ""_t, 1, false, 1},  // an empty marker gives 1 ...
        {"abc"_t, ""_t, 3, false, 1},
        {"abc"_t, ""_t, 4, false, -1},  // ... only while a byte is left
        {""_t, ""_t, 1, false, -1},
        {hex("D7CA D4B4 D5BE 31"), hex("D5BE"), 1, false, 5},  // 资源站1, 站
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text_search(c.text, c.marker, c.start, c.ignore_case), c.expected)
            << testing::PrintToString(c.text) << " " << testing::PrintToString(c.marker) << " from "
            << c.start;
    }
}

TEST(TextSearch, StepsOverDoubleByteCharacters) {
    struct Case {
        Text text, marker;
        bool ignore_case;
        int expected;
    };
    const Case cases[] = {
        {hex("81 41 41"), "A"_t, false, 3},  // not the second byte of 81 41
        {hex("81 41 41"), "a"_t, true, 3},
        {hex("81 41 62"), "Ab"_t, false, -1},  // "A" + "b" straddles a character
        {hex("81 41 62"), "ab"_t, true, -1},
        {hex("81 61"), hex("81 41"), true, -1},  // second bytes never fold
        {hex("B0 A1 41"), "A"_t, false, 3},
        {hex("41 81"), hex("81"), false, 2},  // a lone lead byte at the end
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text_search(c.text, c.marker, 1, c.ignore_case), c.expected)
            << testing::PrintToString(c.text) << " " << testing::PrintToString(c.marker);
    }
}

TEST(TextReverseSearch, FindsTheLastOccurrenceWithinTheFirstBytes) {
    struct Case {
        Text text, marker;
        std::optional<int> start;
        int expected;
    };
    const Case cases[] = {
        {"a.b.c"_t, "."_t, {}, 4},       {"a.b.c"_t, "."_t, 5, 4},
        {"a.b.c"_t, "."_t, 4, 2},        {"a.b.c"_t, "."_t, 2, -1},
        {"a.b.c"_t, "."_t, 1, -1},  // a start of 1 or less finds nothing
        {"a.b.c"_t, "."_t, 0, -1},       {"a.b"_t, "."_t, 100, 2},
        {"abc."_t, "."_t, 4, -1},  // a dot in the last position, start = length
        {"abab"_t, "ab"_t, 4, 1},  // the one at 3 does not lie wholly within 3 bytes
        {"abab"_t, "ab"_t, {}, 3},       {"abc"_t, "B"_t, {}, -1},  // letter case matters
        {""_t, "."_t, {}, -1},           {"abc"_t, ""_t, {}, -1},
        {hex("41 81 41"), "A"_t, {}, 1},  // not the second byte of 81 41
        {hex("81 41"), "A"_t, {}, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text_reverse_search(c.text, c.marker, c.start), c.expected)
            << testing::PrintToString(c.text) << " " << testing::PrintToString(c.marker)
            << " start " << (c.start ? std::to_string(*c.start) : "none");
    }
}

TEST(TextReplace, ReplacesFromTheStartWithoutOverlap) {
    struct Case {
        Text text, find, replacement;
        int start;
        std::optional<int> count;
        bool case_sensitive;
        Text expected;
    };
    const Case cases[] = {
        {"aXbXc"_t, "X"_t, "-"_t, 1, {}, true, "a-b-c"_t},
        {"aXbXc"_t, "X"_t, "-"_t, 1, 1, true, "a-bXc"_t},
        {"aXbXc"_t, "X"_t, "-"_t, 1, 0, true, "aXbXc"_t},  // a count of 0 replaces none
        {"aXbXc"_t, "X"_t, "-"_t, 1, -1, true, "aXbXc"_t},
        {"aXbXc"_t, "X"_t, "-"_t, 3, {}, true, "aXb-c"_t},  // the part before start is kept
        {"aXbXc"_t, "X"_t, "-"_t, 0, {}, true, "a-b-c"_t},
        {"aXbXc"_t, "X"_t, "-"_t, 6, {}, true, "aXbXc"_t},  // start beyond the end
        {"aXbxc"_t, "x"_t, "-"_t, 1, {}, false, "a-b-c"_t},
        {"aXbxc"_t, "x"_t, "-"_t, 1, {}, true, "aXb-c"_t},
        {"aaaa"_t, "aa"_t, "b"_t, 1, {}, true, "bb"_t},
        {"aaa"_t, "aa"_t, "b"_t, 1, {}, true, "ba"_t},
        {"ab"_t, "a"_t, "aa"_t, 1, {}, true, "aab"_t},  // the replacement is not rescanned
        {"abc"_t, ""_t, "x"_t, 1, {}, true, "abc"_t},
        {""_t, "a"_t, "x"_t, 1, {}, true, ""_t},
        {"/book/12.html"_t, "/book/"_t, ""_t, 1, {}, true, "12.html"_t},
        {hex("81 41 41"), "A"_t, "x"_t, 1, {}, true, hex("81 41 78")},
        {hex("81 41 41"), "a"_t, "x"_t, 1, {}, false, hex("81 41 78")},
        {hex("81 41 62"), "Ab"_t, "x"_t, 1, {}, true, hex("81 41 62")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text_replace(c.text, c.find, c.replacement, c.start, c.count, c.case_sensitive),
                  c.expected)
            << testing::PrintToString(c.text) << " " << testing::PrintToString(c.find);
    }
}

TEST(TextParts, CountBytes) {
    struct Case {
        Text result, expected;
    };
    const Text abcdef = "abcdef"_t;
    const Case cases[] = {
        {text_part(abcdef, 2, 3), "bcd"_t},
        {text_part(abcdef, 5, 10), "ef"_t},
        {text_part(abcdef, 6, 1), "f"_t},
        {text_part(abcdef, 0, 2), ""_t},
        {text_part(abcdef, 7, 1), ""_t},
        {text_part(abcdef, 2, 0), ""_t},
        {text_part(abcdef, 2, -1), ""_t},
        {text_part(hex("B0A1 B0A1"), 2, 2), hex("A1 B0")},  // parts may split a character
        {text_left(abcdef, 2), "ab"_t},
        {text_left(abcdef, 10), abcdef},
        {text_left(abcdef, 0), ""_t},
        {text_left(abcdef, -3), ""_t},
        {text_right(abcdef, 2), "ef"_t},
        {text_right(abcdef, 10), abcdef},
        {text_right(abcdef, 0), ""_t},
        {text_right(abcdef, -1), ""_t},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].result, cases[i].expected) << "case " << i;
    }
}

TEST(TextBlanks, TrimAndRemovalTakeSpacesAndFullWidthSpacesOnly) {
    struct Case {
        Text text, trimmed, without_blanks;
    };
    const Case cases[] = {
        {"  a b  "_t, "a b"_t, "ab"_t},
        {hex("A1A1 20 61 20 A1A1"), "a"_t, "a"_t},
        {"\ta\r\n"_t, "\ta\r\n"_t, "\ta\r\n"_t},  // tab, CR and LF are no blanks
        {""_t, ""_t, ""_t},
        {"   "_t, ""_t, ""_t},
        {hex("A1A1 A1A1"), ""_t, ""_t},
        {hex("B0A1 A1A1"), hex("B0A1"), hex("B0A1")},
        // 啊 then a lone A1: the A1 A1 across the character boundary is no blank.
        {hex("B0A1 A1"), hex("B0A1 A1"), hex("B0A1 A1")},
        {hex("B0A1 A1B0 A1"), hex("B0A1 A1B0 A1"), hex("B0A1 A1B0 A1")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text_trim(c.text), c.trimmed) << testing::PrintToString(c.text);
        EXPECT_EQ(text_remove_blanks(c.text), c.without_blanks) << testing::PrintToString(c.text);
    }
}

TEST(TextLower, FoldsAsciiLettersButNotSecondBytes) {
    EXPECT_EQ(text_lower("AbC-Z09"_t), "abc-z09"_t);
    EXPECT_EQ(text_lower(hex("81 41 41")), hex("81 41 61"));
    EXPECT_EQ(text_lower(hex("B0 5A")), hex("B0 5A"));
}

TEST(TextSplit, KeepsInnerEmptyPiecesButNoneAfterAFinalSeparator) {
    struct Case {
        Text text, separator;
        TextArray pieces;
    };
    const Case cases[] = {
        {"a;b;c"_t, ";"_t, {"a"_t, "b"_t, "c"_t}},
        {";a"_t, ";"_t, {""_t, "a"_t}},
        {"a;;b"_t, ";"_t, {"a"_t, ""_t, "b"_t}},
        {"a;"_t, ";"_t, {"a"_t}},
        {"a;;"_t, ";"_t, {"a"_t, ""_t}},
        {";"_t, ";"_t, {""_t}},
        {""_t, ";"_t, {}},
        {"abc"_t, ""_t, {"abc"_t}},
        {"a; b; c"_t, "; "_t, {"a"_t, "b"_t, "c"_t}},
        {hex("81 41 41 62"), "A"_t, {hex("81 41"), "b"_t}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text_split(c.text, c.separator), c.pieces) << testing::PrintToString(c.text);
    }
}

TEST(TextToInt, ReadsSignAndDigitsAfterLeadingBlanks) {
    struct Case {
        Text text;
        int expected;
    };
    const Case cases[] = {
        {"123"_t, 123},
        {"  -42abc"_t, -42},
        {"+7"_t, 7},
        {"8080/x"_t, 8080},
        {" 1 2"_t, 1},
        {"abc"_t, 0},
        {""_t, 0},
        {"-"_t, 0},
        {"\t5"_t, 0},  // a tab is no blank
        {hex("A1A1 35"), 5},
        {hex("A3B1 A3B2 33"), 123},  // full-width digits count
        {"99999999999"_t, INT_MAX},
        {"-99999999999"_t, INT_MIN},
        {"-2147483648"_t, INT_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text_to_int(c.text), c.expected) << testing::PrintToString(c.text);
    }
}

TEST(TextToBytes, TakesTheBytesWithoutTheTerminator) {
    EXPECT_EQ(text_to_bytes(hex("61 B0A1")), Bytes(test::bytes_from_hex("61 B0 A1")));
    EXPECT_TRUE(text_to_bytes(""_t).empty());
}

}  // namespace
}  // namespace orvu
