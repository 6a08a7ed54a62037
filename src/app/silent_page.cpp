#include "app/silent_page.hpp"

#include <QAuthenticator>
#include <QWebEngineCertificateError>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>

namespace orvu::app {

SilentPage::SilentPage(QWebEngineProfile& profile, QObject* parent)
    : QWebEnginePage(&profile, parent) {
    // Every question the engine would put to the user gets "no" without a word.
    connect(this, &QWebEnginePage::certificateError, this,
            [](const QWebEngineCertificateError& error) {
                QWebEngineCertificateError refused = error;
                refused.rejectCertificate();
            });
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl& origin, Feature feature) {
                setFeaturePermission(origin, feature, PermissionDeniedByUser);
            });
    connect(this, &QWebEnginePage::authenticationRequired, this,
            [](const QUrl&, QAuthenticator* authenticator) { *authenticator = QAuthenticator(); });
    connect(this, &QWebEnginePage::proxyAuthenticationRequired, this,
            [](const QUrl&, QAuthenticator* authenticator, const QString&) {
                *authenticator = QAuthenticator();
            });
    connect(this, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
}

void SilentPage::javaScriptAlert(const QUrl&, const QString&) {}

bool SilentPage::javaScriptConfirm(const QUrl&, const QString&) {
    return false;
}

bool SilentPage::javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) {
    return false;
}

void SilentPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                          const QString&) {}

QWebEnginePage* SilentPage::createWindow(WebWindowType) {
    return nullptr;
}

QStringList SilentPage::chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) {
    return {};
}

}  // namespace orvu::app
