#pragma once

// What the window tests, the screenshot tool and the start-up benchmark share:
// a watcher that reads and closes every message box the program shows, a save
// location in a folder, a user's double-click, and waiting on the event loop.

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/downloads.hpp"
#include "app/widgets.hpp"

namespace orvu::app::test {

// Serves the event loop until the condition holds or the time is up (a bound,
// not a measurement); gives the condition's last value.
bool wait_until(const std::function<bool()>& condition, int timeout_ms = 30000);
void serve_events(int ms);

// A text of the source (UTF-8) as Qt's string.
QString utf8(const char8_t* text);

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    bool main_window_visible;      // at the moment the box was up
    bool download_window_visible;  // idem, false when there is none
};

// Reads every message box that comes up and presses its OK button, as a user
// would; a given step sees each box first. Boxes run their own modal loop, so
// it polls on a timer.
class BoxWatcher {
  public:
    using Step = std::function<void(QMessageBox&)>;
    explicit BoxWatcher(Step before_closing = {}, int poll_ms = 15);
    ~BoxWatcher();
    const std::vector<SeenBox>& boxes() const { return boxes_; }
    QStringList texts() const;
    void clear() { boxes_.clear(); }

  private:
    void look();
    Step before_closing_;
    QTimer timer_;
    std::vector<SeenBox> boxes_;
};

// Saves each download as the proposed name in a given folder.
class FolderSaveLocation : public SaveLocation {
  public:
    explicit FolderSaveLocation(QString folder) : folder_(std::move(folder)) {}
    QString choose(const QString& proposed_file_name) override;
    const QStringList& proposed() const { return proposed_; }
    bool decline = false;

  private:
    QString folder_;
    QStringList proposed_;
};

// The names of the files in a folder, sorted.
QStringList files_in(const QString& folder);
QByteArray file_bytes(const QString& path);

// Top-level windows that are on the screen, the ones named in except left out.
QStringList visible_windows(const QStringList& except = {});

template <typename Widget>
Widget& control(QWidget& window, const char8_t* name) {
    auto* found = window.findChild<Widget*>(utf8(name));
    if (!found) throw std::runtime_error("no control " + utf8(name).toStdString());
    return *found;
}

// A click on the row, then a double-click on it; -1: on an empty part below the rows.
void double_click_row(ReportList& list, int row);

}  // namespace orvu::app::test
