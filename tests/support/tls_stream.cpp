#include "support/tls_stream.hpp"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <utility>

namespace orvu::test {

namespace {

using namespace std::chrono_literals;

// Large enough that a 50 MiB reply takes few calls, small enough to stay in cache.
constexpr std::size_t write_slice_size = std::size_t{1} << 20;
constexpr auto finish_grace = 200ms;

// OpenSSL writes with write(2), which raises SIGPIPE once the peer has gone. This
// holds the signal back on the calling thread for one OpenSSL call and then
// discards it, so that a vanished peer is an error return and not the end of
// the test program.
class SigpipeHeldBack {
  public:
    SigpipeHeldBack() {
        sigemptyset(&sigpipe_);
        sigaddset(&sigpipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        was_pending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &sigpipe_, &previous_mask_);
    }
    ~SigpipeHeldBack() {
        const int saved_errno = errno;
        if (!was_pending_) discard_pending_sigpipe();
        pthread_sigmask(SIG_SETMASK, &previous_mask_, nullptr);
        errno = saved_errno;
    }
    SigpipeHeldBack(const SigpipeHeldBack&) = delete;
    SigpipeHeldBack& operator=(const SigpipeHeldBack&) = delete;

  private:
    void discard_pending_sigpipe() {
        sigset_t pending;
        sigpending(&pending);
        if (sigismember(&pending, SIGPIPE) != 1) return;
        const timespec no_wait{};
        while (sigtimedwait(&sigpipe_, nullptr, &no_wait) < 0 && errno == EINTR) {
        }
    }

    sigset_t sigpipe_;
    sigset_t previous_mask_;
    bool was_pending_ = false;
};

// The oldest queued OpenSSL error as text, and an empty queue afterwards (the
// queue is per thread and would otherwise carry old errors into later calls).
std::string take_openssl_errors() {
    char text[256] = "no OpenSSL error queued";
    if (unsigned long error = ERR_get_error(); error != 0) {
        ERR_error_string_n(error, text, sizeof text);
    }
    ERR_clear_error();
    return text;
}

[[noreturn]] void throw_openssl_failure(const std::string& what) {
    throw std::runtime_error(what + ": " + take_openssl_errors());
}

TlsContext new_context(const SSL_METHOD* method) {
    TlsContext context(SSL_CTX_new(method));
    if (!context) throw_openssl_failure("SSL_CTX_new");
    SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION);
    return context;
}

bool is_ip_address(const std::string& name) {
    unsigned char address[16];
    return inet_pton(AF_INET, name.c_str(), address) == 1 ||
           inet_pton(AF_INET6, name.c_str(), address) == 1;
}

// The certificate must name peer_name; a DNS name also goes out as SNI.
bool expect_peer_name(SSL& tls, const std::string& peer_name) {
    if (is_ip_address(peer_name)) {
        return X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(&tls), peer_name.c_str()) == 1;
    }
    return SSL_set1_host(&tls, peer_name.c_str()) == 1 &&
           SSL_set_tlsext_host_name(&tls, peer_name.c_str()) == 1;
}

std::string handshake_failure(SSL& tls) {
    if (long verdict = SSL_get_verify_result(&tls); verdict != X509_V_OK) {
        ERR_clear_error();
        return std::string("certificate not accepted: ") + X509_verify_cert_error_string(verdict);
    }
    return take_openssl_errors();
}

}  // namespace

void TlsContextDeleter::operator()(ssl_ctx_st* context) const noexcept {
    SSL_CTX_free(context);
}

void TlsConnectionDeleter::operator()(ssl_st* connection) const noexcept {
    SSL_free(connection);
}

TlsContext make_server_tls_context(const std::string& certificate_file,
                                   const std::string& key_file) {
    TlsContext context = new_context(TLS_server_method());
    if (SSL_CTX_use_certificate_chain_file(context.get(), certificate_file.c_str()) != 1) {
        throw_openssl_failure("loading " + certificate_file);
    }
    if (SSL_CTX_use_PrivateKey_file(context.get(), key_file.c_str(), SSL_FILETYPE_PEM) != 1) {
        throw_openssl_failure("loading " + key_file);
    }
    if (SSL_CTX_check_private_key(context.get()) != 1) {
        throw_openssl_failure(key_file + " does not belong to " + certificate_file);
    }
    return context;
}

TlsContext make_client_tls_context(const std::string& ca_file) {
    TlsContext context = new_context(TLS_client_method());
    SSL_CTX_set_verify(context.get(), SSL_VERIFY_PEER, nullptr);
    if (!ca_file.empty() &&
        SSL_CTX_load_verify_locations(context.get(), ca_file.c_str(), nullptr) != 1) {
        throw_openssl_failure("loading " + ca_file);
    }
    return context;
}

Stream::Stream(Stream&& other) noexcept
    : socket_(std::exchange(other.socket_, -1)),
      tls_(std::move(other.tls_)),
      tls_failed_(other.tls_failed_) {}

Stream& Stream::operator=(Stream&& other) noexcept {
    if (this != &other) {
        close();
        socket_ = std::exchange(other.socket_, -1);
        tls_ = std::move(other.tls_);
        tls_failed_ = other.tls_failed_;
    }
    return *this;
}

Stream::~Stream() {
    close();
}

void Stream::close() noexcept {
    tls_.reset();
    if (socket_ >= 0) ::close(socket_);
    socket_ = -1;
}

bool Stream::accept_tls(ssl_ctx_st& context) {
    TlsConnection tls(SSL_new(&context));
    if (!tls || SSL_set_fd(tls.get(), socket_) != 1) {
        take_openssl_errors();
        return false;
    }
    SigpipeHeldBack held;
    if (SSL_accept(tls.get()) != 1) {
        take_openssl_errors();
        return false;
    }
    tls_ = std::move(tls);
    return true;
}

bool Stream::connect_tls(ssl_ctx_st& context, const std::string& peer_name, std::string* failure) {
    TlsConnection tls(SSL_new(&context));
    if (!tls || SSL_set_fd(tls.get(), socket_) != 1 || !expect_peer_name(*tls, peer_name)) {
        std::string reason = take_openssl_errors();
        if (failure) *failure = reason;
        return false;
    }
    SigpipeHeldBack held;
    if (SSL_connect(tls.get()) != 1) {
        std::string reason = handshake_failure(*tls);
        if (failure) *failure = reason;
        return false;
    }
    tls_ = std::move(tls);
    return true;
}

std::size_t Stream::read_some(char* buffer, std::size_t size) {
    if (tls_) {
        if (tls_failed_) return 0;
        std::size_t received = 0;
        SigpipeHeldBack held;  // reading may answer the peer, a key update for one
        if (SSL_read_ex(tls_.get(), buffer, size, &received) == 1) return received;
        // A close_notify leaves the connection fit for our own; anything else does not.
        tls_failed_ = SSL_get_error(tls_.get(), 0) != SSL_ERROR_ZERO_RETURN;
        ERR_clear_error();
        return 0;
    }
    ssize_t received;
    do {
        received = ::recv(socket_, buffer, size, 0);
    } while (received < 0 && errno == EINTR);
    return received > 0 ? static_cast<std::size_t>(received) : 0;
}

bool Stream::wait_readable(std::chrono::milliseconds timeout) {
    if (tls_ && SSL_pending(tls_.get()) > 0) return true;
    pollfd readable{socket_, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&readable, 1, static_cast<int>(timeout.count()));
    } while (ready < 0 && errno == EINTR);
    return ready != 0;
}

bool Stream::write_all(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t slice = std::min(bytes.size(), write_slice_size);
        std::size_t written = 0;
        if (tls_) {
            if (tls_failed_) return false;
            SigpipeHeldBack held;
            if (SSL_write_ex(tls_.get(), bytes.data(), slice, &written) != 1) {
                tls_failed_ = true;
                ERR_clear_error();
                return false;
            }
        } else {
            ssize_t sent = ::send(socket_, bytes.data(), slice, MSG_NOSIGNAL);
            if (sent < 0 && errno == EINTR) continue;
            if (sent <= 0) return false;
            written = static_cast<std::size_t>(sent);
        }
        bytes.remove_prefix(written);
    }
    return true;
}

void Stream::finish() {
    if (socket_ < 0) return;
    if (tls_ && !tls_failed_) {
        SigpipeHeldBack held;
        SSL_shutdown(tls_.get());  // sends close_notify; the peer's answer is not awaited
        ERR_clear_error();
    }
    ::shutdown(socket_, SHUT_WR);
    char discarded[16 * 1024];
    const auto give_up_at = std::chrono::steady_clock::now() + finish_grace;
    for (auto now = std::chrono::steady_clock::now(); now < give_up_at;
         now = std::chrono::steady_clock::now()) {
        pollfd readable{socket_, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(give_up_at - now);
        if (::poll(&readable, 1, static_cast<int>(left.count()) + 1) <= 0) break;
        if (::recv(socket_, discarded, sizeof discarded, 0) <= 0) break;
    }
}

}  // namespace orvu::test
