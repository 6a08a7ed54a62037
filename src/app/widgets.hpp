#pragma once

// The controls that both windows share, each one a Qt widget that also offers
// what the flows need of it.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <initializer_list>
#include <string_view>

#include "sites/controls.hpp"

namespace orvu::app {

// A text of the windows, written in the source as UTF-8: it goes through GBK
// like every other text of the program, which also checks that GBK has it.
QString window_text(std::u8string_view utf8);

// A fixed frame: caption, system menu, close button, no maximise button.
Qt::WindowFlags fixed_frame(Qt::WindowType kind, bool with_minimise_button = false);

// Names the widget for Qt (tests and tools find controls by it) and places it
// at x, y with the given size inside its window's client area.
void place(QWidget& widget, const char8_t* name, int x, int y, int width, int height);

// A transparent label: one line, the window background showing through.
void make_label(QLabel& label, std::u8string_view text, QColor colour, Qt::Alignment alignment);

// A label that reports a press of the left mouse button at once, before release.
class PressableLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;
  signals:
    void left_button_pressed();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// A drop-down list combo box: the user picks, never types.
class SiteBox : public QComboBox, public ComboBox {
    Q_OBJECT
  public:
    explicit SiteBox(QWidget* parent);
    int current_item() const override { return currentIndex(); }
};

// A single-line edit box as the flows see it.
class EditBoxOf : public EditBox {
  public:
    explicit EditBoxOf(QLineEdit& edit) : edit_(edit) {}
    Text text() const override;
    void set_text(const Text& text) override;

  private:
    QLineEdit& edit_;
};

struct ReportColumn {
    std::u8string_view header;
    int width;
};

// A list view in report view: a header that sorts nothing, grid lines,
// full-row single selection, cells that cannot be edited. A click on an empty
// part clears the selection, so a double-click there finds no row.
class ReportList : public QTableWidget, public ListView {
    Q_OBJECT
  public:
    ReportList(QWidget* parent, std::initializer_list<ReportColumn> columns);

    int selected_row() const override;
    int insert_row() override;
    void set_cell(int row, int column, const Text& text) override;
    Text cell(int row, int column) const override;
    void delete_all_rows() override;

  signals:
    void double_clicked();  // anywhere in the list; the flows read the selected row

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// The message boxes of the flows and of start-up: no owner, modal for the whole
// program, caption "信息：", one OK button; returns once the user has closed it.
class MessageBoxes : public MessageBox {
  public:
    void show(const Text& text, MessageIcon icon) override;
};

}  // namespace orvu::app
