// The download window: how it is laid out, opened once at a time, filled
// before it is seen, and ended with the main window.

#include <QTest>
#include <QWebEngineView>

#include "program_fixture.hpp"

namespace orvu::app::test {
namespace {

class DownloadWindowTest : public ProgramTest {
  protected:
    // Searches the site for the keyword and opens the result with the title.
    void open_book(int site, const char8_t* keyword, const char8_t* title) {
        start();
        choose_site(site);
        search(utf8(keyword));
        const int row = row_with(results(), 1, utf8(title));
        ASSERT_GE(row, 0);
        double_click_row(results(), row);
        ASSERT_TRUE(
            wait_until([this] { return download_window() && download_window()->isVisible(); }));
    }
};

TEST_F(DownloadWindowTest, IsLaidOutAndCaptionedBeforeItIsShown) {
    open_book(0, u8"西游记", u8"西游记");
    DownloadWindow& window = *download_window();
    EXPECT_EQ(window.windowTitle(), utf8(u8"小说下载 - Orvu云小说"));
    EXPECT_EQ(window.parentWidget(), &main()) << "owned by the main window";
    EXPECT_FALSE(window.isModal());
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);

    const std::tuple<const char8_t*, QRect> places[] = {
        {u8"透明标签1", {0, 96, 144, 24}},
        {u8"超文本浏览框1", {368, 224, 240, 160}},
        {u8"超级列表框1", {0, 0, 136, 96}},
    };
    for (const auto& [name, geometry] : places) {
        EXPECT_EQ(control<QWidget>(window, name).geometry(), geometry);
    }
    const auto& hint = control<QLabel>(window, u8"透明标签1");
    EXPECT_EQ(hint.text(), utf8(u8"一直不下载，换下载地址"));
    EXPECT_EQ(hint.palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_FALSE(control<QWebEngineView>(window, u8"超文本浏览框1").isVisible());

    const std::pair<const char8_t*, int> columns[] = {
        {u8"序", 35}, {u8"下载方式", 100}, {u8"地址", 0}};
    ASSERT_EQ(links().columnCount(), 3);
    for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(links().horizontalHeaderItem(index)->text(), utf8(columns[index].first));
        EXPECT_EQ(links().columnWidth(index), columns[index].second);
    }
    EXPECT_EQ(links().rowCount(), 2);
    EXPECT_EQ(links().item(0, 1)->text(), utf8(u8"TXT下载"));
    EXPECT_EQ(links().selected_row(), -1);
}

TEST_F(DownloadWindowTest, ASecondOpeningOnlyBringsTheOpenWindowForward) {
    open_book(0, u8"", u8"西游记");
    DownloadWindow* first = download_window();
    const QString first_address = download_page_box().text();
    const QString first_link = links().item(0, 2)->text();

    const int other = row_with(results(), 1, utf8(u8"红楼梦"));
    ASSERT_GE(other, 0);
    double_click_row(results(), other);
    serve_events(200);
    EXPECT_EQ(download_window(), first);
    EXPECT_EQ(links().item(0, 2)->text(), first_link) << "its rows stay as they are";
    EXPECT_NE(download_page_box().text(), first_address) << "编辑框2 has the new address";

    // Once closed, the next opening lists the newly chosen book.
    first->close();
    ASSERT_TRUE(wait_until([this] { return download_window() == nullptr; }));
    double_click_row(results(), other);
    ASSERT_TRUE(wait_until([this] { return download_window() && download_window()->isVisible(); }));
    EXPECT_NE(links().item(0, 2)->text(), first_link);
}

TEST_F(DownloadWindowTest, AFailedListingShowsItsErrorBeforeTheEmptyWindow) {
    start();
    search(utf8(u8"帝霸"));
    ASSERT_GE(results().rowCount(), 1);
    results().set_cell(0, 2, "/book/999999.html"_t);  // no such book: a 404 page without links
    boxes_.clear();
    double_click_row(results(), 0);
    ASSERT_TRUE(wait_until([this] { return download_window() && download_window()->isVisible(); }));
    ASSERT_EQ(boxes_.boxes().size(), 1u);
    EXPECT_EQ(boxes_.boxes()[0].text, utf8(u8"出错了！"));
    EXPECT_EQ(boxes_.boxes()[0].icon, QMessageBox::Critical);
    EXPECT_FALSE(boxes_.boxes()[0].download_window_visible);
    EXPECT_EQ(links().rowCount(), 0);
}

TEST_F(DownloadWindowTest, ClosingTheMainWindowClosesBoth) {
    open_book(1, u8"水浒传", u8"水浒传");
    QPointer<DownloadWindow> window = download_window();
    bool quit_asked = false;
    QObject::connect(&main(), &MainWindow::closed, [&quit_asked] { quit_asked = true; });
    main().close();
    EXPECT_TRUE(quit_asked);
    EXPECT_FALSE(main().isVisible());
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->isVisible());
    program_.reset();
    EXPECT_TRUE(window.isNull()) << "destroyed with the main window";
}

TEST_F(DownloadWindowTest, ADoubleClickOnAnEmptyPartStartsNothing) {
    open_book(2, u8"聊斋", u8"聊斋志异");
    ASSERT_GE(links().rowCount(), 1);
    double_click_row(links(), -1);
    serve_events(500);
    EXPECT_TRUE(program_->downloads().transfers().empty());
    EXPECT_TRUE(files_in(save_folder_.path()).isEmpty());
}

}  // namespace
}  // namespace orvu::app::test
