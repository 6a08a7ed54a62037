#pragma once

// The small second window that lists one book's download links, and carries
// the hidden browser that the links of resource sites 1 and 2 are sent to.

#include <QLabel>
#include <QWebEngineView>
#include <QWidget>

#include "app/silent_page.hpp"
#include "app/widgets.hpp"
#include "sites/flows.hpp"

namespace orvu::app {

// The embedded browser that the user never sees: setting its address starts a
// navigation, and a file it runs into goes to the download prompt.
class HiddenBrowser : public QWebEngineView, public Browser {
    Q_OBJECT
  public:
    HiddenBrowser(QWidget* parent, QWebEngineProfile& profile);
    void set_address(const Text& address) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    SilentPage page_;
};

class DownloadWindow : public QWidget, public Caption {
    Q_OBJECT
  public:
    // Owned by the main window, in front of it, never modal.
    DownloadWindow(QWidget& owner, MainWindowParts& main, QWebEngineProfile& profile,
                   DownloadPrompt& prompt);

    // The creation handler: caption, then the links, before the window is shown.
    void created();
    void show_centred();

    void set_caption(const Text& caption) override;

  signals:
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // Controls, in creation order.
    QLabel 透明标签1;
    HiddenBrowser 超文本浏览框1;
    ReportList 超级列表框1;

    MainWindowParts& main_;
    MessageBoxes messages_;
    DownloadWindowParts parts_;
};

}  // namespace orvu::app
