#pragma once

// Real HTTP and HTTPS servers on 127.0.0.1 for the tests: each listens on a free
// port, records every request exactly as it arrived, and answers with scripted
// raw bytes. A server stops when it is destroyed, and by itself after a
// lifetime limit, so nothing outlives a test run.

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvu::test {

// One request as it arrived on the wire.
struct RecordedRequest {
    std::string head;  // request line and header lines, up to and including the blank line
    std::string body;  // the bytes its Content-Length announced (chunked bodies are not read)

    std::string raw() const { return head + body; }
    std::string method() const;                     // first word of the request line
    std::string target() const;                     // second word of the request line
    std::vector<std::string> header_lines() const;  // in order, without CR LF
};

// One scripted answer on one connection.
struct Reply {
    std::string bytes;                          // written as they are: status line, headers, body
    std::chrono::milliseconds delay_before{0};  // silence before the first byte
    std::optional<std::size_t> cut_after{};     // close the connection after this many bytes
    bool silent = false;                        // read the request, never answer, keep it open
    std::optional<int> tunnel_to_port{};        // CONNECT: "200" then relay to 127.0.0.1:port
                                                // (nothing listening there: a 502)
    bool close_after = true;                    // close the connection once the bytes are out

    // "HTTP/1.1 <status> <reason>", the header lines given (each ending in CR LF),
    // "Content-Length", a blank line, the body.
    static Reply http(int status, const std::string& reason, const std::string& headers,
                      const std::string& body);
    static Reply ok(const std::string& body, const std::string& headers = "");
    static Reply redirect(int status, const std::string& location);
};

// Called on the connection's own thread, so scripts may run at the same time. A
// script that throws is answered with a 500 whose body names the exception.
using Script = std::function<Reply(const RecordedRequest&)>;

class TestServer {
  public:
    enum class Kind { http, https };

    explicit TestServer(Kind kind = Kind::http,
                        std::chrono::seconds lifetime = std::chrono::seconds(120), int port = 0);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    int port() const;
    std::string host() const;    // "127.0.0.1:<port>"
    std::string origin() const;  // "http://127.0.0.1:<port>" or "https://127.0.0.1:<port>"

    // The answer to each request; until set, every request gets a 404.
    void reply_with(Script script);
    void reply_always(const Reply& reply);

    std::vector<RecordedRequest> requests() const;
    std::size_t connection_count() const;  // accepted so far, failed handshakes too

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// PEM file of the test CA that signed the servers' certificate for 127.0.0.1.
std::string test_ca_file();

// A free TCP port on 127.0.0.1 with nothing listening on it (for refused connections).
int unused_port();

}  // namespace orvu::test
