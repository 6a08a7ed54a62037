#include <gtest/gtest.h>

#include "support/text_support.hpp"
#include "text/codepage.hpp"
#include "text/extract.hpp"

namespace orvu {
namespace {

Text hex(std::string_view digits) {
    return test::text_from_hex(digits);
}

TEST(QuoteMarker, IsTheGbkBytesOfTheMarker) {
    EXPECT_EQ(quote_marker(), hex("23 D2FD BAC5"));  // "#引号"
}

TEST(TextBetween, TakesTheTextBetweenTheFirstMarkers) {
    const Text q = quote_marker();
    struct Case {
        const char* what;
        Text text, left, right;
        int start;
        bool ignore_case;
        Text expected;
    };
    const Case cases[] = {
        {"host of an address", "https://example.org/a/b"_t, "https://"_t, "/"_t, 1, false,
         "example.org"_t},
        {"no slash after the scheme", "https://example.org"_t, "https://"_t, "/"_t, 1, false, ""_t},
        {"left marker missing", "example.org/"_t, "https://"_t, "/"_t, 1, false, ""_t},
        {"letter case matters by default", "user-agent: X\r\n"_t, "User-Agent:"_t, "\r\n"_t, 1,
         false, ""_t},
        {"ignore-case switch", "user-agent: X\r\n"_t, "User-Agent:"_t, "\r\n"_t, 1, true, " X"_t},
        {"not trimmed", "User-Agent:  Tester \r\n"_t, "User-Agent:"_t, "\r\n"_t, 1, false,
         "  Tester "_t},
        {"quote marker in both markers", "a=\"v\"; b"_t, "a="_t + q, q, 1, false, "v"_t},
        {"marker without quote marker", "a=#v#"_t, "a=#"_t, "#"_t, 1, false, "v"_t},
        {"right marker right after the left", "x<>y"_t, "<"_t, ">"_t, 1, false, ""_t},
        {"right marker only counts after the left", "]x[a]"_t, "["_t, "]"_t, 1, false, "a"_t},
        {"start position", "[a][b]"_t, "["_t, "]"_t, 2, false, "b"_t},
        {"start below 1", "[a][b]"_t, "["_t, "]"_t, -3, false, "a"_t},
        {"right marker missing", "[a"_t, "["_t, "]"_t, 1, false, ""_t},
        {"left marker inside a character", hex("81 5B 5B 78 5D"), "["_t, "]"_t, 1, false, "x"_t},
        {"Chinese markers", hex("A1B6 CAE9C3FB A1B7"), hex("A1B6"), hex("A1B7"), 1, false,
         hex("CAE9C3FB")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text_between(c.text, c.left, c.right, c.start, c.ignore_case), c.expected)
            << c.what;
    }
}

TEST(HeaderLineValue, IsTheTrimmedTextAfterTheFirstColon) {
    struct Case {
        Text line, expected;
    };
    const Case cases[] = {
        {"Name:  value  "_t, "value"_t},
        {"a:b:c"_t, "b:c"_t},
        {"Name:"_t, ""_t},
        {"Name"_t, ""_t},
        {""_t, ""_t},
        {"Name:\tvalue\r"_t, "\tvalue\r"_t},  // only blanks are trimmed
        {hex("4E 3A A1A1 76 A1A1"), "v"_t},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(header_line_value(c.line), c.expected) << testing::PrintToString(c.line);
    }
}

TEST(ReplacePairs, AppliesThePairsInTurn) {
    struct Case {
        const char* what;
        Text result, expected;
    };
    const ReplaceOptions all;
    const Case cases[] = {
        {"book id", replace_pairs("/book/12345.html"_t, all, {"/book/"_t}, {".html"_t}), "12345"_t},
        {"letter case ignored by default",
         replace_pairs("/BOOK/12345.HTML"_t, all, {"/book/"_t}, {".html"_t}), "12345"_t},
        {"case-sensitive switch",
         replace_pairs("/BOOK/12345.HTML"_t, {.case_sensitive = true}, {"/book/"_t}, {".html"_t}),
         "/BOOK/12345.HTML"_t},
        {"every occurrence, inside words too", replace_pairs("/edu/du/x"_t, all, {"du/"_t}),
         "/ex"_t},
        {"a count of 1 per pair",
         replace_pairs("a-a-a"_t, {.count = 1}, {"a"_t, "b"_t}, {"-"_t, "+"_t}), "b+a-a"_t},
        {"a given count of 0 replaces none", replace_pairs("a-a"_t, {.count = 0}, {"a"_t, "b"_t}),
         "a-a"_t},
        {"start position", replace_pairs("aaaa"_t, {.start = 3}, {"a"_t, "b"_t}), "aabb"_t},
        {"start below 1", replace_pairs("aaaa"_t, {.start = -2}, {"a"_t, "b"_t}), "bbbb"_t},
        {"a later pair sees an earlier replacement",
         replace_pairs("ab"_t, all, {"a"_t, "c"_t}, {"c"_t, "d"_t}), "db"_t},
        {"an empty find text changes nothing",
         replace_pairs("ab"_t, all, {"a"_t, "x"_t}, {""_t, "zz"_t}), "xb"_t},
        {"five pairs",
         replace_pairs("12345"_t, all, {"1"_t, "a"_t}, {"2"_t, "b"_t}, {"3"_t, "c"_t},
                       {"4"_t, "d"_t}, {"5"_t, "e"_t}),
         "abcde"_t},
        {"GBK stepping", replace_pairs(hex("81 44 75 2F 64 75 2F"), all, {"du/"_t}),
         hex("81 44 75 2F")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.result, c.expected) << c.what;
}

}  // namespace
}  // namespace orvu
