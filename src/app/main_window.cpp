#include "app/main_window.hpp"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QUrl>

#include "app/icon.hpp"
#include "app/lifecycle.hpp"
#include "app/qt_text.hpp"
#include "sites/catalogue.hpp"

namespace orvu::app {

namespace {

constexpr QSize outer_size{240, 575};
constexpr QSize least_client_size{224, 552};  // what the visible controls need

void make_edit_box(QLineEdit& edit) {
    edit.setMaxLength(32767);  // the widest Qt allows: no limit of our own
    edit.setReadOnly(false);
    edit.setEchoMode(QLineEdit::Normal);
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    edit.setPalette(palette);
}

}  // namespace

MainWindow::MainWindow(const Endpoints& endpoints, BrowserAccess& browser)
    : QWidget(nullptr, fixed_frame(Qt::Window, true)),
      透明标签2(this),
      组合框1(this),
      透明标签1(this),
      编辑框2(this),
      超级列表框1(this, {{u8"序", 35}, {u8"书名/作者名", 180}, {u8"地址", 0}}),
      按钮1(this),
      编辑框1(this),
      endpoints_(endpoints),
      browser_(browser),
      keyword_(编辑框1),
      download_page_address_(编辑框2),
      parts_{组合框1, keyword_, 超级列表框1, download_page_address_, messages_, *this, endpoints_} {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(window_text(u8"Orvu小说下载器"));
    setWindowIcon(program_icon());

    place(透明标签2, u8"透明标签2", 8, 8, 120, 24);
    make_label(透明标签2, u8"点击打开在线小说网", QColor(255, 0, 255),
               Qt::AlignLeft | Qt::AlignVCenter);
    透明标签2.setCursor(Qt::ArrowCursor);
    connect(&透明标签2, &PressableLabel::left_button_pressed, this, &MainWindow::open_home_page);

    place(组合框1, u8"组合框1", 136, 8, 88, 24);
    组合框1.addItems(
        {window_text(u8"资源站1"), window_text(u8"资源站2"), window_text(u8"资源站3")});
    组合框1.setCurrentIndex(0);
    // Every confirmed pick, the item already selected included; the notice comes
    // once the list has closed.
    connect(&组合框1, &QComboBox::activated, this, &MainWindow::show_site_notice,
            Qt::QueuedConnection);

    place(透明标签1, u8"透明标签1", 16, 520, 200, 32);
    make_label(透明标签1, u8"By:Marel", QColor(255, 0, 0), Qt::AlignCenter);

    place(编辑框2, u8"编辑框2", 280, 72, 280, 24);  // outside the client area: never seen
    make_edit_box(编辑框2);

    place(超级列表框1, u8"超级列表框1", 8, 144, 216, 381);
    connect(&超级列表框1, &ReportList::double_clicked, this, [this] { open_result(parts_); });

    place(按钮1, u8"按钮1", 72, 88, 96, 40);
    按钮1.setText(window_text(u8"搜索"));
    按钮1.setAutoDefault(false);
    按钮1.setDefault(false);
    connect(&按钮1, &QPushButton::clicked, this, [this] { search_books(parts_); });

    place(编辑框1, u8"编辑框1", 40, 40, 160, 32);
    make_edit_box(编辑框1);
    编辑框1.setText(window_text(u8"帝霸"));

    fix_outer_size(*this, outer_size, least_client_size);
}

MainWindow::~MainWindow() = default;

void MainWindow::created() {
    set_search_prefixes(endpoints_);
    messages_.show(disclaimer_text(), MessageIcon::none);
}

void MainWindow::show_centred() {
    show();
    fix_outer_size(*this, outer_size, least_client_size);
    centre_on_screen(*this);
}

void MainWindow::show_site_notice() {
    if (const SiteProfile* profile = profile_for(组合框1.current_item())) {
        messages_.show(profile->site_notice, MessageIcon::none);
    }
}

void MainWindow::open_home_page() {
    QDesktopServices::openUrl(QUrl(to_qstring(home_page_address())));
}

void MainWindow::open_download_window() {
    if (download_window_) {
        if (download_window_->isMinimized()) download_window_->showNormal();
        download_window_->raise();
        download_window_->activateWindow();
        return;
    }
    download_window_ =
        std::make_unique<DownloadWindow>(*this, parts_, browser_.profile(), browser_.prompt());
    connect(download_window_.get(), &DownloadWindow::closed, this,
            &MainWindow::forget_download_window);
    download_window_->created();
    download_window_->show_centred();
}

// A closed download window goes with its rows and its browser; the next
// opening makes a new one. Qt deletes it once its close has been handled.
void MainWindow::forget_download_window() {
    if (download_window_) download_window_.release()->deleteLater();
}

// Closing the main window ends the program; the download window goes with it.
void MainWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (!event->isAccepted()) return;
    if (download_window_) download_window_->hide();
    emit closed();
}

}  // namespace orvu::app
