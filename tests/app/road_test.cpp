// The whole road on each resource site, against the demo sites: a keyword, the
// result rows, the download window's link rows, and the book's file on disk.

#include <QWebEngineView>

#include "app/download_progress.hpp"
#include "app/qt_text.hpp"
#include "program_fixture.hpp"
#include "text/codepage.hpp"

namespace orvu::app::test {
namespace {

const demo::DemoBook& book_titled(const std::string& title) {
    for (const demo::DemoBook& book : demo::demo_books()) {
        if (book.title == title) return book;
    }
    throw std::runtime_error("no demo book " + title);
}

struct Road {
    int site;
    const char8_t* keyword;
    const char8_t* title;
    bool gbk_file;  // resource site 2 serves its files in GBK
};

void PrintTo(const Road& road, std::ostream* out) {
    *out << "site " << road.site + 1 << ", keyword " << reinterpret_cast<const char*>(road.keyword);
}

class RoadTest : public ProgramTest, public testing::WithParamInterface<Road> {};

TEST_P(RoadTest, KeywordToRowsToLinksToAFileOnDisk) {
    const Road road = GetParam();
    start();
    choose_site(road.site);
    search(utf8(road.keyword));
    const int row = row_with(results(), 1, utf8(road.title));
    ASSERT_GE(row, 0) << "rows: " << results().rowCount();

    double_click_row(results(), row);
    ASSERT_TRUE(wait_until([this] { return download_window() && download_window()->isVisible(); }));
    ASSERT_GE(links().rowCount(), 1);
    auto& browser = control<QWebEngineView>(*download_window(), u8"超文本浏览框1");

    double_click_row(links(), 0);
    ASSERT_TRUE(wait_until([this] {
        const auto& transfers = program_->downloads().transfers();
        return !transfers.empty() && transfers.front()->finished();
    })) << "no download finished";
    const Transfer& transfer = *program_->downloads().transfers().front();
    ASSERT_TRUE(transfer.saved()) << transfer.final_path().toStdString();

    const demo::DemoBook& book = book_titled(reinterpret_cast<const char*>(road.title));
    const std::string expected =
        road.gbk_file ? std::string(utf8_to_gbk(Text(book.text)).view()) : book.text;
    EXPECT_EQ(file_bytes(transfer.final_path()).toStdString(), expected);
    EXPECT_EQ(files_in(save_folder_.path()),
              QStringList{QFileInfo(transfer.final_path()).fileName()})
        << "nothing else is left in the folder";
    EXPECT_TRUE(transfer.final_path().startsWith(save_folder_.path()));
    EXPECT_FALSE(browser.isVisible());
    EXPECT_EQ(boxes_.boxes().size(), 1u) << "the disclaimer only: the engine showed no box";
    EXPECT_TRUE(transfer.window().status().contains(transfer.final_path()));
}

INSTANTIATE_TEST_SUITE_P(EachSite, RoadTest,
                         testing::Values(Road{0, u8"帝霸", u8"帝霸", false},
                                         Road{1, u8"红楼梦", u8"红楼梦", true},
                                         Road{2, u8"三国", u8"三国演义", false}),
                         [](const testing::TestParamInfo<Road>& info) {
                             return "site" + std::to_string(info.param.site + 1);
                         });

// A link that gives a page, not a file: the hidden browser shows it to nobody.
TEST_F(ProgramTest, ALinkToAPageSavesNothingAndShowsNothing) {
    start();
    search(utf8(u8"西游记"));
    ASSERT_GE(results().rowCount(), 1);
    double_click_row(results(), 0);
    ASSERT_TRUE(wait_until([this] { return download_window() && download_window()->isVisible(); }));
    auto& browser = control<QWebEngineView>(*download_window(), u8"超文本浏览框1");
    bool loaded = false;
    QObject::connect(&browser, &QWebEngineView::loadFinished, [&loaded](bool) { loaded = true; });
    links().set_cell(0, 2, "1201/down.html"_t);  // the download page itself: HTML
    const QStringList windows_before = visible_windows();

    double_click_row(links(), 0);
    ASSERT_TRUE(wait_until([&loaded] { return loaded; }));
    serve_events(300);
    EXPECT_TRUE(browser.url().toString().endsWith(QStringLiteral("/1201/down.html")));
    EXPECT_FALSE(browser.isVisible());
    EXPECT_TRUE(program_->downloads().transfers().empty());
    EXPECT_TRUE(save_location_.proposed().isEmpty()) << "no prompt was opened";
    EXPECT_TRUE(files_in(save_folder_.path()).isEmpty());
    EXPECT_EQ(visible_windows(), windows_before);
    EXPECT_EQ(boxes_.boxes().size(), 1u);
}

}  // namespace
}  // namespace orvu::app::test
