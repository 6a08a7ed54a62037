#include <gtest/gtest.h>

#include "sites/catalogue.hpp"
#include "support/text_support.hpp"
#include "text/codepage.hpp"

namespace orvu {
namespace {

using test::hex_of;

Text hex(std::string_view digits) {
    return test::text_from_hex(digits);
}

// Endpoint values unlike the build's, with ports, as the local test servers use.
const Endpoints test_endpoints{
    .site1_host = "one.test:8443"_t,
    .site2_host = "two.test:8080"_t,
    .search_service_host = "search.test:81"_t,
    .site3_domain = "three.test"_t,
    .search_service_site_id = "4321"_t,
    .site3_download_host = "files.test:8444"_t,
};

class CatalogueTest : public testing::Test {
  protected:
    void SetUp() override { set_search_prefixes(test_endpoints); }
    void TearDown() override { release_search_prefixes(); }
};

TEST(SiteProfiles, LabelsAndNoticesAreTheirGbkBytes) {
    struct Case {
        SiteIndex site;
        std::string label, notice;
    };
    const Case cases[] = {
        {0, "D7 CA D4 B4 D5 BE 31",
         "D5 E2 B8 F6 D7 CA D4 B4 D5 BE C3 BB D3 D0 CB D1 CB F7 BC E4 B8 F4"},
        {1, "D7 CA D4 B4 D5 BE 32",
         "D5 E2 B8 F6 D7 CA D4 B4 D5 BE D3 D0 31 30 C3 EB CB D1 CB F7 BC E4 B8 F4"},
        {2, "D7 CA D4 B4 D5 BE 33",
         "D5 E2 B8 F6 D7 CA D4 B4 D5 BE D3 D0 B5 E3 CE CA CC E2 A3 AC C3 BB CB D1 CB F7 B3 F6 C0 "
         "B4 D4 D9 CB D1 CF C2 A3 AC CF C2 D4 D8 B5 C4 CA B1 BA F2 B6 E0 B5 C8 BB E1"},
    };
    for (const Case& c : cases) {
        const SiteProfile* profile = profile_for(c.site);
        ASSERT_NE(profile, nullptr) << c.site;
        EXPECT_EQ(hex_of(profile->site_label.view()), c.label) << c.site;
        EXPECT_EQ(hex_of(profile->site_notice.view()), c.notice) << c.site;
    }
}

TEST(SiteProfiles, PatternsAreExact) {
    struct Case {
        SiteIndex site;
        std::string result_pattern, link_pattern;
    };
    const Case cases[] = {
        {0, R"re(<a class="bookname" href="(.*?)">(.*?)</a>)re",
         R"re(<a class="down_url" href="(.*?)">(.*?)</a></li>)re"},
        {1,
         R"re(<li><i class="tag-blue">(.*?)</i><a href="(.*?)">(.*?)</a>(.*?)<span class="time">(.*?)</span></li>)re",
         "<a class=\"btn_b\" href=\"(.*?)\" rel=\"nofollow\" target=\"_blank\">(.*?)</a>\r"},
        {2, "<a rpos=\"\" cpos=\"title\" href=\"(.*?)\"  target=\"_blank\">(.*?)</a>",
         test::bytes_from_hex(
             "3C 61 20 63 6C 61 73 73 3D 22 64 6F 77 6E 42 75 74 74 6F 6E 22 20 68 72 65 66 3D 27 "
             "28 2E 2A 3F 29 27 20 74 69 74 6C 65 3D 22 A1 B6 28 2E 2A 3F 29 A1 B7 D4 DA CF DF D4 "
             "C4 B6 C1 22 3E D4 DA CF DF D4 C4 B6 C1 3C 2F 61 3E 0D")},
    };
    for (const Case& c : cases) {
        const SiteProfile& profile = *profile_for(c.site);
        EXPECT_EQ(profile.result_pattern.view(), c.result_pattern) << c.site;
        EXPECT_EQ(profile.link_pattern.view(), c.link_pattern) << c.site;
    }
}

TEST(SiteProfiles, ColumnMapsAndKinds) {
    const SiteProfile& one = *profile_for(0);
    const SiteProfile& two = *profile_for(1);
    const SiteProfile& three = *profile_for(2);

    EXPECT_EQ(one.search_prefix, &search_prefix_site1);
    EXPECT_EQ(two.search_prefix, &search_prefix_site2);
    EXPECT_EQ(three.search_prefix, &search_prefix_site3);

    EXPECT_TRUE(one.search_page_utf8);
    EXPECT_FALSE(two.search_page_utf8);
    EXPECT_TRUE(three.search_page_utf8);

    EXPECT_EQ(one.title_submatches, std::vector<int>{2});
    EXPECT_EQ(two.title_submatches, (std::vector<int>{3, 4}));
    EXPECT_EQ(three.title_submatches, std::vector<int>{2});
    EXPECT_EQ(one.address_submatch, 1);
    EXPECT_EQ(two.address_submatch, 2);
    EXPECT_EQ(three.address_submatch, 1);

    EXPECT_EQ(one.book_page_body, BookPageBody::utf8_body);
    EXPECT_EQ(two.book_page_body, BookPageBody::plain_body);
    EXPECT_EQ(three.book_page_body, BookPageBody::gzip_utf8_body);

    EXPECT_EQ(one.download_kind, DownloadKind::browser_navigate);
    EXPECT_EQ(two.download_kind, DownloadKind::browser_navigate);
    EXPECT_EQ(three.download_kind, DownloadKind::download_prompt);
}

TEST(SiteProfiles, OnlyTheThreeSitesHaveOne) {
    for (SiteIndex site : {-1, 3, 100, -100})
        EXPECT_EQ(profile_for(site), nullptr) << site;
}

TEST_F(CatalogueTest, PrefixesFollowTheEndpointsAndAreReleased) {
    EXPECT_EQ(search_prefix_site1, "https://one.test:8443/so/search.html?searchkey="_t);
    EXPECT_EQ(search_prefix_site2, "two.test:8080/search.htm?keyword="_t);
    EXPECT_EQ(search_prefix_site3, "search.test:81/cse/site/?cc=three.test&s=4321&q="_t);
    release_search_prefixes();
    EXPECT_TRUE(search_prefix_site1.empty());
    EXPECT_TRUE(search_prefix_site2.empty());
    EXPECT_TRUE(search_prefix_site3.empty());
}

TEST_F(CatalogueTest, SearchAddressEscapesEveryByteOfTheUtf8Keyword) {
    const Text dibA = hex("B5DB B0D4");  // 帝霸
    struct Case {
        SiteIndex site;
        Text keyword, expected;
    };
    const Case cases[] = {
        {0, dibA, "https://one.test:8443/so/search.html?searchkey=%E5%B8%9D%E9%9C%B8"_t},
        {1, dibA, "two.test:8080/search.htm?keyword=%E5%B8%9D%E9%9C%B8"_t},
        {2, dibA, "search.test:81/cse/site/?cc=three.test&s=4321&q=%E5%B8%9D%E9%9C%B8"_t},
        {0, "abc"_t, "https://one.test:8443/so/search.html?searchkey=%61%62%63"_t},
        {1, " a "_t, "two.test:8080/search.htm?keyword=%20%61%20"_t},  // not trimmed
        {2, ""_t, "search.test:81/cse/site/?cc=three.test&s=4321&q="_t},
        {-1, "abc"_t, ""_t},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(search_address(c.site, c.keyword), c.expected) << c.site;
    }
}

TEST_F(CatalogueTest, SearchAddressReadsThePrefixWhenItRuns) {
    search_prefix_site2 = "changed/?k="_t;
    EXPECT_EQ(search_address(1, "a"_t), "changed/?k=%61"_t);
}

TEST(BookPageAddress, FollowsEachSitesRule) {
    struct Case {
        SiteIndex site;
        Text cell, expected;
    };
    const Case cases[] = {
        {0, "/book/12345.html"_t, "https://one.test:8443/12345/down.html"_t},
        {0, "/BOOK/12345.HTML"_t, "https://one.test:8443/12345/down.html"_t},
        {0, "xyz"_t, "https://one.test:8443/xyz/down.html"_t},
        {0, ""_t, "https://one.test:8443//down.html"_t},
        {1, "/b/1.html"_t, "two.test:8080/b/1.html"_t},
        {1, "b/1.html"_t, "two.test:8080b/1.html"_t},  // no slash is added
        {2, "http://three.test/book/9/"_t, "http://three.test/book/9/"_t},
        {-1, "/book/1.html"_t, ""_t},
        {3, "/book/1.html"_t, ""_t},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(book_page_address(c.site, c.cell, test_endpoints), c.expected)
            << c.site << " " << testing::PrintToString(c.cell);
    }
}

TEST(DownloadAddress, FollowsEachSitesRule) {
    const Text title = hex("CAE9 C3FB");  // 书名
    const Endpoints edu_host = [] {
        Endpoints e = test_endpoints;
        e.site3_download_host = "files.edu"_t;
        return e;
    }();
    struct Case {
        const char* what;
        Text result, expected;
    };
    const Case cases[] = {
        {"site 1: a leading slash gives two",
         download_address(0, "/d/1.txt"_t, "x"_t, test_endpoints),
         "https://one.test:8443//d/1.txt"_t},
        {"site 2: no scheme", download_address(1, "d/1.txt"_t, "x"_t, test_endpoints),
         "two.test:8080/d/1.txt"_t},
        {"site 3: title and .txt, du/ removed",
         download_address(2, "/du/12/12345/"_t, title, test_endpoints),
         "https://files.test:8444/12/12345/"_t + title + ".txt"_t},
        {"site 3: du/ in the title and in capitals",
         download_address(2, "/DU/1/"_t, "edu/x"_t, test_endpoints),
         "https://files.test:8444/1/ex.txt"_t},
        {"site 3: du/ across the host", download_address(2, "/a/"_t, "t"_t, edu_host),
         "https://files.ea/t.txt"_t},
        {"site 3: empty cells", download_address(2, ""_t, ""_t, test_endpoints),
         "https://files.test:8444.txt"_t},
        {"no site", download_address(-1, "/d/1.txt"_t, "x"_t, test_endpoints), ""_t},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.result, c.expected) << c.what;
}

}  // namespace
}  // namespace orvu
