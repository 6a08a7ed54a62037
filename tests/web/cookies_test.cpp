#include <gtest/gtest.h>

#include "support/text_support.hpp"
#include "web/cookies.hpp"

namespace orvu {
namespace {

// "B0 A1" is 啊, "A1 A1" the full-width space.
Text hex(std::string_view digits) {
    return test::text_from_hex(digits);
}

TEST(CaptureCookies, TakesOneItemPerSetCookieLine) {
    struct Case {
        const char* what;
        Text header_block, expected;
    };
    const Case cases[] = {
        {"attributes stripped, lines in order",
         "HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; path=/; Secure\r\n"
         "Set-Cookie: theme=dark\r\n\r\n"_t,
         "sid=abc; theme=dark"_t},
        {"last line without CR LF", "Set-Cookie: sid=abc; path=/"_t, "sid=abc"_t},
        {"no Set-Cookie line", "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n"_t, ""_t},
        {"empty header block", ""_t, ""_t},
        {"letter case matters: the fetch normalises first", "set-cookie: a=1\r\n"_t, ""_t},
        {"Set-Cookie only in a value, no ;", "X-Note: Set-Cookie later\r\n"_t,
         "X-Note: Set-Cookie later"_t},
        {"Set-Cookie2 with ; gives an empty item", "Set-Cookie2: v=1; Version=1\r\n"_t, ""_t},
        {"empty item kept between others",
         "Set-Cookie: a=1\r\nSet-Cookie2: v=1; Version=1\r\nSet-Cookie: b=2\r\n"_t, "a=1; ; b=2"_t},
        {"without ; every Set-Cookie: goes, any case", "Set-Cookie: a=SET-COOKIE:b\r\n"_t, "a=b"_t},
        {"value ends at the first ; after Set-Cookie:", "X: y; Set-Cookie: a=1; b=2\r\n"_t,
         "a=1"_t},
        {"LF alone ends no line", "Set-Cookie: a=1\nSet-Cookie: b=2\r\n"_t, "a=1\n b=2"_t},
        {"full-width blanks trimmed",
         "Set-Cookie:"_t + hex("A1A1") + "n="_t + hex("B0A1 A1A1") + ";path=/"_t,
         "n="_t + hex("B0A1")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(capture_cookies(c.header_block), c.expected) << c.what;
    }
}

TEST(MergeCookies, ResponseWinsDeletedDropOutDuplicatesCollapse) {
    struct Case {
        const char* what;
        Text submitted, returned;
        Text merged;
        Text returned_after;  // the returned text without its blanks
    };
    const Case cases[] = {
        {"response value wins, then the rest", "a=1; b=2"_t, "b=3; c=4"_t, "b=3; c=4; a=1"_t,
         "b=3;c=4"_t},
        {"deleted by the response", "a=1; b=2"_t, "a=deleted"_t, "b=2"_t, "a=deleted"_t},
        {"blanks inside values removed", "x = hello world"_t, ""_t, "x=helloworld"_t, ""_t},
        {"first submitted item of a name", "a=1; a=2; b=3"_t, ""_t, "a=1; b=3"_t, ""_t},
        {"identical response items collapse", ""_t, "c=4; c=4"_t, "c=4"_t, "c=4;c=4"_t},
        {"different response values of a name stay", "c=1"_t, "c=2; c=3"_t, "c=2; c=3"_t,
         "c=2;c=3"_t},
        {"both empty", ""_t, ""_t, ""_t, ""_t},
        {"deleted submitted item drops out", "a=deleted; b=2"_t, ""_t, "b=2"_t, ""_t},
        {"deleted is case-sensitive", "a=DELETED"_t, ""_t, "a=DELETED"_t, ""_t},
        {"deleted only as the last bytes", "a=deleted1; deleted"_t, ""_t, "a=deleted1; deleted"_t,
         ""_t},
        {"names are case-sensitive", "A=1"_t, "a=2"_t, "a=2; A=1"_t, "a=2"_t},
        {"an item without = is its own name", "flag; a=1"_t, "flag"_t, "flag; a=1"_t, "flag"_t},
        {"same item on both sides", "a=1"_t, "a=1"_t, "a=1"_t, "a=1"_t},
        {"a final ; leaves no empty item", "a=1;"_t, "b=2;"_t, "b=2; a=1"_t, "b=2;"_t},
        {"an empty item inside is carried", "a=1;;b=2"_t, ""_t, "a=1; ; b=2"_t, ""_t},
        {"full-width blanks removed", "a="_t + hex("B0A1 A1A1 31"), "b ="_t + hex("A1A1") + "2"_t,
         "b=2; a="_t + hex("B0A1 31"), "b=2"_t},
    };
    for (const Case& c : cases) {
        Text submitted = c.submitted;
        Text returned = c.returned;
        EXPECT_EQ(merge_cookies(submitted, returned), c.merged) << c.what;
        EXPECT_EQ(submitted, c.merged) << c.what << ": submitted holds the merged text";
        EXPECT_EQ(returned, c.returned_after) << c.what << ": returned lost its blanks";
    }
}

TEST(CookieName, IsTheTrimmedTextBeforeTheFirstEquals) {
    struct Case {
        Text item, expected;
    };
    const Case cases[] = {
        {"sid=abc"_t, "sid"_t}, {" sid =abc"_t, "sid"_t},
        {"a=b=c"_t, "a"_t},     {"flag"_t, "flag"_t},
        {" flag "_t, "flag"_t}, {"=v"_t, ""_t},
        {""_t, ""_t},           {hex("A1A1 B0A1 3D 31"), hex("B0A1")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cookie_name(c.item), c.expected) << testing::PrintToString(c.item);
    }
}

TEST(CookieNameListed, MatchesNamesExactly) {
    struct Case {
        const char* what;
        TextArray items;
        Text name;
        bool expected;
    };
    const Case cases[] = {
        {"listed", {"a=1"_t, "b=2"_t}, "b"_t, true},
        {"not listed", {"a=1"_t, "b=2"_t}, "c"_t, false},
        {"letter case matters", {"a=1"_t}, "A"_t, false},
        {"a whole item is no name", {"a=1"_t}, "a=1"_t, false},
        {"item without =", {"flag"_t}, "flag"_t, true},
        {"name compared trimmed", {" a =1"_t}, "a"_t, true},
        {"empty list", {}, ""_t, false},
        {"empty item has the empty name", {""_t}, ""_t, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cookie_name_listed(c.items, c.name), c.expected) << c.what;
    }
}

TEST(DedupeSplit, KeepsTheFirstOfRepeatedPieces) {
    struct Case {
        const char* what;
        Text text, separator, expected;
    };
    const Case cases[] = {
        {"repeat removed", "a; b; a"_t, "; "_t, "a; b"_t},
        {"order of first appearance", "b;a;b;a"_t, ";"_t, "b;a"_t},
        {"nothing repeated", "a; b"_t, "; "_t, "a; b"_t},
        {"final separator dropped", "a; b; "_t, "; "_t, "a; b"_t},
        {"empty pieces collapse too", "a;;b;;"_t, ";"_t, "a;;b"_t},
        {"letter case matters", "A; a"_t, "; "_t, "A; a"_t},
        {"empty text", ""_t, "; "_t, ""_t},
        {"empty separator", "aa"_t, ""_t, "aa"_t},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dedupe_split(c.text, c.separator), c.expected) << c.what;
    }
}

TEST(IndexInList, IsTheOneBasedIndexOfTheFirstEqualElement) {
    struct Case {
        const char* what;
        TextArray list;
        Text text;
        int expected;
    };
    const TextArray abc = {"a"_t, "b"_t, "a"_t};
    const Case cases[] = {
        {"first of two", abc, "a"_t, 1},    {"second", abc, "b"_t, 2},
        {"missing", abc, "c"_t, -1},        {"letter case matters", abc, "A"_t, -1},
        {"no prefix match", abc, ""_t, -1}, {"empty element", {""_t, "x"_t}, ""_t, 1},
        {"empty list", {}, "a"_t, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(index_in_list(c.list, c.text), c.expected) << c.what;
    }
}

}  // namespace
}  // namespace orvu
