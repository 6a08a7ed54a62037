#pragma once

// The whole program: the main window, and the browser engine with the download
// prompt behind it. The engine starts while the disclaimer is up, so that the
// box comes quickly and the engine is ready when the windows need it.

#include <optional>

#include "app/browser_engine.hpp"
#include "app/downloads.hpp"
#include "app/main_window.hpp"
#include "sites/catalogue.hpp"

namespace orvu::app {

struct ProgramSettings {
    Endpoints endpoints = build_endpoints();
    SaveLocation* save_location = nullptr;  // the save dialog when not given
};

class Program : public BrowserAccess {
  public:
    explicit Program(ProgramSettings settings = {});
    ~Program() override;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Start-up: the main window's creation handler (prefixes, disclaimer),
    // then the window, centred. Closing it quits the application.
    void start();

    MainWindow& main_window() { return main_window_; }
    Downloads& downloads();
    QWebEngineProfile& profile() override;
    DownloadPrompt& prompt() override { return downloads(); }

  private:
    void start_engine();

    Endpoints endpoints_;
    SaveDialog save_dialog_;
    SaveLocation& save_location_;
    // Made on first use, ended after the windows that use them.
    std::optional<BrowserEngine> engine_;
    std::optional<Downloads> downloads_;
    MainWindow main_window_;
};

// Runs the program in an existing QApplication until its main window closes.
int run_program(ProgramSettings settings = {});

}  // namespace orvu::app
