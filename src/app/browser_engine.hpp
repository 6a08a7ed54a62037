#pragma once

// The browser engine behind the hidden browser and the download prompt: one
// off-the-record profile for the whole run, so nothing it fetches or stores
// outlives the program.

#include <QByteArray>
#include <QString>
#include <QWebEngineProfile>

namespace orvu::app {

// The engine's switches, made before its first profile exists: the CA file that
// the build trusts besides the system store is trusted by the engine too, by
// its keys, and the engine makes no connection of its own (updates, safe
// browsing, metrics).
void prepare_browser_engine(const QString& extra_ca_file);

// The "--ignore-certificate-errors-spki-list" value for the certificates in a
// PEM file: the base64 SHA-256 of each public key, comma-separated; empty when
// the file holds none.
QByteArray public_key_pins(const QString& pem_file);

class BrowserEngine {
  public:
    BrowserEngine();
    QWebEngineProfile& profile() { return profile_; }

  private:
    QWebEngineProfile profile_;  // made without a storage name: off the record
};

}  // namespace orvu::app
