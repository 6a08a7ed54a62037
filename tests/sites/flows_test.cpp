#include <gtest/gtest.h>

#include "demo/demo_sites.hpp"
#include "flow_harness.hpp"
#include "support/test_server.hpp"
#include "support/text_support.hpp"
#include "text/codepage.hpp"
#include "text/text_ops.hpp"
#include "web/fetch.hpp"
#include "web/zlib_codec.hpp"

namespace orvu {
namespace {

using test::FlowHarness;
using test::hex_of;
using test::Reply;
using test::TestServer;

Text gbk(std::u8string_view utf8) {
    return gbk_literal(utf8);
}
Text text(const std::string& bytes) {
    return Text(bytes);
}

void trust_the_test_servers() {
    set_extra_ca_file(test::test_ca_file());
    set_fetch_timeouts({std::chrono::milliseconds(3000), std::chrono::seconds(2)});
}

TEST(FlowTexts, AreTheirGbkBytes) {
    EXPECT_EQ(hex_of(search_failed_text().view()),
              "CE B4 D5 D2 B5 BD D0 A1 CB B5 A3 AC C7 EB BC EC B2 E9 B9 D8 BC FC B4 CA A3 A1");
    EXPECT_EQ(hex_of(nothing_found_text().view()),
              "CE B4 D5 D2 B5 BD D0 A1 CB B5 A3 AC C7 EB BC EC B2 E9 B9 D8 BC FC B4 CA");
    EXPECT_EQ(hex_of(links_failed_text().view()), "B3 F6 B4 ED C1 CB A3 A1");
    EXPECT_EQ(hex_of(download_window_caption().view()),
              "D0 A1 CB B5 CF C2 D4 D8 20 2D 20 4F 72 76 75 D4 C6 D0 A1 CB B5");
}

// The whole road on the demo sites: keyword, result rows, download-page address,
// link rows, and the address that leads to the book's file.
class DemoRoadTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { sites_ = std::make_unique<demo::DemoSites>(); }
    static void TearDownTestSuite() { sites_.reset(); }
    void SetUp() override {
        trust_the_test_servers();
        set_search_prefixes(sites_->endpoints());
    }
    void TearDown() override { release_search_prefixes(); }

    static std::unique_ptr<demo::DemoSites> sites_;
};
std::unique_ptr<demo::DemoSites> DemoRoadTest::sites_;

TEST_F(DemoRoadTest, KeywordToRowsToLinksToTheFileOnEverySite) {
    const Endpoints endpoints = sites_->endpoints();
    const Text title = gbk(u8"西游记");
    const Text author = gbk(u8"吴承恩");
    for (SiteIndex site : {0, 1, 2}) {
        SCOPED_TRACE("site " + std::to_string(site));
        FlowHarness ui(endpoints);
        ui.site.select(site);
        ui.keyword.set_text(title);

        search_books(ui.main);
        EXPECT_TRUE(ui.messages.shown().empty());
        const int row = FlowHarness::row_with(ui.results, 1, title);
        ASSERT_NE(row, -1);
        const auto& result = ui.results.rows()[static_cast<std::size_t>(row)];
        EXPECT_EQ(result[0], text(std::to_string(row + 1)));
        // Site 2 joins the link text and what follows it up to the time span.
        if (site == 1) {
            EXPECT_NE(text_search(result[1], author), -1);
        }

        ui.results.select(row);
        open_result(ui.main);
        ASSERT_EQ(ui.opener.openings(), 1);
        EXPECT_EQ(ui.download_page_address.text(), book_page_address(site, result[2], endpoints));
        EXPECT_EQ(ui.caption.caption(), download_window_caption());
        ASSERT_FALSE(ui.links.rows().empty());
        EXPECT_TRUE(ui.messages.shown().empty());
        if (site == 2) {
            EXPECT_EQ(ui.links.rows()[0][1], title);  // the title from 《》
        }

        ui.links.select(0);
        start_download(ui.main, ui.window);
        const auto& link = ui.links.rows()[0];
        if (site == 2) {
            ASSERT_EQ(ui.addresses.prompt_addresses().size(), 1u);
            EXPECT_TRUE(ui.addresses.browser_addresses().empty());
            const Text wide_back = utf16_to_text(ui.addresses.prompt_addresses()[0]);
            EXPECT_EQ(wide_back, download_address(site, link[2], link[1], endpoints));
            EXPECT_EQ(text_right(wide_back, 4), ".txt"_t);
            EXPECT_FALSE(fetch_page(wide_back).empty());
        } else {
            ASSERT_EQ(ui.addresses.browser_addresses().size(), 1u);
            EXPECT_TRUE(ui.addresses.prompt_addresses().empty());
            const Text address = ui.addresses.browser_addresses()[0];
            EXPECT_EQ(address, download_address(site, link[2], {}, endpoints));
            Text headers;
            EXPECT_FALSE(fetch_page(address, {.returned_headers = &headers}).empty());
            EXPECT_NE(text_search(headers, "attachment"_t, 1, true), -1);
        }
    }
}

TEST_F(DemoRoadTest, TheDefaultKeywordFindsItsBook) {
    FlowHarness ui(sites_->endpoints());
    search_books(ui.main);
    EXPECT_NE(FlowHarness::row_with(ui.results, 1, gbk(u8"帝霸")), -1);
}

// Scripted servers in the place of the sites, for the ways a flow can fail.
class ScriptedFlowTest : public testing::Test {
  protected:
    void SetUp() override {
        trust_the_test_servers();
        endpoints_ = {.site1_host = text(site1_.host()),
                      .site2_host = text(site2_.host()),
                      .search_service_host = text(search_.host()),
                      .site3_domain = "three.test"_t,
                      .search_service_site_id = "7"_t,
                      .site3_download_host = text(files_.host())};
        set_search_prefixes(endpoints_);
    }
    void TearDown() override { release_search_prefixes(); }

    TestServer& server_of(SiteIndex site) {
        return site == 0 ? site1_ : site == 1 ? site2_ : search_;
    }
    std::size_t requests_seen() {
        return site1_.requests().size() + site2_.requests().size() + search_.requests().size() +
               pages_.requests().size();
    }

    TestServer site1_{TestServer::Kind::https}, site2_, search_, pages_,
        files_{TestServer::Kind::https};
    Endpoints endpoints_;
};

const std::vector<ShownMessage> none;
std::vector<ShownMessage> stop_box(const Text& message) {
    return {{message, MessageIcon::stop}};
}

TEST_F(ScriptedFlowTest, SearchShowsRowsOrTheRightMessage) {
    const std::string r1_row = "<a class=\"bookname\" href=\"/book/1.html\">A</a>";
    const std::string r3_row =
        "<a rpos=\"\" cpos=\"title\" href=\"http://x/1/\"  target=\"_blank\">A</a>";
    struct Case {
        const char* what;
        SiteIndex site;
        std::optional<std::string> page;  // none: the connection is refused
        std::vector<std::vector<std::string>> rows;
        std::vector<ShownMessage> messages;
    };
    const std::vector<Case> cases = {
        {"site 1",
         0,
         r1_row + "\n" + r1_row,
         {{"1", "A", "/book/1.html"}, {"2", "A", "/book/1.html"}},
         none},
        {"site 2 joins groups 3 and 4",
         1,
         "<li><i class=\"tag-blue\">t</i><a href=\"/b/9/\">Title</a>/Author<span "
         "class=\"time\">d</span></li>",
         {{"1", "Title/Author", "/b/9/"}},
         none},
        {"site 2 with group 4 empty",
         1,
         "<LI><I CLASS=\"TAG-BLUE\">t</I><A HREF=\"/b/9/\">Title</A><SPAN "
         "CLASS=\"TIME\">d</SPAN></LI>",
         {{"1", "Title", "/b/9/"}},
         none},
        {"site 3", 2, r3_row, {{"1", "A", "http://x/1/"}}, none},
        {"a zero byte ends the page",
         0,
         r1_row + std::string(1, '\0') + r1_row,
         {{"1", "A", "/book/1.html"}},
         none},
        {"an anchor broken by a line feed",
         0,
         "<a class=\"bookname\" href=\"/book/1.html\">A\n</a>",
         {},
         stop_box(nothing_found_text())},
        {"no match", 2, "<html>nothing here</html>", {}, stop_box(nothing_found_text())},
        {"an empty page", 1, "", {}, stop_box(nothing_found_text())},
        {"the fetch fails", 0, std::nullopt, {}, stop_box(nothing_found_text())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Endpoints endpoints = endpoints_;
        if (!c.page) {
            endpoints.site1_host = text("127.0.0.1:" + std::to_string(test::unused_port()));
            set_search_prefixes(endpoints);
        } else {
            server_of(c.site).reply_always(Reply::ok(*c.page));
        }
        FlowHarness ui(endpoints);
        ui.site.select(c.site);
        ui.results.set_cell(ui.results.insert_row(), 1, "old row"_t);
        search_books(ui.main);
        std::vector<std::vector<std::string>> rows;
        for (const auto& row : ui.results.rows()) {
            rows.push_back({std::string(row[0].view()), std::string(row[1].view()),
                            std::string(row[2].view())});
        }
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(ui.messages.shown(), c.messages);
        set_search_prefixes(endpoints_);
    }
}

TEST_F(ScriptedFlowTest, SearchWithNoSiteSendsNothingAndKeepsTheList) {
    FlowHarness ui(endpoints_);
    ui.site.select(-1);
    ui.results.set_cell(ui.results.insert_row(), 1, "kept"_t);
    search_books(ui.main);
    EXPECT_EQ(ui.results.rows().size(), 1u);
    EXPECT_TRUE(ui.messages.shown().empty());
    EXPECT_EQ(requests_seen(), 0u);
}

TEST_F(ScriptedFlowTest, SearchSendsTheKeywordEncodedWithTheBarePrefixWhenEmpty) {
    search_.reply_always(Reply::ok(""));
    FlowHarness ui(endpoints_);
    ui.site.select(2);
    search_books(ui.main);
    ui.keyword.set_text({});
    search_books(ui.main);
    const auto requests = search_.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target(), "/cse/site/?cc=three.test&s=7&q=%E5%B8%9D%E9%9C%B8");
    EXPECT_EQ(requests[1].target(), "/cse/site/?cc=three.test&s=7&q=");
}

TEST_F(ScriptedFlowTest, APatternTheEngineRejectsShowsTheOtherMessage) {
    SiteProfile broken = *profile_for(0);
    broken.result_pattern = "(unbalanced"_t;
    broken.link_pattern = "(unbalanced"_t;
    MemoryListView list(3);
    MessageLog messages;
    EXPECT_EQ(fill_result_list("(unbalanced"_t, broken, list, messages), 0);
    EXPECT_EQ(fill_link_list("(unbalanced"_t, broken, list, messages), 0);
    const std::vector<ShownMessage> expected = {{search_failed_text(), MessageIcon::stop},
                                                {links_failed_text(), MessageIcon::stop}};
    EXPECT_EQ(messages.shown(), expected);
    EXPECT_TRUE(list.rows().empty());
}

TEST_F(ScriptedFlowTest, LinkListingShowsRowsOrTheErrorBox) {
    const std::string l1 = "<a class=\"down_url\" href=\"/d/1.txt\">TXT</a></li>";
    const std::string l2 =
        "<a class=\"btn_b\" href=\"down/1.txt\" rel=\"nofollow\" target=\"_blank\">TXT</a>";
    const Text title = gbk(u8"书名");
    const std::string l3 = std::string(
        gbk(u8"<a class=\"downButton\" href='/du/1/1/' title=\"《书名》在线阅读\">在线阅读</a>")
            .view());
    struct Case {
        const char* what;
        SiteIndex site;
        std::optional<std::string> body;  // none: refused
        std::vector<std::vector<Text>> rows;
        bool error_box;
    };
    const std::vector<Case> cases = {
        {"site 1",
         0,
         l1 + l1,
         {{"1"_t, "TXT"_t, "/d/1.txt"_t}, {"2"_t, "TXT"_t, "/d/1.txt"_t}},
         false},
        {"site 2", 1, l2 + "\r\n", {{"1"_t, "TXT"_t, "down/1.txt"_t}}, false},
        {"site 3, gzip",
         2,
         gzip_compress(std::string(gbk_to_utf8(text(l3 + "\r\n")).view())),
         {{"1"_t, title, "/du/1/1/"_t}},
         false},
        {"site 2 without the carriage return", 1, l2 + "\n", {}, true},
        {"site 3 without the carriage return",
         2,
         gzip_compress(std::string(gbk_to_utf8(text(l3 + "\n")).view())),
         {},
         true},
        {"site 3 body not gzip", 2, std::string(gbk_to_utf8(text(l3 + "\r\n")).view()), {}, true},
        {"no match", 0, "<html></html>", {}, true},
        {"the fetch fails", 0, std::nullopt, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestServer page_server(c.site == 0 ? TestServer::Kind::https : TestServer::Kind::http);
        if (c.body) page_server.reply_always(Reply::ok(*c.body));
        FlowHarness ui(endpoints_);
        ui.site.select(c.site);
        const int port = c.body ? page_server.port() : test::unused_port();
        ui.download_page_address.set_text(text((c.site == 0 ? "https" : "http") +
                                               std::string("://127.0.0.1:") + std::to_string(port) +
                                               "/page"));
        ui.create_download_window();
        EXPECT_EQ(ui.caption.caption(), download_window_caption());
        EXPECT_EQ(ui.links.rows(), c.rows);
        EXPECT_EQ(ui.messages.shown(), c.error_box ? stop_box(links_failed_text()) : none);
    }
}

TEST_F(ScriptedFlowTest, OpeningAResult) {
    FlowHarness ui(endpoints_);
    for (const char* cell : {"/book/12.html", "/BOOK/34.HTML"}) {
        ui.results.set_cell(ui.results.insert_row(), 2, text(cell));
    }
    ui.download_page_address.set_text("old"_t);

    // No row selected, or no site: nothing changes and no window opens.
    open_result(ui.main);
    ui.results.select(1);
    ui.site.select(-1);
    open_result(ui.main);
    EXPECT_EQ(ui.download_page_address.text(), "old"_t);
    EXPECT_EQ(ui.opener.openings(), 0);

    // The site is read when the row is opened: a site-1 row by the site-2 rule.
    ui.site.select(0);
    open_result(ui.main);
    EXPECT_EQ(ui.download_page_address.text(),
              "https://"_t + endpoints_.site1_host + "/34/down.html"_t);
    ui.site.select(1);
    open_result(ui.main);
    EXPECT_EQ(ui.download_page_address.text(), endpoints_.site2_host + "/BOOK/34.HTML"_t);
    EXPECT_EQ(ui.opener.openings(), 2);
}

TEST_F(ScriptedFlowTest, ListingWithNoSiteSetsOnlyTheCaption) {
    FlowHarness ui(endpoints_);
    ui.site.select(-1);
    ui.download_page_address.set_text(text(site1_.origin() + "/page"));
    ui.create_download_window();
    EXPECT_EQ(ui.caption.caption(), download_window_caption());
    EXPECT_TRUE(ui.links.rows().empty());
    EXPECT_TRUE(ui.messages.shown().empty());
    EXPECT_EQ(requests_seen(), 0u);
}

TEST_F(ScriptedFlowTest, StartingADownload) {
    FlowHarness ui(endpoints_);
    const int row = ui.links.insert_row();
    ui.links.set_cell(row, 1, gbk(u8"书名"));
    ui.links.set_cell(row, 2, "/du/12/345/"_t);

    start_download(ui.main, ui.window);  // no row selected
    ui.links.select(row);
    ui.site.select(-1);
    start_download(ui.main, ui.window);  // no site
    EXPECT_TRUE(ui.addresses.browser_addresses().empty());
    EXPECT_TRUE(ui.addresses.prompt_addresses().empty());

    // The rule of the site selected at the double-click applies.
    ui.site.select(0);
    start_download(ui.main, ui.window);
    ui.site.select(1);
    start_download(ui.main, ui.window);
    const std::vector<Text> browsed = {"https://"_t + endpoints_.site1_host + "//du/12/345/"_t,
                                       endpoints_.site2_host + "//du/12/345/"_t};
    EXPECT_EQ(ui.addresses.browser_addresses(), browsed);

    ui.site.select(2);
    start_download(ui.main, ui.window);
    ui.links.set_cell(row, 1, {});
    ui.links.set_cell(row, 2, {});
    start_download(ui.main, ui.window);
    ASSERT_EQ(ui.addresses.prompt_addresses().size(), 2u);
    EXPECT_EQ(
        utf16_to_text(ui.addresses.prompt_addresses()[0]),
        "https://"_t + endpoints_.site3_download_host + "/12/345/"_t + gbk(u8"书名") + ".txt"_t);
    EXPECT_EQ(utf16_to_text(ui.addresses.prompt_addresses()[1]),
              "https://"_t + endpoints_.site3_download_host + ".txt"_t);
    EXPECT_EQ(ui.addresses.browser_addresses().size(), 2u);  // site 3 leaves the browser alone
}

TEST_F(ScriptedFlowTest, HostilePagesEndWithoutACrash) {
    std::string many;
    for (int i = 0; i < 100000; ++i) {
        many += "<a class=\"bookname\" href=\"/book/" + std::to_string(i) + ".html\">B</a>";
    }
    std::string backtracking;
    while (backtracking.size() < (4u << 20))
        backtracking += "<a class=\"bookname\" href=\"x";
    std::string huge(50u << 20, 'x');

    MemoryListView list(3);
    MessageLog messages;
    const SiteProfile& site1 = *profile_for(0);
    EXPECT_EQ(fill_result_list(text(many), site1, list, messages), 100000);
    EXPECT_EQ(list.rows().size(), 100000u);
    EXPECT_EQ(list.rows().back()[2], "/book/99999.html"_t);
    EXPECT_EQ(fill_result_list(text(backtracking), site1, list, messages), 0);
    EXPECT_TRUE(list.rows().empty());
    EXPECT_EQ(fill_result_list(text(huge), site1, list, messages), 0);
    EXPECT_EQ(messages.shown().size(), 2u);
}

}  // namespace
}  // namespace orvu
