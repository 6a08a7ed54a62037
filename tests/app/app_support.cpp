#include "app_support.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <stdexcept>

namespace orvu::app::test {

bool wait_until(const std::function<bool()>& condition, int timeout_ms) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeout_ms) return condition();
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

void serve_events(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

QString utf8(const char8_t* text) {
    return QString::fromUtf8(reinterpret_cast<const char*>(text));
}

namespace {

// Owned windows (the download window) count too: Qt lists them as top-level.
bool visible_named(const char* name) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String(name) && widget->isVisible()) return true;
    }
    return false;
}

}  // namespace

BoxWatcher::BoxWatcher(Step before_closing, int poll_ms)
    : before_closing_(std::move(before_closing)) {
    timer_.setInterval(poll_ms);
    QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
    timer_.start();
}

BoxWatcher::~BoxWatcher() = default;

void BoxWatcher::look() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (!box || !box->isVisible() || box->property("seen").toBool()) continue;
        box->setProperty("seen", true);
        boxes_.push_back({box->windowTitle(), box->text(), box->icon(), visible_named("MainWindow"),
                          visible_named("DownloadWindow")});
        if (before_closing_) before_closing_(*box);
        if (QAbstractButton* ok = box->button(QMessageBox::Ok)) ok->click();
    }
}

QStringList BoxWatcher::texts() const {
    QStringList texts;
    for (const SeenBox& box : boxes_)
        texts << box.text;
    return texts;
}

QString FolderSaveLocation::choose(const QString& proposed_file_name) {
    proposed_ << proposed_file_name;
    if (decline) return {};
    return QDir(folder_).filePath(proposed_file_name);
}

QStringList files_in(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray file_bytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

void double_click_row(ReportList& list, int row) {
    QWidget* viewport = list.viewport();
    QPoint at;
    if (row >= 0) {
        list.scrollToItem(list.item(row, 1));
        at = list.visualRect(list.model()->index(row, 1)).center();
    } else {
        at = QPoint(viewport->width() / 2, viewport->height() - 3);
    }
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
}

QStringList visible_windows(const QStringList& except) {
    QStringList names;
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget->isWindow() && widget->isVisible() && !except.contains(widget->objectName())) {
            names << (widget->objectName().isEmpty()
                          ? QString::fromLatin1(widget->metaObject()->className())
                          : widget->objectName());
        }
    }
    names.sort();
    return names;
}

}  // namespace orvu::app::test
