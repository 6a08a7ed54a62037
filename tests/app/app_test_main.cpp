// The window tests run on the offscreen platform with a real browser engine.

#include <gtest/gtest.h>
#include <unistd.h>
#include <QApplication>

#include "app/browser_engine.hpp"
#include "support/test_server.hpp"
#include "web/fetch.hpp"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");  // its sandbox refuses root
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const std::string ca_file = orvu::test::test_ca_file();
    orvu::set_extra_ca_file(ca_file);
    orvu::app::prepare_browser_engine(QString::fromStdString(ca_file));
    return RUN_ALL_TESTS();
}
