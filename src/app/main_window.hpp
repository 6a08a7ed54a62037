#pragma once

// The search window: the site, the keyword, the results. Its controls are the
// program's working memory; every event goes to a flow, but for the site
// notice and the home-page link.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <memory>

#include "app/download_window.hpp"
#include "app/widgets.hpp"
#include "sites/flows.hpp"

class QWebEngineProfile;

namespace orvu::app {

// The browser engine and the download prompt, made when first asked for: the
// engine takes a good part of a second to start.
class BrowserAccess {
  public:
    virtual ~BrowserAccess() = default;
    virtual QWebEngineProfile& profile() = 0;
    virtual DownloadPrompt& prompt() = 0;
};

class MainWindow : public QWidget, public DownloadWindowOpener {
    Q_OBJECT
  public:
    MainWindow(const Endpoints& endpoints, BrowserAccess& browser);
    ~MainWindow() override;

    // The creation handler: the search prefixes, then the disclaimer. The
    // window is shown only once this has returned.
    void created();
    void show_centred();

    void open_download_window() override;
    DownloadWindow* download_window() const { return download_window_.get(); }

  signals:
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void show_site_notice();
    void open_home_page();
    void forget_download_window();

    // Controls, in creation order.
    PressableLabel 透明标签2;
    SiteBox 组合框1;
    QLabel 透明标签1;
    QLineEdit 编辑框2;
    ReportList 超级列表框1;
    QPushButton 按钮1;
    QLineEdit 编辑框1;

    const Endpoints& endpoints_;
    BrowserAccess& browser_;
    EditBoxOf keyword_;
    EditBoxOf download_page_address_;
    MessageBoxes messages_;
    MainWindowParts parts_;
    std::unique_ptr<DownloadWindow> download_window_;
};

}  // namespace orvu::app
