#include "app/download_progress.hpp"

#include <QCloseEvent>
#include <algorithm>

#include "app/widgets.hpp"

namespace orvu::app {

QString readable_size(qint64 bytes) {
    if (bytes < 1024) return QStringLiteral("%1 B").arg(bytes);
    const double kib = static_cast<double>(bytes) / 1024.0;
    if (kib < 1024.0) return QStringLiteral("%1 KB").arg(kib, 0, 'f', 1);
    const double mib = kib / 1024.0;
    if (mib < 1024.0) return QStringLiteral("%1 MB").arg(mib, 0, 'f', 1);
    return QStringLiteral("%1 GB").arg(mib / 1024.0, 0, 'f', 2);
}

DownloadProgressWindow::DownloadProgressWindow(const QString& file_name)
    : QWidget(nullptr, fixed_frame(Qt::Window)),
      name_(this),
      bar_(this),
      status_(this),
      button_(this),
      layout_(this) {
    setObjectName(QStringLiteral("下载进度"));
    setWindowTitle(window_text(u8"下载小说"));
    name_.setObjectName(QStringLiteral("文件名"));
    name_.setTextFormat(Qt::PlainText);
    name_.setText(file_name);
    bar_.setObjectName(QStringLiteral("进度条"));
    bar_.setRange(0, 0);  // busy until a size is known
    status_.setObjectName(QStringLiteral("状态"));
    status_.setTextFormat(Qt::PlainText);
    status_.setWordWrap(true);
    status_.setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_.setText(window_text(u8"正在连接…"));
    button_.setObjectName(QStringLiteral("取消"));
    button_.setText(window_text(u8"取消"));
    connect(&button_, &QPushButton::clicked, this, [this] {
        if (running_) {
            emit cancel_requested();
        } else {
            hide();
        }
    });

    layout_.addWidget(&name_);
    layout_.addWidget(&bar_);
    layout_.addWidget(&status_);
    layout_.addWidget(&button_, 0, Qt::AlignRight);
    setFixedWidth(360);
}

void DownloadProgressWindow::show_received(qint64 received, qint64 total) {
    if (!running_) return;
    QString status = window_text(u8"已接收 ") + readable_size(received);
    if (total > 0) {
        const int percent = static_cast<int>(std::min<qint64>(100, received * 100 / total));
        bar_.setRange(0, 100);
        bar_.setValue(percent);
        status += QStringLiteral(" / %1（%2%）").arg(readable_size(total)).arg(percent);
    }
    status_.setText(status);
}

void DownloadProgressWindow::show_saved(const QString& path) {
    bar_.setRange(0, 100);
    bar_.setValue(100);
    end_with(window_text(u8"已保存：") + path);
}

void DownloadProgressWindow::show_failed(const QString& reason) {
    end_with(window_text(u8"下载失败：") + reason);
}

void DownloadProgressWindow::show_cancelled() {
    end_with(window_text(u8"已取消下载"));
}

void DownloadProgressWindow::end_with(const QString& status) {
    running_ = false;
    if (bar_.maximum() == 0) bar_.setRange(0, 100);
    status_.setText(status);
    button_.setText(window_text(u8"关闭"));
}

// Closing the window of a running download cancels it: nothing keeps going
// where the user can no longer see it.
void DownloadProgressWindow::closeEvent(QCloseEvent* event) {
    if (running_) emit cancel_requested();
    event->accept();
}

}  // namespace orvu::app
