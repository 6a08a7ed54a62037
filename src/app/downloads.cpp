#include "app/downloads.hpp"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <algorithm>

#include "app/download_progress.hpp"
#include "app/file_names.hpp"
#include "app/qt_text.hpp"
#include "app/widgets.hpp"

namespace orvu::app {

namespace {

QString download_folder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    return folder;
}

}  // namespace

QString SaveDialog::choose(const QString& proposed_file_name) {
    return QFileDialog::getSaveFileName(nullptr, window_text(u8"保存小说"),
                                        QDir(download_folder()).filePath(proposed_file_name));
}

// ---- Transfer --------------------------------------------------------------

Transfer::Transfer(QWebEngineDownloadRequest& request, const QString& final_path)
    : id_(request.id()),
      final_path_(final_path),
      window_(std::make_unique<DownloadProgressWindow>(QFileInfo(final_path).fileName())) {
    connect(window_.get(), &DownloadProgressWindow::cancel_requested, this, &Transfer::cancel);
    follow(request);
    window_->show();
}

void Transfer::adopt(QWebEngineDownloadRequest& resumed) {
    if (request_) disconnect(request_, nullptr, this, nullptr);
    if (finished_) {
        resumed.cancel();
        return;
    }
    follow(resumed);
}

void Transfer::follow(QWebEngineDownloadRequest& request) {
    request_ = &request;
    const QFileInfo target(final_path_);
    request.setDownloadDirectory(target.absolutePath());
    request.setDownloadFileName(QFileInfo(partial_path()).fileName());
    connect(&request, &QWebEngineDownloadRequest::receivedBytesChanged, this,
            &Transfer::show_progress);
    connect(&request, &QWebEngineDownloadRequest::totalBytesChanged, this,
            &Transfer::show_progress);
    connect(&request, &QWebEngineDownloadRequest::isFinishedChanged, this, &Transfer::finish);
    connect(&request, &QWebEngineDownloadRequest::stateChanged, this, &Transfer::finish);
    if (request.state() == QWebEngineDownloadRequest::DownloadRequested) request.accept();
}

Transfer::~Transfer() {
    cancel();
}

// Where the engine writes: the partial path, unless it chose another name.
QString Transfer::written_path() const {
    return request_ ? QDir(request_->downloadDirectory()).filePath(request_->downloadFileName())
                    : partial_path();
}

void Transfer::remove_partial_files() {
    QFile::remove(partial_path());
    if (const QString written = written_path(); written != final_path_) QFile::remove(written);
}

// "<name>.<id>.part": two downloads saved under one name never share it.
QString Transfer::partial_path() const {
    return final_path_ + QStringLiteral(".%1.part").arg(id_);
}

void Transfer::show_progress() {
    if (request_) window_->show_received(request_->receivedBytes(), request_->totalBytes());
}

void Transfer::cancel() {
    if (!finished_ && request_) request_->cancel();
    if (!saved_) remove_partial_files();
}

// The file takes its final name only once it is complete; whatever else ends a
// download removes what was written of it. An interrupted download ends here
// too: the engine would keep it waiting to be resumed, with no one to ask.
void Transfer::finish() {
    if (!request_) return;
    if (finished_) {
        // The engine may still write or resume after the end; what it leaves goes too.
        if (!saved_) remove_partial_files();
        return;
    }
    const QWebEngineDownloadRequest::DownloadState state = request_->state();
    const bool interrupted = state == QWebEngineDownloadRequest::DownloadInterrupted;
    if (!request_->isFinished() && !interrupted) return;
    finished_ = true;
    if (interrupted) request_->cancel();
    if (state == QWebEngineDownloadRequest::DownloadCompleted) {
        if (QFile::exists(final_path_)) QFile::remove(final_path_);  // the user chose to replace it
        saved_ = QFile::rename(written_path(), final_path_);
        if (saved_) {
            window_->show_saved(final_path_);
        } else {
            remove_partial_files();
            window_->show_failed(window_text(u8"无法写入 ") + final_path_);
        }
    } else {
        remove_partial_files();
        if (state == QWebEngineDownloadRequest::DownloadCancelled) {
            window_->show_cancelled();
        } else {
            window_->show_failed(request_->interruptReasonString());
        }
    }
    emit ended();
}

// ---- Downloads -------------------------------------------------------------

Downloads::Downloads(QWebEngineProfile& profile, SaveLocation& save_location)
    : save_location_(save_location), page_(profile) {
    connect(&profile, &QWebEngineProfile::downloadRequested, this, &Downloads::take);
}

Downloads::~Downloads() {
    cancel_all();
}

void Downloads::open(const Bytes& utf16_address) {
    open_address(utf16_to_qstring(utf16_address));
}

void Downloads::open_address(const QString& address) {
    const QUrl url(address);
    if (url.isValid() && !url.isEmpty()) page_.download(url);
}

void Downloads::cancel_all() {
    for (const std::unique_ptr<Transfer>& transfer : transfers_)
        transfer->cancel();
}

void Downloads::take(QWebEngineDownloadRequest* request) {
    if (!request) return;
    for (const std::unique_ptr<Transfer>& transfer : transfers_) {
        if (transfer->id() == request->id()) {
            transfer->adopt(*request);
            return;
        }
    }
    if (request->state() != QWebEngineDownloadRequest::DownloadRequested) return;
    const QString path = save_location_.choose(safe_file_name(request->downloadFileName()));
    if (path.isEmpty()) {
        request->cancel();
        return;
    }
    transfers_.push_back(std::make_unique<Transfer>(*request, path));
    emit transfer_started(transfers_.back().get());
}

}  // namespace orvu::app
