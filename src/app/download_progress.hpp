#pragma once

// The small window that follows one download: the file's name, a progress bar,
// what has arrived so far, and at the end where the file was saved or why it
// was not. Its button cancels a running download and closes a finished one.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace orvu::app {

class DownloadProgressWindow : public QWidget {
    Q_OBJECT
  public:
    explicit DownloadProgressWindow(const QString& file_name);

    void show_received(qint64 received, qint64 total);  // total below 0: not known
    void show_saved(const QString& path);
    void show_failed(const QString& reason);
    void show_cancelled();

    QString status() const { return status_.text(); }

  signals:
    void cancel_requested();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void end_with(const QString& status);

    QLabel name_;
    QProgressBar bar_;
    QLabel status_;
    QPushButton button_;
    QVBoxLayout layout_;  // last, so it goes before the widgets it arranges
    bool running_ = true;
};

// "1.5 KB", "2.0 MB": sizes as the progress shows them.
QString readable_size(qint64 bytes);

}  // namespace orvu::app
