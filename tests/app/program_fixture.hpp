#pragma once

// A whole program against the demo sites on free ports, its downloads saved in
// a folder of the test's, every message box read and closed.

#include <gtest/gtest.h>
#include <QTemporaryDir>
#include <memory>

#include "app/program.hpp"
#include "app_support.hpp"
#include "demo/demo_sites.hpp"

namespace orvu::app::test {

class ProgramTest : public testing::Test {
  protected:
    ProgramTest();
    ~ProgramTest() override;

    // Start-up as the user sees it: disclaimer closed, main window shown.
    void start();

    MainWindow& main() { return program_->main_window(); }
    SiteBox& site_box();
    QLineEdit& keyword_box();
    QLineEdit& download_page_box();
    ReportList& results();
    QPushButton& search_button();

    // The user's moves.
    void choose_site(int index);  // without the notice of a user's pick
    void search(const QString& keyword);
    DownloadWindow* download_window() { return main().download_window(); }
    ReportList& links();
    int row_with(ReportList& list, int column, const QString& text);

    demo::DemoSites sites_;
    QTemporaryDir save_folder_;
    FolderSaveLocation save_location_{save_folder_.path()};
    BoxWatcher boxes_;
    std::unique_ptr<Program> program_;
};

}  // namespace orvu::app::test
