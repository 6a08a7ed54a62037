#pragma once

// A web page that never speaks to the user: no script dialogs, no new windows,
// no file choosers, no permission, certificate or log-in prompts. The hidden
// browser and the download prompt navigate with it.

#include <QWebEnginePage>

namespace orvu::app {

class SilentPage : public QWebEnginePage {
    Q_OBJECT
  public:
    explicit SilentPage(QWebEngineProfile& profile, QObject* parent = nullptr);

  protected:
    void javaScriptAlert(const QUrl& origin, const QString& message) override;
    bool javaScriptConfirm(const QUrl& origin, const QString& message) override;
    bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& preset,
                          QString* answer) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString& source) override;
    QWebEnginePage* createWindow(WebWindowType type) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList& old_files,
                            const QStringList& accepted_types) override;
};

}  // namespace orvu::app
