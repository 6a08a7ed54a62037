// Orvu小说下载器: find a novel on one of three resource sites and download its text.

#include <QApplication>
#include <cstdlib>

#include "app/browser_engine.hpp"
#include "app/program.hpp"
#include "sites/catalogue.hpp"
#include "web/fetch.hpp"

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);  // the browser engine needs it
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvu"));
    QApplication::setApplicationDisplayName(QString::fromUtf8("Orvu小说下载器"));
    std::atexit([] { orvu::release_search_prefixes(); });  // the exit step
    orvu::app::prepare_browser_engine(QString::fromStdString(orvu::extra_ca_file()));
    return orvu::app::run_program();
}
