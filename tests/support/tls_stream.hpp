#pragma once

// The tests' one door to OpenSSL: owning handles for a TLS context and a TLS
// connection, the contexts the test servers and clients use, and Stream, one
// connected socket that is read and written either plainly or through TLS.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// OpenSSL's own names behind SSL_CTX and SSL, so that no other file of ours
// needs an OpenSSL header.
struct ssl_ctx_st;
struct ssl_st;

namespace orvu::test {

struct TlsContextDeleter {
    void operator()(ssl_ctx_st* context) const noexcept;
};
struct TlsConnectionDeleter {
    void operator()(ssl_st* connection) const noexcept;
};
using TlsContext = std::unique_ptr<ssl_ctx_st, TlsContextDeleter>;
using TlsConnection = std::unique_ptr<ssl_st, TlsConnectionDeleter>;

// A server context with the certificate chain and the private key of these PEM
// files. Throws std::runtime_error when they do not load or do not belong together.
TlsContext make_server_tls_context(const std::string& certificate_file,
                                   const std::string& key_file);

// A client context that verifies the server against the certificates in ca_file
// alone (an empty name trusts nothing). Throws std::runtime_error when the file
// does not load.
TlsContext make_client_tls_context(const std::string& ca_file);

// A connected socket, owned: plain until a TLS handshake succeeds on it, then TLS.
// Reads and writes block; shutdown(2) of the socket from another thread makes
// them return at once. Writes never raise SIGPIPE.
class Stream {
  public:
    explicit Stream(int socket) noexcept : socket_(socket) {}
    Stream(Stream&& other) noexcept;
    Stream& operator=(Stream&& other) noexcept;
    ~Stream();

    int socket() const noexcept { return socket_; }
    bool is_tls() const noexcept { return tls_ != nullptr; }

    // The server or client side of a handshake on the plain socket. On failure
    // the stream stays plain (and is of no further use but to close).
    bool accept_tls(ssl_ctx_st& context);
    // peer_name: an IP address or a DNS name that the certificate must carry; it
    // is also sent as the server name when it is a DNS name. failure, when given,
    // receives OpenSSL's reason.
    bool connect_tls(ssl_ctx_st& context, const std::string& peer_name,
                     std::string* failure = nullptr);

    // Up to size bytes; 0 when the peer has closed or the connection failed.
    std::size_t read_some(char* buffer, std::size_t size);
    // Whether read_some would return without waiting (bytes, the end, or an
    // error), waiting up to timeout. Sees bytes that TLS already decrypted.
    bool wait_readable(std::chrono::milliseconds timeout);
    // All of the bytes, in large slices; false when the connection failed.
    bool write_all(std::string_view bytes);
    // The polite end: TLS close_notify, then end of stream, then whatever the
    // peer still sends for a moment is read and dropped, so that closing does
    // not reset the connection under bytes the peer has not read yet.
    void finish();

  private:
    void close() noexcept;

    int socket_ = -1;
    TlsConnection tls_;
    bool tls_failed_ = false;  // OpenSSL forbids further calls, close_notify included
};

}  // namespace orvu::test
