#pragma once

// The program's download prompt. Every file the browser engine is to save,
// whether the download prompt was opened on its address or the hidden browser
// ran into it, is handled here: the user is asked where to save it (a safe name
// is proposed), a small window shows its progress and how it ended, and any
// number may run at once. A file appears under its final name only once it is
// complete; until then it is written beside it as "<name>.<id>.part".

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

#include "app/silent_page.hpp"
#include "sites/controls.hpp"

class QWebEngineDownloadRequest;
class QWebEngineProfile;
class QWidget;

namespace orvu::app {

// Where a download goes: the full path of the file, or empty when the user
// declines.
class SaveLocation {
  public:
    virtual ~SaveLocation() = default;
    virtual QString choose(const QString& proposed_file_name) = 0;
};

// Asks with the platform's save dialog, starting in the user's download folder.
class SaveDialog : public SaveLocation {
  public:
    QString choose(const QString& proposed_file_name) override;
};

class DownloadProgressWindow;

// One file on its way to disk, and the window that shows it.
class Transfer : public QObject {
    Q_OBJECT
  public:
    Transfer(QWebEngineDownloadRequest& request, const QString& final_path);
    ~Transfer() override;

    // The engine hands over a download again when it resumes one by itself.
    quint32 id() const { return id_; }
    void adopt(QWebEngineDownloadRequest& resumed);

    QString final_path() const { return final_path_; }
    bool finished() const { return finished_; }
    bool saved() const { return saved_; }
    DownloadProgressWindow& window() const { return *window_; }
    void cancel();

  signals:
    void ended();

  private:
    void follow(QWebEngineDownloadRequest& request);
    void show_progress();
    void finish();
    QString partial_path() const;
    QString written_path() const;
    void remove_partial_files();

    QPointer<QWebEngineDownloadRequest> request_;  // the profile owns it
    quint32 id_;
    QString final_path_;
    bool finished_ = false;
    bool saved_ = false;
    std::unique_ptr<DownloadProgressWindow> window_;
};

class Downloads : public QObject, public DownloadPrompt {
    Q_OBJECT
  public:
    Downloads(QWebEngineProfile& profile, SaveLocation& save_location);
    ~Downloads() override;  // ends every unfinished download, leaving no partial file

    // The download prompt on an address (UTF-16, ending in a zero unit).
    void open(const Bytes& utf16_address) override;
    void open_address(const QString& address);

    void cancel_all();
    const std::vector<std::unique_ptr<Transfer>>& transfers() const { return transfers_; }

  signals:
    void transfer_started(Transfer* transfer);

  private:
    void take(QWebEngineDownloadRequest* request);

    SaveLocation& save_location_;
    SilentPage page_;  // fetches the files the prompt is opened on
    std::vector<std::unique_ptr<Transfer>> transfers_;
};

}  // namespace orvu::app
