#pragma once

// The whole program: the browser engine, the download prompt and the main
// window, made in that order and ended in the reverse one.

#include "app/browser_engine.hpp"
#include "app/downloads.hpp"
#include "app/main_window.hpp"
#include "sites/catalogue.hpp"

namespace orvu::app {

struct ProgramSettings {
    Endpoints endpoints = build_endpoints();
    SaveLocation* save_location = nullptr;  // the save dialog when not given
};

class Program {
  public:
    explicit Program(ProgramSettings settings = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Start-up: the main window's creation handler (prefixes, disclaimer),
    // then the window, centred. Closing it quits the application.
    void start();

    MainWindow& main_window() { return main_window_; }
    Downloads& downloads() { return downloads_; }
    QWebEngineProfile& profile() { return engine_.profile(); }

  private:
    Endpoints endpoints_;
    BrowserEngine engine_;
    SaveDialog save_dialog_;
    Downloads downloads_;
    MainWindow main_window_;
};

// Runs the program in an existing QApplication until its main window closes.
int run_program(ProgramSettings settings = {});

}  // namespace orvu::app
