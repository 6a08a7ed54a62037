// The main window as the user meets it: its layout, its state at start, the
// notices, the home-page link, and how it routes double-clicks.

#include <QApplication>
#include <QDesktopServices>
#include <QHeaderView>
#include <QScreen>
#include <QTest>
#include <QUrl>

#include "app/lifecycle.hpp"
#include "app/qt_text.hpp"
#include "program_fixture.hpp"
#include "sites/catalogue.hpp"

namespace orvu::app::test {
namespace {

struct Placed {
    const char8_t* name;
    const char* kind;
    QRect geometry;
};

TEST(Disclaimer, EightLinesJoinedByCrLf) {
    const Text text = disclaimer_text("987654"_t, "https://novels.example:8443/"_t);
    EXPECT_EQ(to_qstring(text), utf8(u8"声明:\r\n"
                                     u8"本软件只是对接网络资源，本软件不保存任何小说，请用户下载完"
                                     u8"小说24小时内彻底删除下载文件\r\n"
                                     u8"\r\n"
                                     u8"小说交流群：987654\r\n"
                                     u8"\r\n"
                                     u8"作者:Marel\r\n"
                                     u8"\r\n"
                                     u8"官网:novels.example"));
}

using MainWindowTest = ProgramTest;

TEST_F(MainWindowTest, ControlsSitAtTheirPlacesInCreationOrder) {
    const Placed expected[] = {
        {u8"透明标签2", "orvu::app::PressableLabel", {8, 8, 120, 24}},
        {u8"组合框1", "orvu::app::SiteBox", {136, 8, 88, 24}},
        {u8"透明标签1", "QLabel", {16, 520, 200, 32}},
        {u8"编辑框2", "QLineEdit", {280, 72, 280, 24}},
        {u8"超级列表框1", "orvu::app::ReportList", {8, 144, 216, 381}},
        {u8"按钮1", "QPushButton", {72, 88, 96, 40}},
        {u8"编辑框1", "QLineEdit", {40, 40, 160, 32}},
    };
    QStringList created;
    for (QObject* child : main().children()) {
        if (child->isWidgetType() && !child->objectName().isEmpty()) created << child->objectName();
    }
    QStringList names;
    for (const Placed& placed : expected) {
        names << utf8(placed.name);
        const auto& widget = control<QWidget>(main(), placed.name);
        EXPECT_EQ(widget.geometry(), placed.geometry) << utf8(placed.name).toStdString();
        EXPECT_STREQ(widget.metaObject()->className(), placed.kind);
    }
    EXPECT_EQ(created.mid(0, names.size()), names);

    EXPECT_EQ(main().windowTitle(), utf8(u8"Orvu小说下载器"));
    EXPECT_EQ(main().minimumSize(), main().maximumSize()) << "the frame is fixed";
    EXPECT_GE(main().width(), 224);
    EXPECT_GE(main().height(), 552) << "the client area holds every visible control";
    EXPECT_FALSE(main().windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(main().windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(main().windowIcon().isNull());
    EXPECT_FALSE(main().rect().intersects(download_page_box().geometry()))
        << "编辑框2 lies outside the client area";
}

TEST_F(MainWindowTest, LabelsAndButtonCarryTheirTextsAndColours) {
    struct LabelCase {
        const char8_t* name;
        const char8_t* text;
        QColor colour;
        Qt::Alignment alignment;
    };
    const LabelCase labels[] = {
        {u8"透明标签2", u8"点击打开在线小说网", QColor(255, 0, 255),
         Qt::AlignLeft | Qt::AlignVCenter},
        {u8"透明标签1", u8"By:Marel", QColor(255, 0, 0), Qt::AlignCenter},
    };
    for (const LabelCase& label : labels) {
        const auto& widget = control<QLabel>(main(), label.name);
        EXPECT_EQ(widget.text(), utf8(label.text));
        EXPECT_EQ(widget.palette().color(QPalette::WindowText), label.colour);
        EXPECT_EQ(widget.alignment(), label.alignment);
        EXPECT_FALSE(widget.autoFillBackground()) << "transparent";
    }
    EXPECT_EQ(search_button().text(), utf8(u8"搜索"));
    EXPECT_FALSE(search_button().isDefault());
}

TEST_F(MainWindowTest, ResultListHasItsColumnsAndSettings) {
    ReportList& list = results();
    const std::pair<const char8_t*, int> columns[] = {
        {u8"序", 35}, {u8"书名/作者名", 180}, {u8"地址", 0}};
    ASSERT_EQ(list.columnCount(), 3);
    for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(list.horizontalHeaderItem(index)->text(), utf8(columns[index].first));
        EXPECT_EQ(list.columnWidth(index), columns[index].second);
    }
    EXPECT_TRUE(list.showGrid());
    EXPECT_EQ(list.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list.selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(list.isSortingEnabled());
    EXPECT_FALSE(list.verticalHeader()->isVisible());
}

TEST_F(MainWindowTest, StartsOnTheFirstSiteWithTheSampleKeywordAndNoNotice) {
    ASSERT_EQ(site_box().count(), 3);
    EXPECT_EQ(site_box().itemText(0), utf8(u8"资源站1"));
    EXPECT_EQ(site_box().itemText(1), utf8(u8"资源站2"));
    EXPECT_EQ(site_box().itemText(2), utf8(u8"资源站3"));
    EXPECT_EQ(site_box().current_item(), 0);
    EXPECT_FALSE(site_box().isEditable());
    EXPECT_EQ(keyword_box().text(), utf8(u8"帝霸"));
    EXPECT_TRUE(download_page_box().text().isEmpty());
    EXPECT_EQ(results().rowCount(), 0);
    EXPECT_EQ(results().selected_row(), -1);
    serve_events(100);
    EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(MainWindowTest, DisclaimerComesBeforeTheWindowWhichIsThenCentred) {
    EXPECT_TRUE(search_prefix_site1.empty());
    start();
    ASSERT_EQ(boxes_.boxes().size(), 1u);
    const SeenBox& box = boxes_.boxes()[0];
    EXPECT_EQ(box.title, utf8(u8"信息："));
    EXPECT_EQ(box.icon, QMessageBox::NoIcon);
    EXPECT_FALSE(box.main_window_visible);
    EXPECT_TRUE(box.text.startsWith(utf8(u8"声明:\n本软件只是对接网络资源")));
    EXPECT_EQ(box.text.count(u'\n'), 7);
    EXPECT_FALSE(search_prefix_site1.empty()) << "the prefixes are set at creation";

    const QRect screen = main().screen()->availableGeometry();
    EXPECT_LE(std::abs(main().frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(main().frameGeometry().center().y() - screen.center().y()), 1);
}

// Picks through the dropped-down list, the way a user makes them.
void pick_from_list(SiteBox& box, int index) {
    box.showPopup();
    QAbstractItemView& view = *box.view();
    ASSERT_TRUE(wait_until([&view] { return view.isVisible(); }));
    const QRect item = view.visualRect(view.model()->index(index, 0));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, item.center());
}

TEST_F(MainWindowTest, EveryPickShowsItsSiteNoticeTheSameItemAgainIncluded) {
    start();
    boxes_.clear();
    const std::pair<int, const char8_t*> picks[] = {
        {1, u8"这个资源站有10秒搜索间隔"},
        {1, u8"这个资源站有10秒搜索间隔"},
        {0, u8"这个资源站没有搜索间隔"},
        {0, u8"这个资源站没有搜索间隔"},
        {2, u8"这个资源站有点问题，没搜索出来再搜下，下载的时候多等会"},
    };
    keyword_box().setText(utf8(u8"红楼梦"));
    for (const auto& [index, notice] : picks) {
        const std::size_t before = boxes_.boxes().size();
        pick_from_list(site_box(), index);
        ASSERT_TRUE(wait_until([&] { return boxes_.boxes().size() == before + 1; }))
            << "pick " << index;
        const SeenBox& box = boxes_.boxes().back();
        EXPECT_EQ(box.text, utf8(notice));
        EXPECT_EQ(box.title, utf8(u8"信息："));
        EXPECT_EQ(box.icon, QMessageBox::NoIcon);
        EXPECT_EQ(site_box().current_item(), index);
    }
    serve_events(100);
    EXPECT_EQ(boxes_.boxes().size(), std::size(picks));
    EXPECT_EQ(keyword_box().text(), utf8(u8"红楼梦"));
}

class UrlRecorder : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;
  public slots:
    void open(const QUrl& url) { opened << url; }
};

TEST_F(MainWindowTest, PressingTheLinkLabelOpensTheHomePageBeforeRelease) {
    start();
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "open");
    auto& label = control<QLabel>(main(), u8"透明标签2");
    QTest::mousePress(&label, Qt::RightButton);
    EXPECT_TRUE(recorder.opened.isEmpty()) << "only the left button opens it";
    QTest::mousePress(&label, Qt::LeftButton);
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened[0], QUrl(to_qstring(home_page_address())));
    QTest::mouseRelease(&label, Qt::LeftButton);
    EXPECT_EQ(recorder.opened.size(), 1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    EXPECT_EQ(label.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(MainWindowTest, SearchFillsTheListAndAHeaderClickSortsNothing) {
    start();
    choose_site(1);
    search(QString());  // an empty keyword lists every book
    ASSERT_GE(results().rowCount(), 3);
    QStringList before;
    for (int row = 0; row < results().rowCount(); ++row)
        before << results().item(row, 1)->text();
    EXPECT_EQ(results().item(0, 0)->text(), QStringLiteral("1"));
    EXPECT_FALSE(results().item(0, 2)->text().isEmpty()) << "the address is there, unseen";

    results().selectRow(1);
    QHeaderView& header = *results().horizontalHeader();
    for (int section : {0, 1, 0}) {
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {},
                          QPoint(header.sectionViewportPosition(section) + 5, header.height() / 2));
    }
    QStringList after;
    for (int row = 0; row < results().rowCount(); ++row)
        after << results().item(row, 1)->text();
    EXPECT_EQ(after, before);
    EXPECT_EQ(results().selected_row(), 1);
}

TEST_F(MainWindowTest, DoubleClickWithNoRowSelectedDoesNothing) {
    start();
    search(utf8(u8"帝霸"));
    ASSERT_GE(results().rowCount(), 1);
    boxes_.clear();
    double_click_row(results(), -1);
    serve_events(200);
    EXPECT_EQ(download_window(), nullptr);
    EXPECT_TRUE(download_page_box().text().isEmpty());
    EXPECT_TRUE(boxes_.boxes().empty());
}

}  // namespace
}  // namespace orvu::app::test

#include "main_window_test.moc"
