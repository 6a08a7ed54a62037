#include "app_support.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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

namespace {

bool visible_named(const char* name) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String(name) && widget->isVisible()) return true;
    }
    // The download window is owned by the main window, so not top-level in Qt's sense.
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget->isWindow() && widget->objectName() == QLatin1String(name) &&
            widget->isVisible()) {
            return true;
        }
    }
    return false;
}

}  // namespace

BoxWatcher::BoxWatcher() {
    timer_.setInterval(15);
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
