#include "program_fixture.hpp"

#include <QTest>

namespace orvu::app::test {

ProgramTest::ProgramTest()
    : program_(std::make_unique<Program>(
          ProgramSettings{.endpoints = sites_.endpoints(), .save_location = &save_location_})) {}

ProgramTest::~ProgramTest() {
    program_.reset();
    release_search_prefixes();
    serve_events(50);
}

void ProgramTest::start() {
    program_->start();
    ASSERT_TRUE(wait_until([this] { return main().isVisible(); }));
}

SiteBox& ProgramTest::site_box() {
    return control<SiteBox>(main(), u8"组合框1");
}
QLineEdit& ProgramTest::keyword_box() {
    return control<QLineEdit>(main(), u8"编辑框1");
}
QLineEdit& ProgramTest::download_page_box() {
    return control<QLineEdit>(main(), u8"编辑框2");
}
ReportList& ProgramTest::results() {
    return control<ReportList>(main(), u8"超级列表框1");
}
QPushButton& ProgramTest::search_button() {
    return control<QPushButton>(main(), u8"按钮1");
}
ReportList& ProgramTest::links() {
    return control<ReportList>(*download_window(), u8"超级列表框1");
}

void ProgramTest::choose_site(int index) {
    site_box().setCurrentIndex(index);
}

void ProgramTest::search(const QString& keyword) {
    keyword_box().setText(keyword);
    QTest::mouseClick(&search_button(), Qt::LeftButton);
}

int ProgramTest::row_with(ReportList& list, int column, const QString& text) {
    for (int row = 0; row < list.rowCount(); ++row) {
        if (list.item(row, column) && list.item(row, column)->text().contains(text)) return row;
    }
    return -1;
}

}  // namespace orvu::app::test
