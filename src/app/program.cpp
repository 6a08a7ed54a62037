#include "app/program.hpp"

#include <QApplication>

#include "app/icon.hpp"

namespace orvu::app {

Program::Program(ProgramSettings settings)
    : endpoints_(std::move(settings.endpoints)),
      downloads_(engine_.profile(),
                 settings.save_location ? *settings.save_location : save_dialog_),
      main_window_(endpoints_, engine_.profile(), downloads_) {
    QObject::connect(&main_window_, &MainWindow::closed, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
}

// Downloads still running end before the windows and the engine go.
Program::~Program() {
    downloads_.cancel_all();
}

void Program::start() {
    main_window_.created();
    main_window_.show_centred();
}

int run_program(ProgramSettings settings) {
    QApplication::setWindowIcon(program_icon());
    // The main window ends the program; the disclaimer, shown before any
    // window, or a download's window must not.
    QApplication::setQuitOnLastWindowClosed(false);
    Program program(std::move(settings));
    program.start();
    return QApplication::exec();
}

}  // namespace orvu::app
