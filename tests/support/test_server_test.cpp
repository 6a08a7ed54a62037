#include "support/test_server.hpp"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>
#include <vector>

#include "support/text_support.hpp"
#include "support/tls_stream.hpp"

namespace orvu::test {

using Kind = TestServer::Kind;

static const char* kind_name(Kind kind) {
    return kind == Kind::https ? "Https" : "Http";
}

// Parameters show by name in the test listing, not as raw bytes.
static void PrintTo(Kind kind, std::ostream* out) {
    *out << kind_name(kind);
}

namespace {

using namespace std::chrono_literals;

// How long a test waits for what must happen; only a fault makes it wait so long.
constexpr auto patience = 20s;
// How long a test watches for something that must not happen.
constexpr auto watch = 300ms;
constexpr std::string_view connection_established = "HTTP/1.1 200 Connection established\r\n\r\n";
const std::string not_found = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";

// A connected socket to 127.0.0.1:port, or -1 with errno telling why.
int connect_to(int port) {
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        return socket;
    }
    const int error = errno;
    ::close(socket);
    errno = error;
    return -1;
}

// The client side of one connection: a plain POSIX socket, upgraded to TLS on request.
class Client {
  public:
    explicit Client(int port) : socket_(connect_to(port)) {
        if (socket_ < 0) ADD_FAILURE() << "cannot connect to port " << port << ": errno " << errno;
        const int no_delay = 1;  // pieces of a request leave one by one
        ::setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, &no_delay, sizeof no_delay);
        // A TLS handshake or a write that gets no answer gives up instead of hanging.
        const timeval limit{std::chrono::seconds(patience).count(), 0};
        ::setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        ::setsockopt(socket_, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    }
    ~Client() {
        if (!tls_ && socket_ >= 0) ::close(socket_);
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // A handshake that verifies the server against ca_file (empty: trust nothing).
    // After a failed one the connection is closed.
    bool start_tls(const std::string& peer_name = "127.0.0.1",
                   const std::string& ca_file = test_ca_file(), std::string* failure = nullptr) {
        TlsContext context = make_client_tls_context(ca_file);
        Stream stream(socket_);
        if (!stream.connect_tls(*context, peer_name, failure)) {
            socket_ = -1;
            return false;
        }
        tls_ = std::move(stream);
        return true;
    }

    void send(std::string_view bytes) {
        if (tls_) {
            EXPECT_TRUE(tls_->write_all(bytes));
            return;
        }
        while (!bytes.empty()) {
            const ssize_t sent = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent <= 0) {
                ADD_FAILURE() << "send failed: errno " << errno;
                return;
            }
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        }
    }

    // The bytes in pieces of piece_size, each in its own segment: the server must
    // put a request together from whatever pieces arrive.
    void send_in_pieces(std::string_view bytes, std::size_t piece_size) {
        while (!bytes.empty()) {
            const std::size_t piece = std::min(piece_size, bytes.size());
            send(bytes.substr(0, piece));
            bytes.remove_prefix(piece);
            if (!bytes.empty()) std::this_thread::sleep_for(1ms);
        }
    }

    // Exactly size bytes, or fewer when the server closes first or patience runs out.
    std::string receive(std::size_t size) {
        std::string bytes;
        const auto give_up_at = std::chrono::steady_clock::now() + patience;
        while (bytes.size() < size && wait_readable_until(give_up_at)) {
            if (!read_more(bytes, size - bytes.size())) break;
        }
        return bytes;
    }

    struct Received {
        std::string bytes;
        bool closed = false;  // false: patience ran out with the connection still open
    };
    Received receive_until_close() {
        Received received;
        const auto give_up_at = std::chrono::steady_clock::now() + patience;
        while (wait_readable_until(give_up_at)) {
            if (!read_more(received.bytes, 64 * 1024)) {
                received.closed = true;
                break;
            }
        }
        return received;
    }

    // Closes as a plain end of stream: whatever arrived unread (TLS session
    // tickets, say) is dropped first, since closing over it would reset the connection.
    void hang_up() {
        char dropped[16 * 1024];
        while (::recv(socket_, dropped, sizeof dropped, MSG_DONTWAIT) > 0) {
        }
        if (tls_) {
            tls_.reset();  // the stream owns the socket
        } else if (socket_ >= 0) {
            ::close(socket_);
        }
        socket_ = -1;
    }

    // Neither a byte nor the end of the connection arrives for this long.
    bool stays_quiet_for(std::chrono::milliseconds span) { return !wait_readable(span); }

  private:
    bool wait_readable(std::chrono::milliseconds timeout) {
        if (tls_) return tls_->wait_readable(timeout);
        pollfd readable{socket_, POLLIN, 0};
        return ::poll(&readable, 1, static_cast<int>(timeout.count())) != 0;
    }
    bool wait_readable_until(std::chrono::steady_clock::time_point give_up_at) {
        const auto left = give_up_at - std::chrono::steady_clock::now();
        return left > 0ms &&
               wait_readable(std::chrono::duration_cast<std::chrono::milliseconds>(left) + 1ms);
    }
    // False at the end of the connection.
    bool read_more(std::string& bytes, std::size_t at_most) {
        const std::size_t old_size = bytes.size();
        bytes.resize(old_size + at_most);
        std::size_t received = 0;
        if (tls_) {
            received = tls_->read_some(bytes.data() + old_size, at_most);
        } else {
            const ssize_t got = ::recv(socket_, bytes.data() + old_size, at_most, 0);
            received = got > 0 ? static_cast<std::size_t>(got) : 0;
        }
        bytes.resize(old_size + received);
        return received > 0;
    }

    int socket_;
    std::optional<Stream> tls_;
};

// Equal bytes, or a failure that shows sizes and where they part, not megabytes.
::testing::AssertionResult same_bytes(const std::string& actual, const std::string& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    const auto [differs, _] =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    const std::size_t at = static_cast<std::size_t>(differs - actual.begin());
    return ::testing::AssertionFailure()
           << actual.size() << " bytes where " << expected.size() << " were expected; from byte "
           << at << " they are " << ::testing::PrintToString(Bytes(actual.substr(at, 48)))
           << " instead of " << ::testing::PrintToString(Bytes(expected.substr(at, 48)));
}

// Requests may be recorded a moment after the client has sent them.
bool wait_for_requests(const TestServer& server, std::size_t count) {
    const auto give_up_at = std::chrono::steady_clock::now() + patience;
    while (server.requests().size() < count) {
        if (std::chrono::steady_clock::now() > give_up_at) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

std::string get(const std::string& target) {
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}

Reply cut(Reply reply, std::size_t after) {
    reply.cut_after = after;
    return reply;
}

Reply keep_alive(Reply reply) {
    reply.close_after = false;
    return reply;
}

Reply silent() {
    Reply reply;
    reply.silent = true;
    return reply;
}

// Bytes that are all different from their neighbours, zero bytes included.
std::string patterned_bytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 % 251);
    return bytes;
}

// ---------------------------------------------------------------------------
// Recording

struct RecordingCase {
    std::string name;
    std::string head;
    std::string body;
    std::size_t piece_size;  // the client sends head and body in pieces this long
};

void PrintTo(const RecordingCase& given, std::ostream* out) {
    *out << given.name;
}

class TestServerRecording : public ::testing::TestWithParam<RecordingCase> {};

TEST_P(TestServerRecording, RecordsTheRequestByteForByteAndAnswers404WithoutScript) {
    const RecordingCase& given = GetParam();
    TestServer server;
    Client client(server.port());
    client.send_in_pieces(given.head + given.body, given.piece_size);

    const Client::Received reply = client.receive_until_close();
    EXPECT_TRUE(reply.closed);
    EXPECT_EQ(reply.bytes, not_found);
    const std::vector<RecordedRequest> requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(same_bytes(requests[0].head, given.head));
    EXPECT_TRUE(same_bytes(requests[0].body, given.body));
    EXPECT_EQ(server.connection_count(), 1u);
}

constexpr std::size_t all_at_once = std::size_t{1} << 30;

INSTANTIATE_TEST_SUITE_P(
    Requests, TestServerRecording,
    ::testing::Values(
        RecordingCase{"GetWithoutBody",
                      "GET /modules/article/search.php?q=%D7%CA HTTP/1.1\r\nHost: "
                      "127.0.0.1\r\nAccept: */*\r\n\r\n",
                      "", all_at_once},
        RecordingCase{"BodyHoldingABlankLineAndZeroByte",
                      "POST /s HTTP/1.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                      "Content-Length: 12\r\n\r\n",
                      std::string("a=1\r\n\r\n\0b=\xD7\xCA", 12), all_at_once},
        RecordingCase{"LowerCaseHeaderNameSentByteByByte",
                      "POST /x HTTP/1.1\r\ncontent-length: 3\r\n\r\n", "xyz", 1},
        RecordingCase{"UpperCaseHeaderNameWithBlanksAroundTheValue",
                      "PUT /y HTTP/1.1\r\nHost: a\r\nCONTENT-LENGTH: \t 5 \r\n\r\n", "12345", 7},
        RecordingCase{"ZeroContentLength", "POST /empty HTTP/1.1\r\nContent-Length: 0\r\n\r\n", "",
                      all_at_once},
        RecordingCase{
            "GbkBytesInTargetAndHeader",
            "GET /\xD7\xCA\xD4\xB4 HTTP/1.1\r\nReferer: http://127.0.0.1/\xCA\xE9\r\n\r\n", "", 5},
        RecordingCase{"BodyOfThreeMebibytes",
                      "POST /upload HTTP/1.1\r\nContent-Length: 3145728\r\n\r\n",
                      patterned_bytes(std::size_t{3} << 20), 1 << 20}),
    [](const auto& info) { return info.param.name; });

TEST(TestServerRecording, SplitsTheRequestLineAndTheHeaderLines) {
    TestServer server;
    Client client(server.port());
    client.send(
        "POST /a/b.php?c=1&d=%20 HTTP/1.0\r\nHost: 127.0.0.1:80\r\nX-Empty:\r\n"
        "Content-Length: 2\r\n\r\nhi");
    EXPECT_TRUE(client.receive_until_close().closed);

    const std::vector<RecordedRequest> requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method(), "POST");
    EXPECT_EQ(requests[0].target(), "/a/b.php?c=1&d=%20");
    EXPECT_EQ(requests[0].header_lines(),
              (std::vector<std::string>{"Host: 127.0.0.1:80", "X-Empty:", "Content-Length: 2"}));
    EXPECT_EQ(requests[0].raw(), requests[0].head + "hi");
}

TEST(TestServerRecording, KeepsTheConnectionForRequestsSentAheadOfTheirReplies) {
    TestServer server;
    server.reply_with([](const RecordedRequest& request) {
        Reply reply = Reply::ok("at " + request.target());
        reply.close_after = request.target() == "/last";
        return reply;
    });
    const std::string post = "POST /b HTTP/1.1\r\nContent-Length: 3\r\n\r\nxyz";
    Client client(server.port());
    client.send(get("/a") + post);  // one write: the second request arrives early
    const std::string first_two = Reply::ok("at /a").bytes + Reply::ok("at /b").bytes;
    EXPECT_EQ(client.receive(first_two.size()), first_two);
    client.send(get("/last"));

    const Client::Received rest = client.receive_until_close();
    EXPECT_TRUE(rest.closed);
    EXPECT_EQ(rest.bytes, Reply::ok("at /last").bytes);
    const std::vector<RecordedRequest> requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].raw(), get("/a"));
    EXPECT_EQ(requests[1].raw(), post);
    EXPECT_EQ(requests[2].raw(), get("/last"));
    EXPECT_EQ(server.connection_count(), 1u);
}

// ---------------------------------------------------------------------------
// Replies

struct ReplyCase {
    std::string name;
    Reply reply;
    std::string expected;  // what the client receives before the server closes
};

void PrintTo(const ReplyCase& given, std::ostream* out) {
    *out << given.name;
}

class TestServerReplies : public ::testing::TestWithParam<std::tuple<Kind, ReplyCase>> {};

TEST_P(TestServerReplies, DeliversExactlyTheScriptedBytesThenCloses) {
    const auto& [kind, given] = GetParam();
    TestServer server(kind);
    server.reply_always(given.reply);
    Client client(server.port());
    ASSERT_TRUE(kind != Kind::https || client.start_tls());
    client.send(get("/"));

    const Client::Received received = client.receive_until_close();
    EXPECT_TRUE(received.closed);
    EXPECT_TRUE(same_bytes(received.bytes, given.expected));
}

const std::string ok_head = "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(
    Replies, TestServerReplies,
    ::testing::Combine(
        ::testing::Values(Kind::http, Kind::https),
        ::testing::Values(
            ReplyCase{"Ok", Reply::ok("hello"),
                      "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"},
            ReplyCase{"OkWithHeaders",
                      Reply::ok("<p>", "Content-Type: text/html\r\nSet-Cookie: a=1\r\n"),
                      "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nSet-Cookie: a=1\r\n"
                      "Content-Length: 3\r\n\r\n<p>"},
            ReplyCase{"StatusAndReasonAsGiven",
                      Reply::http(503, "Service Unavailable", "Retry-After: 1\r\n", "busy"),
                      "HTTP/1.1 503 Service Unavailable\r\nRetry-After: 1\r\n"
                      "Content-Length: 4\r\n\r\nbusy"},
            ReplyCase{"RedirectFound", Reply::redirect(302, "/to?x=1"),
                      "HTTP/1.1 302 Found\r\nLocation: /to?x=1\r\nContent-Length: 0\r\n\r\n"},
            ReplyCase{"RedirectMovedPermanently", Reply::redirect(301, "https://127.0.0.1:1/"),
                      "HTTP/1.1 301 Moved Permanently\r\nLocation: https://127.0.0.1:1/\r\n"
                      "Content-Length: 0\r\n\r\n"},
            ReplyCase{"RedirectSeeOther", Reply::redirect(303, "/done"),
                      "HTTP/1.1 303 See Other\r\nLocation: /done\r\nContent-Length: 0\r\n\r\n"},
            ReplyCase{"RawBytesUntouched",
                      Reply{.bytes = std::string("HTTP/1.0 200 OK\n\n\0\xFF", 19)},
                      std::string("HTTP/1.0 200 OK\n\n\0\xFF", 19)},
            ReplyCase{"CutInsideTheBody", cut(Reply::ok("0123456789"), ok_head.size() + 4),
                      ok_head + "0123"},
            ReplyCase{"CutInsideTheStatusLine", cut(Reply::ok("0123456789"), 5), "HTTP/"},
            ReplyCase{"CutBeforeTheFirstByte", cut(Reply::ok("0123456789"), 0), ""},
            ReplyCase{"CutBeyondTheEnd", cut(Reply::ok("0123456789"), 1000),
                      ok_head + "0123456789"})),
    [](const auto& info) {
        return std::string(kind_name(std::get<0>(info.param))) + "_" + std::get<1>(info.param).name;
    });

class TestServerLargeReply : public ::testing::TestWithParam<Kind> {};

TEST_P(TestServerLargeReply, DeliversFiftyMebibytesIntact) {
    const std::string body = patterned_bytes(std::size_t{50} << 20);
    TestServer server(GetParam());
    server.reply_always(Reply::ok(body));
    Client client(server.port());
    ASSERT_TRUE(GetParam() != Kind::https || client.start_tls());
    client.send(get("/book.txt"));

    const Client::Received received = client.receive_until_close();
    EXPECT_TRUE(received.closed);
    EXPECT_TRUE(
        same_bytes(received.bytes, "HTTP/1.1 200 OK\r\nContent-Length: 52428800\r\n\r\n" + body));
}

INSTANTIATE_TEST_SUITE_P(Kinds, TestServerLargeReply, ::testing::Values(Kind::http, Kind::https),
                         [](const auto& info) { return kind_name(info.param); });

// The server is still writing when the client goes: that costs the connection,
// not the test program (no SIGPIPE), and the next client is served as usual.
TEST_P(TestServerLargeReply, OutlivesClientsThatHangUpOnIt) {
    TestServer server(GetParam());
    server.reply_with([](const RecordedRequest& request) {
        if (request.target() == "/small") return Reply::ok("small");
        if (request.target() == "/big") return Reply::ok(std::string(std::size_t{50} << 20, 'x'));
        // The delay lets the client's end of stream arrive first: the write that
        // fails then is the kind that raises SIGPIPE.
        Reply several_slices = Reply::ok(std::string(std::size_t{4} << 20, 'x'));
        several_slices.delay_before = 50ms;
        return several_slices;
    });
    {
        Client reads_a_little(server.port());
        ASSERT_TRUE(GetParam() != Kind::https || reads_a_little.start_tls());
        reads_a_little.send(get("/big"));
        EXPECT_EQ(reads_a_little.receive(1000).size(), 1000u);
    }
    {
        Client reads_nothing(server.port());
        ASSERT_TRUE(GetParam() != Kind::https || reads_nothing.start_tls());
        reads_nothing.send(get("/gone"));
        ASSERT_TRUE(wait_for_requests(server, 2));
        reads_nothing.hang_up();
    }
    std::this_thread::sleep_for(watch);  // time for the writes to a closed connection
    Client next(server.port());
    ASSERT_TRUE(GetParam() != Kind::https || next.start_tls());
    next.send(get("/small"));

    EXPECT_EQ(next.receive_until_close().bytes, Reply::ok("small").bytes);
}

TEST(TestServerReplies, StaysSilentForDelayBeforeTheFirstByte) {
    constexpr auto delay = 400ms;
    TestServer server;
    Reply delayed = Reply::ok("late");
    delayed.delay_before = delay;
    server.reply_always(delayed);
    Client client(server.port());

    const auto sent_at = std::chrono::steady_clock::now();
    client.send(get("/"));
    const std::string first_byte = client.receive(1);
    const auto elapsed = std::chrono::steady_clock::now() - sent_at;

    // A lower bound only: a slow machine makes it longer, never shorter.
    EXPECT_GE(elapsed, delay);
    EXPECT_EQ(first_byte + client.receive_until_close().bytes, delayed.bytes);
}

TEST(TestServerReplies, ScriptThatThrowsIsAnswered500WithItsReason) {
    TestServer server;
    server.reply_with([](const RecordedRequest&) -> Reply { throw std::runtime_error("no page"); });
    Client client(server.port());
    client.send(get("/"));

    const std::string reply = client.receive_until_close().bytes;
    EXPECT_TRUE(reply.starts_with("HTTP/1.1 500 Internal Server Error\r\n")) << reply;
    EXPECT_NE(reply.find("no page"), std::string::npos) << reply;
}

TEST(TestServerReplies, SilentReplyKeepsTheConnectionOpenWithoutAByte) {
    TestServer server;
    server.reply_always(silent());
    Client client(server.port());
    client.send(get("/"));
    ASSERT_TRUE(wait_for_requests(server, 1));

    EXPECT_TRUE(client.stays_quiet_for(watch));
    EXPECT_EQ(server.requests()[0].raw(), get("/"));
}

// ---------------------------------------------------------------------------
// Concurrency and stopping

TEST(TestServerConcurrency, ServesOtherConnectionsWhileOneIsSilent) {
    TestServer server;
    server.reply_with([](const RecordedRequest& request) {
        return request.target() == "/hang" ? silent() : keep_alive(Reply::ok(request.target()));
    });
    Client hanging(server.port());
    hanging.send(get("/hang"));
    ASSERT_TRUE(wait_for_requests(server, 1));

    constexpr int clients = 6;
    constexpr int requests_each = 5;
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&server, c] {
            Client client(server.port());
            for (int r = 0; r < requests_each; ++r) {
                const std::string target = "/" + std::to_string(c) + "/" + std::to_string(r);
                client.send(get(target));
                const std::string expected = Reply::ok(target).bytes;
                EXPECT_EQ(client.receive(expected.size()), expected);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(server.requests().size(), 1u + clients * requests_each);
    EXPECT_EQ(server.connection_count(), 1u + clients);
    EXPECT_TRUE(hanging.stays_quiet_for(0ms));
}

struct PendingCase {
    std::string name;
    Kind kind;
    bool handshake;  // https: the client completes a TLS handshake before sending
    Reply reply;
    bool tunnel;  // the reply tunnels to a second server
    std::string sent;
    std::size_t recorded;   // requests recorded before the server goes
    std::string delivered;  // bytes the client has before the server goes
};

void PrintTo(const PendingCase& given, std::ostream* out) {
    *out << given.name;
}

class TestServerStopping : public ::testing::TestWithParam<PendingCase> {};

// The destructor must neither wait for these connections nor leave them open.
TEST_P(TestServerStopping, DestroyingTheServerEndsAPendingConnection) {
    const PendingCase& given = GetParam();
    TestServer upstream;
    auto server = std::make_unique<TestServer>(given.kind);
    Reply reply = given.reply;
    if (given.tunnel) reply.tunnel_to_port = upstream.port();
    server->reply_always(reply);
    Client client(server->port());
    ASSERT_TRUE(!given.handshake || client.start_tls());
    client.send(given.sent);
    ASSERT_TRUE(wait_for_requests(*server, given.recorded));
    EXPECT_EQ(client.receive(given.delivered.size()), given.delivered);

    server.reset();

    const Client::Received after = client.receive_until_close();
    EXPECT_TRUE(after.closed);
    EXPECT_EQ(after.bytes, "");
    EXPECT_TRUE(upstream.requests().empty());
}

Reply delayed_a_minute() {
    Reply reply = Reply::ok("too late");
    reply.delay_before = 60s;
    return reply;
}

INSTANTIATE_TEST_SUITE_P(
    Pending, TestServerStopping,
    ::testing::Values(
        PendingCase{"SilentReply", Kind::http, false, silent(), false, get("/"), 1, ""},
        PendingCase{"SilentReplyOverTls", Kind::https, true, silent(), false, get("/"), 1, ""},
        PendingCase{"LongDelayBefore", Kind::http, false, delayed_a_minute(), false, get("/"), 1,
                    ""},
        PendingCase{"HalfSentHead", Kind::http, false, Reply::ok("x"), false,
                    "GET / HTTP/1.1\r\nHost:", 0, ""},
        PendingCase{"HalfSentBody", Kind::http, false, Reply::ok("x"), false,
                    "POST / HTTP/1.1\r\nContent-Length: 10\r\n\r\nabc", 0, ""},
        PendingCase{"IdleKeepAlive", Kind::http, false, keep_alive(Reply::ok("kept")), false,
                    get("/"), 1, Reply::ok("kept").bytes},
        PendingCase{"TlsHandshakeNeverBegun", Kind::https, false, Reply::ok("x"), false, "", 0, ""},
        PendingCase{"IdleTunnel", Kind::http, false, Reply{}, true,
                    "CONNECT 127.0.0.1:1 HTTP/1.1\r\n\r\n", 1,
                    std::string(connection_established)}),
    [](const auto& info) { return info.param.name; });

TEST(TestServerStopping, StopsByItselfAfterItsLifetime) {
    TestServer server(Kind::http, 2s);
    server.reply_always(silent());
    Client client(server.port());
    client.send(get("/"));
    ASSERT_TRUE(wait_for_requests(server, 1));

    const Client::Received after = client.receive_until_close();
    EXPECT_TRUE(after.closed);
    EXPECT_EQ(after.bytes, "");
    const int socket = connect_to(server.port());
    const int error = errno;
    EXPECT_EQ(socket, -1);
    EXPECT_EQ(error, ECONNREFUSED);
}

// ---------------------------------------------------------------------------
// Tunnels

class TestServerTunnel : public ::testing::TestWithParam<Kind> {};

TEST_P(TestServerTunnel, RelaysAConnectToTheSecondServerUnrecorded) {
    const Kind upstream_kind = GetParam();
    TestServer upstream(upstream_kind), proxy;
    upstream.reply_always(Reply::ok("behind the proxy"));
    proxy.reply_with([&upstream](const RecordedRequest& request) {
        if (request.method() != "CONNECT") return Reply::ok("not a tunnel");
        Reply tunnel;
        tunnel.tunnel_to_port = upstream.port();
        return tunnel;
    });
    const std::string connect =
        "CONNECT " + upstream.host() + " HTTP/1.1\r\nHost: " + upstream.host() + "\r\n\r\n";
    const std::string inner = "POST /inner HTTP/1.1\r\nContent-Length: 4\r\n\r\nping";

    Client client(proxy.port());
    client.send(connect);
    ASSERT_EQ(client.receive(connection_established.size()), connection_established);
    ASSERT_TRUE(upstream_kind != Kind::https || client.start_tls());
    client.send(inner);

    const Client::Received received = client.receive_until_close();
    EXPECT_TRUE(received.closed);
    EXPECT_EQ(received.bytes, Reply::ok("behind the proxy").bytes);
    const std::vector<RecordedRequest> at_proxy = proxy.requests();
    ASSERT_EQ(at_proxy.size(), 1u);
    EXPECT_EQ(at_proxy[0].raw(), connect);
    const std::vector<RecordedRequest> at_upstream = upstream.requests();
    ASSERT_EQ(at_upstream.size(), 1u);
    EXPECT_EQ(at_upstream[0].raw(), inner);
}

INSTANTIATE_TEST_SUITE_P(UpstreamKinds, TestServerTunnel,
                         ::testing::Values(Kind::http, Kind::https),
                         [](const auto& info) { return kind_name(info.param); });

TEST(TestServerTunnel, PassesOnBytesSentRightBehindTheConnect) {
    TestServer upstream, proxy;
    upstream.reply_always(Reply::ok("early"));
    Reply tunnel;
    tunnel.tunnel_to_port = upstream.port();
    proxy.reply_always(tunnel);

    Client client(proxy.port());
    client.send("CONNECT " + upstream.host() + " HTTP/1.1\r\n\r\n" + get("/early"));

    const Client::Received received = client.receive_until_close();
    EXPECT_EQ(received.bytes, std::string(connection_established) + Reply::ok("early").bytes);
    ASSERT_EQ(upstream.requests().size(), 1u);
    EXPECT_EQ(upstream.requests()[0].raw(), get("/early"));
}

TEST(TestServerTunnel, AnswersBadGatewayWhenNothingListensBehindIt) {
    TestServer proxy;
    Reply tunnel;
    tunnel.tunnel_to_port = unused_port();
    proxy.reply_always(tunnel);
    Client client(proxy.port());
    client.send("CONNECT 127.0.0.1:1 HTTP/1.1\r\n\r\n");

    const Client::Received received = client.receive_until_close();
    EXPECT_TRUE(received.closed);
    EXPECT_EQ(received.bytes, "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n");
}

// ---------------------------------------------------------------------------
// Unused ports

TEST(TestServerUnusedPort, RefusesConnectionsAndIsNeverHandedOutAgain) {
    std::set<int> ports;
    for (int i = 0; i < 5; ++i)
        ports.insert(unused_port());
    TestServer server;

    EXPECT_EQ(ports.size(), 5u);
    EXPECT_FALSE(ports.contains(server.port()));
    for (int port : ports) {
        const int socket = connect_to(port);
        const int error = errno;
        EXPECT_EQ(socket, -1) << port;
        EXPECT_EQ(error, ECONNREFUSED) << port;
    }
}

// ---------------------------------------------------------------------------
// TLS

struct HandshakeCase {
    std::string name;
    bool trust_test_ca;
    std::string peer_name;
    bool accepted;
};

void PrintTo(const HandshakeCase& given, std::ostream* out) {
    *out << given.name;
}

class TestServerTls : public ::testing::TestWithParam<HandshakeCase> {};

TEST_P(TestServerTls, CertificateIsVerifiedAgainstTheTestCa) {
    const HandshakeCase& given = GetParam();
    TestServer server(Kind::https);
    server.reply_always(Reply::ok("secret"));
    std::string failure;
    {
        Client client(server.port());
        const std::string ca_file = given.trust_test_ca ? test_ca_file() : "";
        ASSERT_EQ(client.start_tls(given.peer_name, ca_file, &failure), given.accepted) << failure;
        if (given.accepted) {
            client.send(get("/"));
            EXPECT_EQ(client.receive_until_close().bytes, Reply::ok("secret").bytes);
        }
    }
    EXPECT_EQ(server.requests().size(), given.accepted ? 1u : 0u);

    // A refused handshake costs the server that one connection only.
    Client next(server.port());
    ASSERT_TRUE(next.start_tls());
    next.send(get("/"));
    EXPECT_EQ(next.receive_until_close().bytes, Reply::ok("secret").bytes);
    EXPECT_EQ(server.connection_count(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Handshakes, TestServerTls,
    ::testing::Values(HandshakeCase{"TrustedForIpAddress", true, "127.0.0.1", true},
                      HandshakeCase{"TrustedForLocalhost", true, "localhost", true},
                      HandshakeCase{"RefusedForAnotherIpAddress", true, "127.0.0.2", false},
                      HandshakeCase{"RefusedForAnotherName", true, "orvu.example", false},
                      HandshakeCase{"RefusedWithoutTheTestCa", false, "127.0.0.1", false}),
    [](const auto& info) { return info.param.name; });

TEST(TestServerTls, PlainRequestToTheHttpsServerIsClosedUnrecorded) {
    TestServer server(Kind::https);
    server.reply_always(Reply::ok("secret"));
    Client client(server.port());
    client.send(get("/"));

    const Client::Received received = client.receive_until_close();
    EXPECT_TRUE(received.closed);
    EXPECT_EQ(received.bytes.find("secret"), std::string::npos);
    EXPECT_TRUE(server.requests().empty());
}

// The openssl command line tool, which shares no code of ours, accepts the server
// and its certificate too.
TEST(TestServerTls, OpensslCommandLineClientVerifiesTheServer) {
    TestServer server(Kind::https);
    server.reply_always(Reply::ok("from the https server"));
    const std::string command =
        "printf 'GET / HTTP/1.1\\r\\n\\r\\n' | timeout 20 openssl s_client"
        " -connect " +
        server.host() + " -CAfile " + test_ca_file() +
        " -verify_ip 127.0.0.1 -verify_return_error -quiet 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) {
        output.append(buffer, got);
    }

    EXPECT_EQ(output, Reply::ok("from the https server").bytes);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].raw(), "GET / HTTP/1.1\r\n\r\n");
}

}  // namespace
}  // namespace orvu::test
