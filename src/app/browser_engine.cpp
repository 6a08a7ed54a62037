#include "app/browser_engine.hpp"

#include <QCryptographicHash>
#include <QSslCertificate>
#include <QSslKey>
#include <QStringList>

namespace orvu::app {

QByteArray public_key_pins(const QString& pem_file) {
    if (pem_file.isEmpty()) return {};
    QByteArrayList pins;
    for (const QSslCertificate& certificate : QSslCertificate::fromPath(pem_file)) {
        const QByteArray key = certificate.publicKey().toDer();
        if (key.isEmpty()) continue;
        pins << QCryptographicHash::hash(key, QCryptographicHash::Sha256).toBase64();
    }
    return pins.join(',');
}

void prepare_browser_engine(const QString& extra_ca_file) {
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    flags +=
        " --disable-background-networking --disable-component-update"
        " --disable-domain-reliability --disable-breakpad --no-pings";
    if (const QByteArray pins = public_key_pins(extra_ca_file); !pins.isEmpty()) {
        flags += " --ignore-certificate-errors-spki-list=" + pins;
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
}

BrowserEngine::BrowserEngine() {
    profile_.setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile_.setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile_.setSpellCheckEnabled(false);
}

}  // namespace orvu::app
