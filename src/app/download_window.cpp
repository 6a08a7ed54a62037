#include "app/download_window.hpp"

#include <QCloseEvent>
#include <QTimer>

#include "app/lifecycle.hpp"
#include "app/qt_text.hpp"

namespace orvu::app {

namespace {

constexpr QSize outer_size{140, 146};
constexpr QSize least_client_size{136, 120};  // the list and the hint below it

}  // namespace

HiddenBrowser::HiddenBrowser(QWidget* parent, QWebEngineProfile& profile)
    : QWebEngineView(parent), page_(profile) {
    setPage(&page_);
    setContextMenuPolicy(Qt::NoContextMenu);
    setFocusPolicy(Qt::NoFocus);
}

void HiddenBrowser::set_address(const Text& address) {
    // An address without a scheme is taken as http://, as the sites' links are meant.
    setUrl(QUrl::fromUserInput(to_qstring(address)));
}

// Whatever shows its window, the browser stays hidden.
void HiddenBrowser::showEvent(QShowEvent* event) {
    QWebEngineView::showEvent(event);
    QTimer::singleShot(0, this, &QWidget::hide);
}

DownloadWindow::DownloadWindow(QWidget& owner, MainWindowParts& main, QWebEngineProfile& profile,
                               DownloadPrompt& prompt)
    : QWidget(&owner, fixed_frame(Qt::Dialog)),
      透明标签1(this),
      超文本浏览框1(this, profile),
      超级列表框1(this, {{u8"序", 35}, {u8"下载方式", 100}, {u8"地址", 0}}),
      main_(main),
      parts_{*this, 超级列表框1, 超文本浏览框1, prompt, messages_} {
    setObjectName(QStringLiteral("DownloadWindow"));
    setWindowModality(Qt::NonModal);

    place(透明标签1, u8"透明标签1", 0, 96, 144, 24);
    make_label(透明标签1, u8"一直不下载，换下载地址", QColor(255, 0, 0),
               Qt::AlignLeft | Qt::AlignVCenter);

    place(超文本浏览框1, u8"超文本浏览框1", 368, 224, 240, 160);
    超文本浏览框1.hide();

    place(超级列表框1, u8"超级列表框1", 0, 0, 136, 96);
    connect(&超级列表框1, &ReportList::double_clicked, this,
            [this] { start_download(main_, parts_); });

    fix_outer_size(*this, outer_size, least_client_size);
}

void DownloadWindow::created() {
    list_download_links(main_, parts_);
}

void DownloadWindow::show_centred() {
    show();
    fix_outer_size(*this, outer_size, least_client_size);
    centre_on_screen(*this);
    raise();
    activateWindow();
}

void DownloadWindow::set_caption(const Text& caption) {
    setWindowTitle(to_qstring(caption));
}

void DownloadWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) emit closed();
}

}  // namespace orvu::app
