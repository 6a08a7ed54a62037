#include "demo/demo_sites.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

#include "sites/catalogue.hpp"
#include "support/test_server.hpp"
#include "support/text_support.hpp"
#include "text/codepage.hpp"
#include "web/fetch.hpp"
#include "web/gunzip.hpp"

namespace orvu::demo {
namespace {

std::string utf8(std::u8string_view text) {
    return std::string(text.begin(), text.end());
}

Text gbk(const std::string& utf8_text) {
    return utf8_to_gbk(Text(utf8_text));
}

std::size_t count_of(std::string_view haystack, std::string_view needle) {
    std::size_t count = 0;
    for (auto at = haystack.find(needle); at != std::string_view::npos;
         at = haystack.find(needle, at + needle.size())) {
        ++count;
    }
    return count;
}

bool contains(std::string_view haystack, std::string_view needle) {
    return haystack.find(needle) != std::string_view::npos;
}

const DemoBook& book_titled(std::u8string_view title) {
    for (const DemoBook& book : demo_books()) {
        if (book.title == utf8(title)) return book;
    }
    throw std::logic_error("no demo book titled " + utf8(title));
}

// What the catalogue's address rules make of a UTF-8 title: all of its bytes escaped.
std::string escaped_title(const DemoBook& book) {
    return std::string(url_encode(gbk(book.title), false, true).view());
}

std::string attachment_header(const std::string& file_name, const DemoBook& book) {
    return "Content-Disposition: attachment; filename=\"" + file_name + "\"; filename*=UTF-8''" +
           escaped_title(book) + ".txt\r\n";
}

struct Fetched {
    Bytes body;
    Text headers;
};

Fetched fetch(const Text& address, int method = method_get) {
    Fetched fetched;
    fetched.body = fetch_page(address, {.method = method, .returned_headers = &fetched.headers});
    return fetched;
}

// The demo sites on free ports, with the catalogue's prefixes pointing at them.
class DemoSitesTest : public testing::Test {
  protected:
    void SetUp() override {
        saved_timeouts_ = fetch_timeouts();
        set_fetch_timeouts({std::chrono::milliseconds(10'000), std::chrono::seconds(10)});
        set_extra_ca_file(test::test_ca_file());
        set_search_prefixes(endpoints);
    }
    void TearDown() override {
        release_search_prefixes();
        set_extra_ca_file("");
        set_fetch_timeouts(saved_timeouts_);
    }

    std::string site3_pages_origin() const {
        return "http://127.0.0.1:" + std::to_string(sites.ports().site3_pages);
    }

    DemoSites sites;
    const Endpoints endpoints = sites.endpoints();

  private:
    FetchTimeouts saved_timeouts_;
};

TEST(DemoBooksTest, TheCatalogueHoldsTheClassicsAndTheDefaultKeywordsBook) {
    const struct {
        std::u8string_view title, author;
    } expected[] = {
        {u8"西游记", u8"吴承恩"},   {u8"红楼梦", u8"曹雪芹"},   {u8"水浒传", u8"施耐庵"},
        {u8"三国演义", u8"罗贯中"}, {u8"聊斋志异", u8"蒲松龄"},
    };
    for (const auto& [title, author] : expected)
        EXPECT_EQ(book_titled(title).author, utf8(author)) << utf8(title);
    EXPECT_EQ(book_titled(u8"帝霸").category, utf8(u8"玄幻"));
    EXPECT_EQ(demo_books().size(), std::size(expected) + 1);
}

TEST(DemoBooksTest, EveryBookHasAnIdOnceAndTextsThatGbkCanHold) {
    std::set<int> ids;
    for (const DemoBook& book : demo_books()) {
        EXPECT_GT(book.id, 0) << book.title;
        EXPECT_TRUE(ids.insert(book.id).second) << "id " << book.id << " twice";
        for (const std::string* field : {&book.title, &book.author, &book.category, &book.text}) {
            EXPECT_FALSE(field->empty()) << book.title;
            // A character GBK lacks comes back as a substitute.
            EXPECT_EQ(gbk_to_utf8(gbk(*field)).view(), *field) << book.title;
        }
        EXPECT_TRUE(contains(book.text, book.title)) << book.title;
        EXPECT_TRUE(contains(book.text, book.author)) << book.title;
        EXPECT_GE(count_of(book.text, "\r\n\r\n"), 4u) << book.title << ": a few paragraphs";
    }
}

TEST_F(DemoSitesTest, EndpointsNameTheServersPorts) {
    const DemoPorts ports = sites.ports();
    for (int port :
         {ports.site1, ports.site2, ports.search_service, ports.site3_pages, ports.site3_files}) {
        EXPECT_GT(port, 0);
    }
    EXPECT_EQ(endpoints.site1_host, Text("127.0.0.1:" + std::to_string(ports.site1)));
    EXPECT_EQ(endpoints.site2_host, Text("127.0.0.1:" + std::to_string(ports.site2)));
    EXPECT_EQ(endpoints.search_service_host,
              Text("127.0.0.1:" + std::to_string(ports.search_service)));
    EXPECT_EQ(endpoints.site3_domain, "site3.demo"_t);
    EXPECT_EQ(endpoints.search_service_site_id, "3003"_t);
    EXPECT_EQ(endpoints.site3_download_host,
              Text("127.0.0.1:" + std::to_string(ports.site3_files)));
}

TEST(DemoSitesPortsTest, AskedPortsAreTheOnesListenedOn) {
    // Ports that were free a moment ago: those of sites that have just stopped.
    const DemoPorts asked = DemoSites().ports();
    const DemoSites sites(asked);
    const DemoPorts got = sites.ports();
    EXPECT_EQ(got.site1, asked.site1);
    EXPECT_EQ(got.site2, asked.site2);
    EXPECT_EQ(got.search_service, asked.search_service);
    EXPECT_EQ(got.site3_pages, asked.site3_pages);
    EXPECT_EQ(got.site3_files, asked.site3_files);
    EXPECT_EQ(sites.endpoints().site1_host, Text("127.0.0.1:" + std::to_string(asked.site1)));
}

// The result row each site writes for a book, in UTF-8.
std::string result_row(SiteIndex site, const DemoBook& book, const std::string& pages_origin) {
    const std::string id = std::to_string(book.id);
    switch (site) {
        case 0:
            return "<a class=\"bookname\" href=\"/book/" + id + ".html\">" + book.title + "</a>";
        case 1:
            return "<li><i class=\"tag-blue\">" + book.category + "</i><a href=\"/b/" + id +
                   "/\">" + book.title + "</a>/" + book.author +
                   "<span class=\"time\">2024-05-01</span></li>";
        default:
            return "<a rpos=\"\" cpos=\"title\" href=\"" + pages_origin + "/book/" + id +
                   "/\"  target=\"_blank\">" + book.title + "</a>";
    }
}

constexpr std::string_view result_marker[] = {"class=\"bookname\"", "class=\"tag-blue\"",
                                              "cpos=\"title\""};

TEST_F(DemoSitesTest, SearchesListTheBooksWhoseTitleOrAuthorHoldsTheKeyword) {
    std::set<std::string> all_titles;
    for (const DemoBook& book : demo_books())
        all_titles.insert(book.title);
    const struct {
        std::u8string_view keyword;
        std::set<std::string> titles;
    } cases[] = {
        {u8"西游记", {utf8(u8"西游记")}},
        {u8"曹雪芹", {utf8(u8"红楼梦")}},
        {u8"帝霸", {utf8(u8"帝霸")}},
        {u8"志", {utf8(u8"聊斋志异")}},
        {u8"", all_titles},
        {u8"没有这本书", {}},
    };
    for (SiteIndex site = 0; site < 3; ++site) {
        for (const auto& [keyword, titles] : cases) {
            const Text address = search_address(site, gbk_literal(keyword));
            const Bytes body = fetch_page(address);
            SCOPED_TRACE("site " + std::to_string(site) + ", " + std::string(address.view()));
            // Site 2 writes GBK; the others UTF-8.
            const auto in_site_code = [site](const std::string& utf8_text) {
                return site == 1 ? std::string(gbk(utf8_text).view()) : utf8_text;
            };
            for (const DemoBook& book : demo_books()) {
                const std::string row = in_site_code(result_row(site, book, site3_pages_origin()));
                EXPECT_EQ(contains(body.view(), row), titles.contains(book.title)) << row;
            }
            EXPECT_EQ(count_of(body.view(), result_marker[site]), titles.size());
            EXPECT_TRUE(contains(body.view(), "</html>"));
        }
    }
}

TEST_F(DemoSitesTest, Site2WritesGbkNotUtf8) {
    const Bytes body = fetch_page(search_address(1, gbk_literal(u8"西游记")));
    EXPECT_TRUE(contains(body.view(), gbk_literal(u8"西游记").view()));
    EXPECT_TRUE(contains(body.view(), test::bytes_from_hex("CE F7 D3 CE BC C7")));  // 西游记
    EXPECT_FALSE(contains(body.view(), utf8(u8"西游记")));
}

TEST_F(DemoSitesTest, SearchServiceFindsNothingForAnotherSite) {
    const std::string host(endpoints.search_service_host.view());
    const std::string keyword = "&q=" + escaped_title(book_titled(u8"西游记"));
    const std::string queries[] = {"cc=other.demo&s=3003" + keyword,
                                   "cc=site3.demo&s=3004" + keyword, "s=3003" + keyword};
    for (const std::string& query : queries) {
        const Fetched fetched = fetch(Text(host + "/cse/site/?" + query));
        EXPECT_TRUE(fetched.headers.view().starts_with("HTTP/1.1 200")) << query;
        EXPECT_FALSE(contains(fetched.body.view(), result_marker[2])) << query;
        EXPECT_TRUE(contains(fetched.body.view(), "</html>")) << query;
    }
}

TEST_F(DemoSitesTest, Site1BookPageListsBothFilesAndServesThemAsAttachments) {
    const DemoBook& book = book_titled(u8"西游记");
    const Bytes page = fetch_page(book_page_address(0, "/book/1201.html"_t, endpoints));
    for (const std::u8string_view link :
         {u8"<a class=\"down_url\" href=\"/d/1201.txt\">TXT下载</a></li>",
          u8"<a class=\"down_url\" href=\"/d/1201-full.txt\">全本下载</a></li>"}) {
        EXPECT_TRUE(contains(page.view(), utf8(link))) << utf8(link);
    }

    const std::string files[] = {"1201.txt", "1201-full.txt"};
    for (const std::string& file : files) {
        const Text twice_slashed =
            download_address(0, Text("/d/" + file), gbk_literal(u8"TXT下载"), endpoints);
        ASSERT_TRUE(contains(twice_slashed.view(), "//d/")) << twice_slashed.view();
        const Text once_slashed =
            Text("https://" + std::string(endpoints.site1_host.view()) + "/d/" + file);
        for (const Text& address : {twice_slashed, once_slashed}) {
            const Fetched fetched = fetch(address);
            EXPECT_EQ(fetched.body.view(), book.text) << address.view();
            EXPECT_TRUE(
                contains(fetched.headers.view(), "Content-Type: application/octet-stream\r\n"));
            EXPECT_TRUE(contains(fetched.headers.view(), attachment_header(file, book)))
                << fetched.headers.view();
        }
    }
}

TEST_F(DemoSitesTest, HeadGivesTheFilesHeadersWithoutItsBody) {
    const Fetched fetched =
        fetch(download_address(0, "/d/1201.txt"_t, "TXT"_t, endpoints), method_head);
    EXPECT_TRUE(fetched.body.empty());
    EXPECT_TRUE(
        contains(fetched.headers.view(), attachment_header("1201.txt", book_titled(u8"西游记"))));
}

TEST_F(DemoSitesTest, Site2BookPageEndsTheLinkInCarriageReturnAndServesGbkText) {
    const DemoBook& book = book_titled(u8"西游记");
    const Bytes page = fetch_page(book_page_address(1, "/b/1201/"_t, endpoints));
    const Text link = gbk_literal(
        u8"<a class=\"btn_b\" href=\"down/1201.txt\" rel=\"nofollow\" "
        u8"target=\"_blank\">TXT下载</a>\r\n");
    EXPECT_TRUE(contains(page.view(), link.view()));

    const Fetched file = fetch(download_address(1, "down/1201.txt"_t, "TXT"_t, endpoints));
    EXPECT_EQ(file.body.view(), gbk(book.text).view());
    EXPECT_TRUE(contains(file.headers.view(), "Content-Type: text/plain; charset=gbk\r\n"));
    EXPECT_TRUE(contains(file.headers.view(), attachment_header("1201.txt", book)));
}

TEST_F(DemoSitesTest, Site3BookPageIsGzipAndItsLinkLeadsToTheFile) {
    const DemoBook& book = book_titled(u8"帝霸");  // id 38117: folder 17
    Fetched page = fetch(Text(site3_pages_origin() + "/book/38117/"));
    EXPECT_TRUE(contains(page.headers.view(), "Content-Encoding: gzip\r\n"));
    ASSERT_TRUE(page.body.view().starts_with("\x1F\x8B"));
    const Text page_text = utf8_to_gbk(body_as_text(gunzip_body(page.body)));
    const Text link = gbk("<a class=\"downButton\" href='/du/17/38117/' title=\"" + utf8(u8"《") +
                          book.title + utf8(u8"》在线阅读\">在线阅读</a>\r\n"));
    EXPECT_TRUE(contains(page_text.view(), link.view())) << page_text.view();

    // The catalogue sends the title as GBK bytes; a browser would escape its UTF-8.
    const Text raw_title = download_address(2, "/du/17/38117/"_t, gbk(book.title), endpoints);
    const Text escaped_address =
        Text("https://" + std::string(endpoints.site3_download_host.view()) + "/17/38117/" +
             escaped_title(book) + ".txt");
    for (const Text& address : {raw_title, escaped_address}) {
        const Fetched file = fetch(address);
        EXPECT_EQ(file.body.view(), book.text) << address.view();
        EXPECT_TRUE(contains(file.headers.view(), "Content-Type: text/plain; charset=utf-8\r\n"));
        EXPECT_TRUE(contains(file.headers.view(), attachment_header("38117.txt", book)));
    }
}

TEST_F(DemoSitesTest, AnythingElseIsA404Page) {
    const DemoPorts ports = sites.ports();
    const std::string site1 = "https://127.0.0.1:" + std::to_string(ports.site1);
    const std::string site2 = "http://127.0.0.1:" + std::to_string(ports.site2);
    const std::string search = "http://127.0.0.1:" + std::to_string(ports.search_service);
    const std::string pages = site3_pages_origin();
    const std::string files = "https://127.0.0.1:" + std::to_string(ports.site3_files);
    const std::string addresses[] = {
        site1 + "/",
        site1 + "/999/down.html",
        site1 + "/d/999.txt",
        site1 + "/d/01201.txt",
        site2 + "/b/999/",
        site2 + "/down/999.txt",
        site2 + "/so/search.html?searchkey=a",
        search + "/cse/other/?cc=site3.demo&s=3003&q=a",
        pages + "/book/1201",
        pages + "/book/999/",
        files + "/2/1201/x.txt",   // 1201 lives in folder 1
        files + "/1/1201/.txt",    // no name
        files + "/1/1201/x.html",  // not a text file
        files + "/17/999/x.txt",
        files + "/1/1201/",
    };
    for (const std::string& address : addresses) {
        const Fetched fetched = fetch(Text(address));
        EXPECT_TRUE(fetched.headers.view().starts_with("HTTP/1.1 404")) << address;
        EXPECT_TRUE(contains(fetched.body.view(), "404 Not Found")) << address;
    }
}

}  // namespace
}  // namespace orvu::demo
