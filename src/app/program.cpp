#include "app/program.hpp"

#include <QApplication>
#include <QTimer>

#include "app/icon.hpp"

namespace orvu::app {

namespace {

// Long enough for the disclaimer to be drawn before the engine holds the thread.
constexpr int engine_start_delay_ms = 100;

}  // namespace

Program::Program(ProgramSettings settings)
    : endpoints_(std::move(settings.endpoints)),
      save_location_(settings.save_location ? *settings.save_location : save_dialog_),
      main_window_(endpoints_, *this) {
    QObject::connect(&main_window_, &MainWindow::closed, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
}

// Downloads still running end before the windows and the engine go.
Program::~Program() {
    if (downloads_) downloads_->cancel_all();
}

void Program::start_engine() {
    if (!engine_) engine_.emplace();
    if (!downloads_) downloads_.emplace(engine_->profile(), save_location_);
}

QWebEngineProfile& Program::profile() {
    start_engine();
    return engine_->profile();
}

Downloads& Program::downloads() {
    start_engine();
    return *downloads_;
}

void Program::start() {
    QTimer::singleShot(engine_start_delay_ms, &main_window_, [this] { start_engine(); });
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
