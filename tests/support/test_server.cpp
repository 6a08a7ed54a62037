#include "support/test_server.hpp"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <mutex>
#include <set>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

#include "support/tls_stream.hpp"

namespace orvu::test {

namespace {

using namespace std::chrono_literals;

// How often the accepting thread looks at the clock and the stop flag.
constexpr auto poll_interval = 20ms;
constexpr std::size_t read_chunk_size = 64 * 1024;
// A head this long without its blank line is not a request worth waiting for.
constexpr std::size_t max_head_size = std::size_t{1} << 20;
constexpr std::string_view end_of_head = "\r\n\r\n";
constexpr std::string_view connection_established = "HTTP/1.1 200 Connection established\r\n\r\n";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool equals_ignoring_case(std::string_view left, std::string_view right) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (left.size() != right.size()) return false;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (lower(left[i]) != lower(right[i])) return false;
    }
    return true;
}

// Word `index` (from 0) of the request line, words being separated by blanks.
std::string request_line_word(const std::string& head, int index) {
    std::string_view line = std::string_view(head).substr(0, head.find("\r\n"));
    for (; index > 0; --index) {
        const auto blank = line.find(' ');
        if (blank == std::string_view::npos) return {};
        line.remove_prefix(blank + 1);
    }
    return std::string(line.substr(0, line.find(' ')));
}

// The first Content-Length header's value; 0 when there is none or it is no number.
std::size_t content_length(const RecordedRequest& request) {
    for (const std::string& line : request.header_lines()) {
        const std::string_view header = line;
        const auto colon = header.find(':');
        if (colon == std::string_view::npos) continue;
        if (!equals_ignoring_case(trimmed(header.substr(0, colon)), "content-length")) continue;
        const std::string_view value = trimmed(header.substr(colon + 1));
        std::size_t length = 0;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), length);
        return error == std::errc() && end == value.data() + value.size() ? length : 0;
    }
    return 0;
}

// Appends what the stream gives next; false at its end.
bool read_more(Stream& stream, std::string& unread) {
    const std::size_t old_size = unread.size();
    unread.resize(old_size + read_chunk_size);
    const std::size_t received = stream.read_some(unread.data() + old_size, read_chunk_size);
    unread.resize(old_size + received);
    return received > 0;
}

// The next request on the connection. unread holds bytes that arrived beyond the
// previous request (a client may send its next request early) and keeps those
// beyond this one.
std::optional<RecordedRequest> read_request(Stream& stream, std::string& unread) {
    std::size_t searched = 0;
    std::size_t head_end;
    while ((head_end = unread.find(end_of_head, searched)) == std::string::npos) {
        if (unread.size() > max_head_size) return std::nullopt;
        searched = unread.size() < end_of_head.size() ? 0 : unread.size() - end_of_head.size();
        if (!read_more(stream, unread)) return std::nullopt;
    }
    RecordedRequest request;
    request.head = unread.substr(0, head_end + end_of_head.size());
    const std::size_t body_size = content_length(request);
    while (unread.size() - request.head.size() < body_size) {
        if (!read_more(stream, unread)) return std::nullopt;
    }
    request.body = unread.substr(request.head.size(), body_size);
    unread.erase(0, request.head.size() + body_size);
    return request;
}

sockaddr_in loopback_address(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

[[noreturn]] void throw_system_error(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

struct BoundSocket {
    int socket;
    int port;
};

// A TCP socket bound to 127.0.0.1 on the port given, or on one that the kernel
// picked for 0. A given port may be taken again at once after a restart.
BoundSocket bind_loopback_socket(int port = 0) {
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0) throw_system_error("socket");
    if (port != 0) {
        const int on = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
    sockaddr_in address = loopback_address(port);
    socklen_t size = sizeof address;
    if (::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        const int error = errno;
        ::close(socket);
        errno = error;
        throw_system_error("binding a port on 127.0.0.1");
    }
    return {socket, ntohs(address.sin_port)};
}

BoundSocket listen_on_loopback(int port) {
    const BoundSocket bound = bind_loopback_socket(port);
    if (::listen(bound.socket, SOMAXCONN) != 0) {
        const int error = errno;
        ::close(bound.socket);
        errno = error;
        throw_system_error("listen");
    }
    return bound;
}

// A connected socket, or -1 when nothing accepts on the port.
int connect_to_loopback(int port) {
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0) return -1;
    const sockaddr_in address = loopback_address(port);
    int result;
    do {
        result = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (result != 0 && errno == EINTR);
    if (result == 0) return socket;
    ::close(socket);
    return -1;
}

std::string certificate_file(const char* name) {
    return std::string(ORVU_TEST_CERT_DIR "/") + name;
}

const char* redirect_reason(int status) {
    switch (status) {
        case 301: return "Moved Permanently";
        case 302: return "Found";
        case 303: return "See Other";
        case 307: return "Temporary Redirect";
        case 308: return "Permanent Redirect";
        default: return "Redirect";
    }
}

Reply not_found() {
    return Reply::http(404, "Not Found", "", "");
}

// The server behind TestServer: a thread that accepts, and one thread per
// connection that reads requests and plays the script's replies.
class Server {
  public:
    Server(TestServer::Kind kind, std::chrono::seconds lifetime, int port);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    int port() const noexcept { return port_; }
    void set_script(Script script);
    std::vector<RecordedRequest> requests() const;
    std::size_t connection_count() const;

  private:
    struct Connection {
        std::thread thread;
        std::atomic<bool> done{false};
    };

    // Every open socket is tracked so that stop() can shut it down, which
    // returns each blocked read, write and handshake at once. A socket leaves
    // the set before it is closed, so that its number, reused, is never hit.
    bool track(int socket);  // false once stopping: the caller closes it untracked
    void untrack(int socket);
    class Untracker {
      public:
        Untracker(Server& server, int socket) : server_(server), socket_(socket) {}
        ~Untracker() { server_.untrack(socket_); }
        Untracker(const Untracker&) = delete;
        Untracker& operator=(const Untracker&) = delete;

      private:
        Server& server_;
        int socket_;
    };

    void accept_loop();
    void accept_one();
    void join_finished_connections();
    void serve(int socket);
    void serve_requests(Stream& stream);
    Reply reply_to(const RecordedRequest& request);
    bool answer(Stream& stream, const Reply& reply, std::string& unread);
    void tunnel(Stream& client, int port, std::string& unread);
    void relay(Stream& client, Stream& upstream);
    bool stopping() const;
    bool pause_unless_stopped(std::chrono::milliseconds pause);
    void wait_until_stopped();
    void stop();

    TlsContext tls_;  // https only
    BoundSocket listener_;
    const int port_;
    const std::chrono::steady_clock::time_point stop_at_;

    mutable std::mutex mutex_;
    std::condition_variable stopped_;
    bool stopping_ = false;
    std::shared_ptr<const Script> script_;
    std::vector<RecordedRequest> requests_;
    std::size_t connection_count_ = 0;
    std::set<int> open_sockets_;

    std::list<Connection> connections_;  // the accepting thread's alone
    std::thread acceptor_;               // last: it starts once all else is in place
};

Server::Server(TestServer::Kind kind, std::chrono::seconds lifetime, int port)
    : tls_(kind == TestServer::Kind::https
               ? make_server_tls_context(certificate_file("server.pem"),
                                         certificate_file("server-key.pem"))
               : nullptr),
      listener_(listen_on_loopback(port)),
      port_(listener_.port),
      stop_at_(std::chrono::steady_clock::now() + lifetime) {
    try {
        acceptor_ = std::thread([this] { accept_loop(); });
    } catch (...) {
        ::close(listener_.socket);
        throw;
    }
}

Server::~Server() {
    stop();
    acceptor_.join();
}

void Server::set_script(Script script) {
    auto shared = std::make_shared<const Script>(std::move(script));
    std::lock_guard lock(mutex_);
    script_ = std::move(shared);
}

std::vector<RecordedRequest> Server::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t Server::connection_count() const {
    std::lock_guard lock(mutex_);
    return connection_count_;
}

bool Server::track(int socket) {
    std::lock_guard lock(mutex_);
    if (stopping_) return false;
    open_sockets_.insert(socket);
    return true;
}

void Server::untrack(int socket) {
    std::lock_guard lock(mutex_);
    open_sockets_.erase(socket);
}

bool Server::stopping() const {
    std::lock_guard lock(mutex_);
    return stopping_;
}

// False when the server stopped during the pause.
bool Server::pause_unless_stopped(std::chrono::milliseconds pause) {
    std::unique_lock lock(mutex_);
    return !stopped_.wait_for(lock, pause, [this] { return stopping_; });
}

void Server::wait_until_stopped() {
    std::unique_lock lock(mutex_);
    stopped_.wait(lock, [this] { return stopping_; });
}

void Server::stop() {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
    ::shutdown(listener_.socket, SHUT_RDWR);
    for (int socket : open_sockets_)
        ::shutdown(socket, SHUT_RDWR);
    stopped_.notify_all();
}

void Server::accept_loop() {
    while (!stopping() && std::chrono::steady_clock::now() < stop_at_) {
        pollfd listening{listener_.socket, POLLIN, 0};
        const auto timeout = static_cast<int>(poll_interval.count());
        if (::poll(&listening, 1, timeout) > 0 && (listening.revents & POLLIN)) accept_one();
        join_finished_connections();
    }
    stop();  // the lifetime may be over while the TestServer still exists
    for (Connection& connection : connections_)
        connection.thread.join();
    connections_.clear();
    ::close(listener_.socket);  // no stop() touches it any more: stopping_ is set
}

void Server::accept_one() {
    const int socket = ::accept4(listener_.socket, nullptr, nullptr, SOCK_CLOEXEC);
    if (socket < 0) return;
    {
        std::lock_guard lock(mutex_);
        ++connection_count_;
    }
    if (!track(socket)) {
        ::close(socket);
        return;
    }
    Connection& connection = connections_.emplace_back();
    try {
        connection.thread = std::thread([this, socket, &connection] {
            serve(socket);
            connection.done = true;
        });
    } catch (const std::system_error&) {
        connections_.pop_back();
        untrack(socket);
        ::close(socket);
    }
}

void Server::join_finished_connections() {
    connections_.remove_if([](Connection& connection) {
        if (!connection.done) return false;
        connection.thread.join();
        return true;
    });
}

void Server::serve(int socket) {
    Stream stream(socket);
    const Untracker untracker(*this, socket);  // destroyed before the stream closes
    try {
        if (tls_ && !stream.accept_tls(*tls_)) return;  // a client that distrusts us
        serve_requests(stream);
        stream.finish();
    } catch (...) {
        // Out of memory, say: this connection ends, the test sees it closed.
    }
}

void Server::serve_requests(Stream& stream) {
    std::string unread;
    while (std::optional<RecordedRequest> request = read_request(stream, unread)) {
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(*request);
        }
        if (!answer(stream, reply_to(*request), unread)) return;
    }
}

Reply Server::reply_to(const RecordedRequest& request) {
    std::shared_ptr<const Script> script;
    {
        std::lock_guard lock(mutex_);
        script = script_;
    }
    if (!script) return not_found();
    // A throwing script shows up in the test as a 500 that says why.
    try {
        return (*script)(request);
    } catch (const std::exception& error) {
        return Reply::http(500, "Internal Server Error", "",
                           std::string("the test server's script threw: ") + error.what());
    } catch (...) {
        return Reply::http(500, "Internal Server Error", "", "the test server's script threw");
    }
}

// Plays one reply; true when the connection stays open for another request.
bool Server::answer(Stream& stream, const Reply& reply, std::string& unread) {
    if (!pause_unless_stopped(reply.delay_before)) return false;
    if (reply.tunnel_to_port) {
        tunnel(stream, *reply.tunnel_to_port, unread);
        return false;
    }
    if (reply.silent) {
        wait_until_stopped();
        return false;
    }
    if (reply.cut_after) {
        stream.write_all(std::string_view(reply.bytes).substr(0, *reply.cut_after));
        return false;
    }
    return stream.write_all(reply.bytes) && !reply.close_after;
}

void Server::tunnel(Stream& client, int port, std::string& unread) {
    const int socket = connect_to_loopback(port);
    if (socket < 0) {
        client.write_all(Reply::http(502, "Bad Gateway", "", "").bytes);
        return;
    }
    Stream upstream(socket);
    if (!track(socket)) return;
    const Untracker untracker(*this, socket);
    if (!client.write_all(connection_established)) return;
    // Bytes the client sent right behind its CONNECT belong to the tunnel.
    if (!unread.empty() && !upstream.write_all(unread)) return;
    unread.clear();
    relay(client, upstream);
}

// Passes bytes both ways until either side closes or the server stops.
void Server::relay(Stream& client, Stream& upstream) {
    std::string buffer(read_chunk_size, '\0');
    auto pass_on = [&buffer](Stream& from, Stream& to) {
        const std::size_t received = from.read_some(buffer.data(), buffer.size());
        return received > 0 && to.write_all(std::string_view(buffer.data(), received));
    };
    while (!stopping()) {
        // TLS may hold decrypted bytes that poll() cannot see.
        const bool client_has_bytes = client.wait_readable(0ms);
        pollfd sockets[2] = {{client.socket(), POLLIN, 0}, {upstream.socket(), POLLIN, 0}};
        const int timeout = client_has_bytes ? 0 : static_cast<int>(poll_interval.count());
        if (::poll(sockets, 2, timeout) < 0 && errno != EINTR) return;
        if ((client_has_bytes || sockets[0].revents != 0) && !pass_on(client, upstream)) return;
        if (sockets[1].revents != 0 && !pass_on(upstream, client)) return;
    }
}

}  // namespace

std::string RecordedRequest::method() const {
    return request_line_word(head, 0);
}

std::string RecordedRequest::target() const {
    return request_line_word(head, 1);
}

std::vector<std::string> RecordedRequest::header_lines() const {
    std::vector<std::string> lines;
    std::size_t start = head.find("\r\n");
    while (start != std::string::npos) {
        start += 2;
        const std::size_t end = head.find("\r\n", start);
        if (end == std::string::npos || end == start) break;
        lines.push_back(head.substr(start, end - start));
        start = end;
    }
    return lines;
}

Reply Reply::http(int status, const std::string& reason, const std::string& headers,
                  const std::string& body) {
    Reply reply;
    reply.bytes = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n" + headers +
                  "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    return reply;
}

Reply Reply::ok(const std::string& body, const std::string& headers) {
    return http(200, "OK", headers, body);
}

Reply Reply::redirect(int status, const std::string& location) {
    return http(status, redirect_reason(status), "Location: " + location + "\r\n", "");
}

struct TestServer::State {
    State(Kind kind, std::chrono::seconds lifetime, int port)
        : kind(kind), server(kind, lifetime, port) {}
    Kind kind;
    Server server;
};

TestServer::TestServer(Kind kind, std::chrono::seconds lifetime, int port)
    : state_(std::make_unique<State>(kind, lifetime, port)) {}

TestServer::~TestServer() = default;

int TestServer::port() const {
    return state_->server.port();
}

std::string TestServer::host() const {
    return "127.0.0.1:" + std::to_string(port());
}

std::string TestServer::origin() const {
    return (state_->kind == Kind::https ? "https://" : "http://") + host();
}

void TestServer::reply_with(Script script) {
    state_->server.set_script(std::move(script));
}

void TestServer::reply_always(const Reply& reply) {
    reply_with([reply](const RecordedRequest&) { return reply; });
}

std::vector<RecordedRequest> TestServer::requests() const {
    return state_->server.requests();
}

std::size_t TestServer::connection_count() const {
    return state_->server.connection_count();
}

std::string test_ca_file() {
    return certificate_file("ca.pem");
}

int unused_port() {
    // The port stays bound, never listening, until the program ends: connecting
    // to it is refused, and the kernel hands it to no other socket meanwhile (not
    // even as a client's own port, which would connect it to itself).
    static std::mutex mutex;
    static std::vector<int> held_sockets;
    const BoundSocket bound = bind_loopback_socket();
    std::lock_guard lock(mutex);
    held_sockets.push_back(bound.socket);
    return bound.port;
}

}  // namespace orvu::test
