#include "app/widgets.hpp"

#include <QHeaderView>
#include <QMessageBox>
#include <QMouseEvent>
#include <memory>

#include "app/qt_text.hpp"
#include "text/codepage.hpp"

namespace orvu::app {

QString window_text(std::u8string_view utf8) {
    return to_qstring(gbk_literal(utf8));
}

Qt::WindowFlags fixed_frame(Qt::WindowType kind, bool with_minimise_button) {
    Qt::WindowFlags flags = kind | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (with_minimise_button) flags |= Qt::WindowMinimizeButtonHint;
    return flags;
}

void place(QWidget& widget, const char8_t* name, int x, int y, int width, int height) {
    widget.setObjectName(QString::fromUtf8(reinterpret_cast<const char*>(name)));
    widget.setGeometry(x, y, width, height);
}

void make_label(QLabel& label, std::u8string_view text, QColor colour, Qt::Alignment alignment) {
    label.setText(window_text(text));
    label.setTextFormat(Qt::PlainText);
    label.setWordWrap(false);
    label.setAlignment(alignment);
    label.setAutoFillBackground(false);
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, colour);
    label.setPalette(palette);
}

void PressableLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) emit left_button_pressed();
}

SiteBox::SiteBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    setInsertPolicy(QComboBox::NoInsert);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Button, Qt::white);
    setPalette(palette);
}

Text EditBoxOf::text() const {
    return to_text(edit_.text());
}

void EditBoxOf::set_text(const Text& text) {
    edit_.setText(to_qstring(text));
}

ReportList::ReportList(QWidget* parent, std::initializer_list<ReportColumn> columns)
    : QTableWidget(parent) {
    setColumnCount(static_cast<int>(columns.size()));
    QStringList headers;
    for (const ReportColumn& column : columns)
        headers << window_text(column.header);
    setHorizontalHeaderLabels(headers);

    QHeaderView& header = *horizontalHeader();
    header.setMinimumSectionSize(0);
    header.setStretchLastSection(false);
    header.setSectionsMovable(false);
    header.setSectionResizeMode(QHeaderView::Interactive);
    header.setHighlightSections(false);
    header.setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header.setSortIndicatorShown(false);
    int index = 0;
    for (const ReportColumn& column : columns)
        setColumnWidth(index++, column.width);

    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setSortingEnabled(false);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setMouseTracking(false);
    setWordWrap(false);
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);

    // Black on white; without the keyboard focus the selection is not shown.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
    setPalette(palette);
}

int ReportList::selected_row() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    int first = -1;
    for (const QModelIndex& row : rows) {
        if (first == -1 || row.row() < first) first = row.row();
    }
    return first;
}

int ReportList::insert_row() {
    const int row = rowCount();
    insertRow(row);
    for (int column = 0; column < columnCount(); ++column) {
        auto item = std::make_unique<QTableWidgetItem>();
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        setItem(row, column, item.release());  // the table owns its items
    }
    return row;
}

void ReportList::set_cell(int row, int column, const Text& text) {
    if (QTableWidgetItem* cell = item(row, column)) cell->setText(to_qstring(text));
}

Text ReportList::cell(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell ? to_text(cell->text()) : Text();
}

void ReportList::delete_all_rows() {
    clearSelection();
    setRowCount(0);
}

void ReportList::mousePressEvent(QMouseEvent* event) {
    if (!indexAt(event->position().toPoint()).isValid()) clearSelection();
    QTableWidget::mousePressEvent(event);
}

void ReportList::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) emit double_clicked();
}

namespace {

// A box shows its text's line breaks; the texts carry them as CR LF.
QString box_text(const Text& text) {
    QString shown = to_qstring(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

}  // namespace

void MessageBoxes::show(const Text& text, MessageIcon icon) {
    QMessageBox box;
    box.setObjectName(QStringLiteral("信息框"));
    box.setWindowTitle(window_text(u8"信息："));
    box.setTextFormat(Qt::PlainText);  // a page's text is never read as markup
    box.setText(box_text(text));
    box.setIcon(icon == MessageIcon::stop ? QMessageBox::Critical : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace orvu::app
