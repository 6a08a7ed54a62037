// Takes pictures of the program's windows against the demo sites: the
// disclaimer, the main window with results, the download window with links and
// a finished download's window. Run by scripts/screenshots.sh on Qt's
// offscreen platform (or any other).

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "app/browser_engine.hpp"
#include "app/download_progress.hpp"
#include "app/program.hpp"
#include "demo/demo_sites.hpp"
#include "web/fetch.hpp"

namespace {

using namespace orvu::app;

class IntoFolder : public SaveLocation {
  public:
    explicit IntoFolder(QString folder) : folder_(std::move(folder)) {}
    QString choose(const QString& name) override { return QDir(folder_).filePath(name); }

  private:
    QString folder_;
};

bool wait_until(const std::function<bool()>& condition) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

template <typename Widget>
Widget& control(QWidget& window, const char* name) {
    auto* found = window.findChild<Widget*>(QString::fromUtf8(name));
    if (!found) throw std::runtime_error(std::string("no control ") + name);
    return *found;
}

void save(QWidget& window, const QDir& folder, const char* name) {
    const QString path = folder.filePath(QString::fromLatin1(name));
    if (!window.grab().save(path))
        throw std::runtime_error("could not write " + path.toStdString());
    std::printf("%s\n", qPrintable(path));
}

void double_click(ReportList& list, int row) {
    const QPoint at = list.visualRect(list.model()->index(row, 1)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
}

// Every box is photographed, then closed with its OK button.
void photograph_boxes(const QDir& folder) {
    static int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (!box || !box->isVisible() || box->property("taken").toBool()) continue;
        box->setProperty("taken", true);
        const std::string name =
            count++ == 0 ? "1-disclaimer.png" : "box-" + std::to_string(count) + ".png";
        save(*box, folder, name.c_str());
        box->button(QMessageBox::Ok)->click();
    }
}

int take_pictures(const QDir& folder) {
    orvu::demo::DemoSites sites;
    QTemporaryDir downloads;
    IntoFolder into(downloads.path());
    Program program({.endpoints = sites.endpoints(), .save_location = &into});
    QTimer boxes;
    QObject::connect(&boxes, &QTimer::timeout, [&folder] { photograph_boxes(folder); });
    boxes.start(50);

    program.start();
    MainWindow& main = program.main_window();
    control<QComboBox>(main, "组合框1").setCurrentIndex(1);
    control<QLineEdit>(main, "编辑框1").clear();  // every book of the demo site
    QTest::mouseClick(&control<QPushButton>(main, "按钮1"), Qt::LeftButton);
    auto& results = control<ReportList>(main, "超级列表框1");
    if (!wait_until([&results] { return results.rowCount() > 0; })) return 1;
    results.selectRow(1);
    save(main, folder, "2-main-window.png");

    double_click(results, 1);
    if (!wait_until(
            [&main] { return main.download_window() && main.download_window()->isVisible(); })) {
        return 1;
    }
    DownloadWindow& window = *main.download_window();
    auto& links = control<ReportList>(window, "超级列表框1");
    links.selectRow(0);
    save(window, folder, "3-download-window.png");

    double_click(links, 0);
    Downloads& transfers = program.downloads();
    if (!wait_until([&transfers] {
            return !transfers.transfers().empty() && transfers.transfers().front()->finished();
        })) {
        return 1;
    }
    save(transfers.transfers().front()->window(), folder, "4-download-saved.png");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(folder.path());
    prepare_browser_engine(QString::fromStdString(orvu::extra_ca_file()));
    try {
        const int result = take_pictures(folder);
        orvu::release_search_prefixes();
        if (result != 0) std::fprintf(stderr, "a window did not come up\n");
        return result;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
