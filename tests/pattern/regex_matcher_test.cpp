#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pattern/pcre2_regex.hpp"
#include "pattern/regex_matcher.hpp"
#include "support/text_support.hpp"
#include "text/codepage.hpp"
#include "text/extract.hpp"

namespace orvu {
namespace pcre2 {
void PrintTo(const Span& span, std::ostream* out) {
    *out << "[" << span.start << ", " << span.end << ")";
}
}  // namespace pcre2

namespace {

Text hex(std::string_view digits) {
    return test::text_from_hex(digits);
}

Text repeated(const Text& unit, int times) {
    std::string bytes;
    bytes.reserve(unit.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i)
        bytes.append(unit.view());
    return Text::adopt(std::move(bytes));
}

Text number(int n) {
    return Text(std::to_string(n));
}

std::vector<Text> all_matches(const RegexMatcher& matcher) {
    std::vector<Text> texts;
    for (int i = 1; i <= matcher.match_count(); ++i)
        texts.push_back(matcher.match_text(i));
    return texts;
}

struct Switches {
    bool case_sensitive = false;
    bool multi_line = true;
    bool global = true;
    bool quote_marker = false;
};

bool run(RegexMatcher& matcher, const Text& pattern, const Text& subject, Switches s = {}) {
    return matcher.run(pattern, subject, s.case_sensitive, s.multi_line, s.global, s.quote_marker);
}

// One row of a booklist page: a link to a book and its name.
Text book_row(int n) {
    static const Text name = gbk_literal(u8"书名");
    return "<li><a class=\"bookname\" href=\"/book/"_t + number(n) + ".html\">"_t + name +
           number(n) + "</a></li>\n"_t;
}
const Text book_pattern = "<a class=\"bookname\" href=\"(.*?)\">(.*?)</a>"_t;

TEST(RegexMatcher, FindsTheMatchesTheSwitchesAllow) {
    struct Case {
        const char* what;
        Text pattern, subject;
        Switches switches;
        std::vector<Text> expected;
    };
    const Case cases[] = {
        {"no match", "<td>"_t, "<tr></tr>"_t, {}, {}},
        {"upper-case tags, lower-case pattern",
         "<td>(.*?)</td>"_t,
         "<TD>a</TD><Td>b</tD>"_t,
         {},
         {"<TD>a</TD>"_t, "<Td>b</tD>"_t}},
        {"letter case kept when asked",
         "<td>"_t,
         "<TD><td>"_t,
         {.case_sensitive = true},
         {"<td>"_t}},
        {"dot stops at a line feed", "<b>.*</b>"_t, "<b>x\ny</b>"_t, {}, {}},
        {"dot crosses a carriage return", "<b>.*</b>"_t, "<b>x\ry</b>"_t, {}, {"<b>x\ry</b>"_t}},
        {"global: every match, no overlap", "aba"_t, "ababa aba"_t, {}, {"aba"_t, "aba"_t}},
        {"not global: the first match only", "a."_t, "a1 a2 a3"_t, {.global = false}, {"a1"_t}},
        {"empty matches move on one character", "x*"_t, "abc"_t, {}, {""_t, ""_t, ""_t, ""_t}},
        {"a search after an empty match may match there",
         "a*"_t,
         "baa"_t,
         {},
         {""_t, "aa"_t, ""_t}},
        {"no second try for a longer match where an empty one was",
         "a*?"_t,
         "aa"_t,
         {},
         {""_t, ""_t, ""_t}},
        {"multi-line: ^ and $ at every line",
         "^\\w+$"_t,
         "one\ntwo\nthree"_t,
         {},
         {"one"_t, "two"_t, "three"_t}},
        {"not multi-line: ^ and $ at the ends of the text",
         "^\\w+$"_t,
         "one\ntwo"_t,
         {.multi_line = false},
         {}},
        {"not multi-line: ^ at the start only",
         "^\\w+"_t,
         "one\ntwo"_t,
         {.multi_line = false},
         {"one"_t}},
        {"not multi-line: $ not before a final line feed",
         "two$"_t,
         "one\ntwo\n"_t,
         {.multi_line = false},
         {}},
        {"multi-line: $ before a final line feed", "two$"_t, "one\ntwo\n"_t, {}, {"two"_t}},
        {"a double-byte character is one character",
         "."_t,
         hex("D0A1 41"),
         {},
         {hex("D0A1"), "A"_t}},
        {"a trail byte that looks like a letter is no letter",
         "A"_t,
         hex("8141 C141 41"),
         {},
         {"A"_t}},
        {"a character is never cut", "(.)A"_t, hex("8141 41"), {}, {hex("8141 41")}},
        {"Chinese in the pattern",
         gbk_literal(u8"第.章"),
         gbk_literal(u8"第一章 第二章"),
         {},
         {gbk_literal(u8"第一章"), gbk_literal(u8"第二章")}},
    };
    for (const Case& c : cases) {
        RegexMatcher matcher;
        EXPECT_TRUE(run(matcher, c.pattern, c.subject, c.switches)) << c.what;
        EXPECT_EQ(all_matches(matcher), c.expected) << c.what;
    }
}

TEST(RegexMatcher, RejectedPatternFailsWithNoMatches) {
    const Text patterns[] = {"(a"_t, "a)"_t, "[a"_t, "a**"_t, "(?<n>a)(?<n>b)"_t};
    for (const Text& pattern : patterns) {
        RegexMatcher matcher;
        EXPECT_FALSE(run(matcher, pattern, "aab"_t)) << testing::PrintToString(pattern);
        EXPECT_EQ(matcher.match_count(), 0);
        EXPECT_EQ(matcher.match_text(1), Text());
        EXPECT_EQ(matcher.sub_match_count(), 0);
    }
}

TEST(RegexMatcher, CutsChineseTitlesOutOfALink) {
    const Text pattern = gbk_literal(
        u8R"(<a class="downButton" href='(.*?)' title="《(.*?)》在线阅读">在线阅读</a>)");
    const Text subject = gbk_literal(
        u8R"(<a class="downButton" href='/d/1.txt' title="《斗破苍穹》在线阅读">在线阅读</a>)"
        u8"\r\n"
        u8R"(<a class="downButton" href='/d/2.txt' title="《凡人修仙传》在线阅读">在线阅读</a>)"
        u8"\r");
    RegexMatcher matcher;
    ASSERT_TRUE(run(matcher, pattern, subject));
    ASSERT_EQ(matcher.match_count(), 2);
    EXPECT_EQ(matcher.sub_match_count(), 2);
    EXPECT_EQ(matcher.sub_match_text(1, 1), "/d/1.txt"_t);
    EXPECT_EQ(matcher.sub_match_text(1, 2), gbk_literal(u8"斗破苍穹"));
    EXPECT_EQ(matcher.sub_match_text(2, 1), "/d/2.txt"_t);
    EXPECT_EQ(matcher.sub_match_text(2, 2), gbk_literal(u8"凡人修仙传"));
}

TEST(RegexMatcher, QuoteMarkerStandsForAQuoteOnlyWithItsSwitch) {
    const Text q = quote_marker();
    const Text pattern = "href="_t + q + "(.*?)"_t + q + " id="_t + q + "x"_t + q;
    const Text subject = "<a href=\"/b/7\" id=\"x\">"_t;
    struct Case {
        bool quote_marker;
        Text compiled;
        int matches;
    };
    const Case cases[] = {
        {true, "href=\"(.*?)\" id=\"x\""_t, 1},
        {false, pattern, 0},
    };
    for (const Case& c : cases) {
        RegexMatcher matcher;
        EXPECT_TRUE(run(matcher, pattern, subject, {.quote_marker = c.quote_marker}));
        EXPECT_EQ(matcher.pattern(), c.compiled) << "quote_marker " << c.quote_marker;
        EXPECT_EQ(matcher.match_count(), c.matches) << "quote_marker " << c.quote_marker;
    }
    RegexMatcher matcher;
    run(matcher, pattern, subject, {.quote_marker = true});
    EXPECT_EQ(matcher.sub_match_text(1, 1), "/b/7"_t);
}

TEST(RegexMatcher, QuoteMarkerIsFoundAfterAStrayLeadByte) {
    RegexMatcher matcher;
    run(matcher, hex("B0") + quote_marker(), ""_t, {.quote_marker = true});
    EXPECT_EQ(matcher.pattern(), hex("B0 22"));
}

TEST(RegexMatcher, NumbersOutsideTheMatchesGiveEmptyTexts) {
    RegexMatcher matcher;
    ASSERT_TRUE(run(matcher, "(a)|(b)"_t, "ab"_t));
    ASSERT_EQ(matcher.match_count(), 2);
    EXPECT_EQ(matcher.sub_match_count(), 2);
    struct Case {
        int match, group;
        Text expected;
    };
    const Case cases[] = {
        {1, 1, "a"_t}, {2, 2, "b"_t},  // the groups taken
        {1, 2, ""_t},  {2, 1, ""_t},   // a group that took no part
        {1, 0, ""_t},  {1, -1, ""_t}, {1, 3, ""_t},   {0, 1, ""_t},
        {-1, 1, ""_t}, {3, 1, ""_t},  {99, 99, ""_t},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(matcher.sub_match_text(c.match, c.group), c.expected)
            << "match " << c.match << " group " << c.group;
    }
    EXPECT_EQ(matcher.match_text(0), Text());
    EXPECT_EQ(matcher.match_text(-1), Text());
    EXPECT_EQ(matcher.match_text(3), Text());
}

TEST(RegexMatcher, NothingBeforeTheFirstRun) {
    const RegexMatcher matcher;
    EXPECT_EQ(matcher.match_count(), 0);
    EXPECT_EQ(matcher.sub_match_count(), 0);
    EXPECT_EQ(matcher.match_text(1), Text());
    EXPECT_EQ(matcher.pattern(), Text());
    EXPECT_EQ(matcher.replace("x"_t), Text());
}

TEST(RegexMatcher, SubMatchCountIsZeroWithoutAMatch) {
    RegexMatcher matcher;
    ASSERT_TRUE(run(matcher, "(a)(b)"_t, "xyz"_t));
    EXPECT_EQ(matcher.sub_match_count(), 0);
    ASSERT_TRUE(run(matcher, "(a)(b)(c)?"_t, "ab"_t));
    EXPECT_EQ(matcher.sub_match_count(), 3);
}

TEST(RegexMatcher, EachRunStartsAfresh) {
    RegexMatcher matcher;
    ASSERT_TRUE(run(matcher, "(b)"_t, "abc"_t));
    ASSERT_EQ(matcher.match_count(), 1);

    EXPECT_FALSE(run(matcher, "(b"_t, "bbb"_t));
    EXPECT_EQ(matcher.match_count(), 0);
    EXPECT_EQ(matcher.sub_match_text(1, 1), Text());
    EXPECT_EQ(matcher.pattern(), "(b"_t);

    EXPECT_TRUE(run(matcher, "b(.)"_t, "b1b2"_t));
    EXPECT_EQ(all_matches(matcher), (std::vector<Text>{"b1"_t, "b2"_t}));
    EXPECT_EQ(matcher.sub_match_text(2, 1), "2"_t);

    EXPECT_TRUE(run(matcher, "z"_t, "b1b2"_t));
    EXPECT_EQ(matcher.match_count(), 0);
    EXPECT_EQ(matcher.match_text(1), Text());
}

TEST(RegexMatcher, ReplacesTheMatchesOfTheLastRun) {
    struct Case {
        const char* what;
        Text pattern, subject;
        Switches switches;
        Text replacement, expected;
    };
    const Case cases[] = {
        {"group reference", "<b>(.*?)</b>"_t, "<b>x</b>-<b>y</b>"_t, {}, "[$1]"_t, "[x]-[y]"_t},
        {"first match only when not global",
         "<b>(.*?)</b>"_t,
         "<b>x</b>-<b>y</b>"_t,
         {.global = false},
         "[$1]"_t,
         "[x]-<b>y</b>"_t},
        {"whole match and dollar", "\\d+"_t, "a1b22"_t, {}, "($&$$)"_t, "a(1$)b(22$)"_t},
        {"groups swapped", "(\\w)=(\\w)"_t, "a=b c=d"_t, {}, "$2=$1"_t, "b=a d=c"_t},
        {"a group not taken is empty", "(a)|(b)"_t, "ab"_t, {}, "<$1$2>"_t, "<a><b>"_t},
        {"two digits name a group only when it exists", "(a)"_t, "a"_t, {}, "$10"_t, "a0"_t},
        {"two-digit group",
         "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)"_t,
         "abcdefghijk"_t,
         {},
         "$11$10$1"_t,
         "kja"_t},
        {"a dollar that names no group stays", "(a)"_t, "a"_t, {}, "$0$2$x$"_t, "$0$2$x$"_t},
        {"no match: the subject unchanged", "z"_t, "abc"_t, {}, "y"_t, "abc"_t},
        {"deleting the matches", "<[^>]*>"_t, "<p>a<br>b</p>"_t, {}, ""_t, "ab"_t},
        {"Chinese kept around the matches",
         "\\d"_t,
         gbk_literal(u8"第1章"),
         {},
         gbk_literal(u8"一"),
         gbk_literal(u8"第一章")},
        {"empty matches", "x*"_t, "ab"_t, {}, "-"_t, "-a-b-"_t},
    };
    for (const Case& c : cases) {
        RegexMatcher matcher;
        ASSERT_TRUE(run(matcher, c.pattern, c.subject, c.switches)) << c.what;
        EXPECT_EQ(matcher.replace(c.replacement), c.expected) << c.what;
    }
}

TEST(RegexMatcher, ReplaceAfterAFailedRunKeepsTheSubject) {
    RegexMatcher matcher;
    ASSERT_FALSE(run(matcher, "(b"_t, "abc"_t));
    EXPECT_EQ(matcher.replace("x"_t), "abc"_t);
}

TEST(RegexMatcher, ReadsEveryRowOfABigBooklist) {
    constexpr int rows = 100000;
    std::string page;
    for (int n = 1; n <= rows; ++n)
        page.append(book_row(n).view());
    RegexMatcher matcher;
    ASSERT_TRUE(run(matcher, book_pattern, Text(page)));
    ASSERT_EQ(matcher.match_count(), rows);
    for (int n : {1, 2, rows / 2, rows}) {
        EXPECT_EQ(matcher.sub_match_text(n, 1), "/book/"_t + number(n) + ".html"_t);
        EXPECT_EQ(matcher.sub_match_text(n, 2), gbk_literal(u8"书名") + number(n));
    }
}

TEST(RegexMatcher, FiftyMegabytePageRuns) {
    // Rows far apart, with Chinese filler between them as on a real page.
    const Text filler = repeated(gbk_literal(u8"简介：内容。"), 80) + "\n"_t;
    std::string page;
    int rows = 0;
    while (page.size() < 50u * 1024 * 1024) {
        page.append(book_row(++rows).view()).append(filler.view());
    }
    RegexMatcher matcher;
    ASSERT_TRUE(run(matcher, book_pattern, Text(page)));
    EXPECT_EQ(matcher.match_count(), rows);
    EXPECT_EQ(matcher.sub_match_text(rows, 2), gbk_literal(u8"书名") + number(rows));
}

TEST(RegexMatcher, LinkOpeningsWithoutAnEndStopInBoundedTime) {
    // One line of link openings that never close: each start could run on to
    // the end of the line looking for the closing quote.
    const Text page = repeated("<a class=\"bookname\" href=\"/book/1.html>x "_t, 100000) + "</a>"_t;
    RegexMatcher matcher;
    run(matcher, book_pattern, page);  // success or failure, but it ends
    EXPECT_EQ(matcher.match_count(), 0);
}

TEST(RegexMatcher, RunawayBacktrackingEndsAsAFailure) {
    const Text run_of_a = repeated("a"_t, 1 << 20);  // long enough that no look-ahead rules it out
    const Text patterns[] = {"(a*)*b"_t, "(a*)*[bc]"_t, "(a|aa)*[bc]"_t, "(a|a)*b"_t};
    for (const Text& pattern : patterns) {
        RegexMatcher matcher;
        EXPECT_FALSE(run(matcher, pattern, run_of_a)) << testing::PrintToString(pattern);
        EXPECT_EQ(matcher.match_count(), 0);
    }
}

// The PCRE2 layer itself, where a subject can hold characters that GBK lacks.
TEST(Pcre2Regex, EmptyMatchesStepOverASurrogatePair) {
    auto regex = pcre2::Regex::compile(u"x*");
    ASSERT_TRUE(regex);
    std::vector<pcre2::Span> spans;
    ASSERT_EQ(regex->find_all(u"a\U0001F600b", true, spans), pcre2::SearchResult::matched);
    const std::vector<pcre2::Span> expected = {{0, 0}, {1, 1}, {3, 3}, {4, 4}};
    EXPECT_EQ(spans, expected);
}

TEST(Pcre2Regex, FindNextReportsUnsetGroups) {
    auto regex = pcre2::Regex::compile(u"(a)|(b)");
    ASSERT_TRUE(regex);
    ASSERT_EQ(regex->group_count(), 2);
    pcre2::Span groups[3];
    ASSERT_EQ(regex->find_next(u"xab", 2, groups), pcre2::SearchResult::matched);
    EXPECT_EQ(groups[0], (pcre2::Span{2, 3}));
    EXPECT_FALSE(groups[1].is_set());
    EXPECT_EQ(groups[2], (pcre2::Span{2, 3}));
    EXPECT_EQ(regex->find_next(u"xab", 3, groups), pcre2::SearchResult::no_match);
}

// The JIT and the interpreter, the fallback where the JIT fails, must both end
// a search that would run away.
TEST(Pcre2Regex, EitherEngineEndsARunawaySearch) {
    std::u16string openings;
    for (int i = 0; i < 100000; ++i)
        openings += u"<a class=\"bookname\" href=\"/book/1.html>x ";
    openings += u"</a>";
    const std::u16string run_of_a(1 << 20, u'a');
    struct Case {
        const char16_t* pattern;
        const std::u16string& subject;
        bool may_end_without_match;
    };
    const Case cases[] = {
        {u"<a class=\"bookname\" href=\"(.*?)\">(.*?)</a>", openings, true},
        {u"(a*)*[bc]", run_of_a, false},
        {u"(a|aa)*[bc]", run_of_a, false},
    };
    for (bool allow_jit : {true, false}) {
        for (const Case& c : cases) {
            auto regex = pcre2::Regex::compile(c.pattern, {.allow_jit = allow_jit});
            ASSERT_TRUE(regex);
            EXPECT_EQ(regex->uses_jit(), allow_jit);
            std::vector<pcre2::Span> spans;
            const pcre2::SearchResult result = regex->find_all(c.subject, true, spans);
            const bool ended_without_match =
                c.may_end_without_match && result == pcre2::SearchResult::no_match;
            EXPECT_TRUE(result == pcre2::SearchResult::limit_reached || ended_without_match)
                << "allow_jit " << allow_jit << " result " << static_cast<int>(result);
            EXPECT_TRUE(spans.empty());
        }
    }
}

TEST(Pcre2Regex, EitherEngineFindsEveryRowOfABigPage) {
    constexpr int rows = 100000;
    std::u16string page;
    for (int i = 0; i < rows; ++i)
        page += u"<li><a class=\"bookname\" href=\"/b\">name</a></li>\n";
    for (bool allow_jit : {true, false}) {
        auto regex = pcre2::Regex::compile(u"href=\"(.*?)\">(.*?)</a>", {.allow_jit = allow_jit});
        ASSERT_TRUE(regex);
        std::vector<pcre2::Span> spans;
        ASSERT_EQ(regex->find_all(page, true, spans), pcre2::SearchResult::matched);
        ASSERT_EQ(spans.size(), 3u * rows) << "allow_jit " << allow_jit;
        EXPECT_EQ(spans.back(), (pcre2::Span{page.size() - 14, page.size() - 10}));  // name
    }
}

TEST(Pcre2Regex, InvalidUtf16NeverMatches) {
    const std::u16string subject = {u'a', 0xD800, u'b', 0xDC00};
    struct Case {
        bool allow_jit;
        pcre2::SearchResult expected;
    };
    const Case cases[] = {
        {true, pcre2::SearchResult::matched},
        {false, pcre2::SearchResult::error},
    };
    for (const Case& c : cases) {
        auto regex = pcre2::Regex::compile(u"[^a]", {.allow_jit = c.allow_jit});
        ASSERT_TRUE(regex);
        std::vector<pcre2::Span> spans;
        EXPECT_EQ(regex->find_all(subject, true, spans), c.expected) << c.allow_jit;
        if (c.expected == pcre2::SearchResult::matched) {
            EXPECT_EQ(spans, (std::vector<pcre2::Span>{{2, 3}}));
        }
    }
}

TEST(Pcre2Regex, LimitIsReportedAndLeavesTheSpansAlone) {
    auto regex = pcre2::Regex::compile(u"(a*)*[bc]");
    ASSERT_TRUE(regex);
    std::vector<pcre2::Span> spans(2);
    // A first match, then a search that runs away.
    EXPECT_EQ(regex->find_all(u"b" + std::u16string(100000, u'a'), true, spans),
              pcre2::SearchResult::limit_reached);
    EXPECT_EQ(spans.size(), 2u);
}

}  // namespace
}  // namespace orvu
