// Takes pictures of the program's windows against the demo sites: the
// disclaimer, the main window with results, the download window with links and
// a finished download's window. Run by scripts/screenshots.sh on Qt's
// offscreen platform (or any other).

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "app/browser_engine.hpp"
#include "app/download_progress.hpp"
#include "app/program.hpp"
#include "app_support.hpp"
#include "demo/demo_sites.hpp"
#include "web/fetch.hpp"

namespace {

using namespace orvu::app;
using namespace orvu::app::test;

void save(QWidget& window, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name);
    if (!window.grab().save(path)) {
        throw std::runtime_error("could not write " + path.toStdString());
    }
    std::printf("%s\n", qPrintable(path));
}

int take_pictures(const QDir& folder) {
    orvu::demo::DemoSites sites;
    QTemporaryDir downloads;
    FolderSaveLocation into(downloads.path());
    Program program({.endpoints = sites.endpoints(), .save_location = &into});
    // Every box is photographed before it is closed; the first is the disclaimer.
    int box_count = 0;
    BoxWatcher boxes([&](QMessageBox& box) {
        save(box, folder,
             box_count++ == 0 ? QStringLiteral("1-disclaimer.png")
                              : QStringLiteral("box-%1.png").arg(box_count));
    });

    program.start();
    MainWindow& main = program.main_window();
    control<QComboBox>(main, u8"组合框1").setCurrentIndex(1);
    control<QLineEdit>(main, u8"编辑框1").clear();  // every book of the demo site
    QTest::mouseClick(&control<QPushButton>(main, u8"按钮1"), Qt::LeftButton);
    auto& results = control<ReportList>(main, u8"超级列表框1");
    if (!wait_until([&results] { return results.rowCount() > 0; })) return 1;
    results.selectRow(1);
    save(main, folder, QStringLiteral("2-main-window.png"));

    double_click_row(results, 1);
    if (!wait_until(
            [&main] { return main.download_window() && main.download_window()->isVisible(); })) {
        return 1;
    }
    DownloadWindow& window = *main.download_window();
    auto& links = control<ReportList>(window, u8"超级列表框1");
    links.selectRow(0);
    save(window, folder, QStringLiteral("3-download-window.png"));

    double_click_row(links, 0);
    Downloads& transfers = program.downloads();
    if (!wait_until([&transfers] {
            return !transfers.transfers().empty() && transfers.transfers().front()->finished();
        })) {
        return 1;
    }
    save(transfers.transfers().front()->window(), folder, QStringLiteral("4-download-saved.png"));
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
