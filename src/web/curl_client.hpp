#pragma once

// The one place that talks to libcurl: one HTTP/1.1 exchange on a connection of
// its own, with the request exactly as given. Redirects, cookies texts and the
// header block are the caller's business; this layer adds nothing of its own to
// the request beyond "Host", "User-Agent" and, with a body, "Content-Length".

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace orvu::curl {

struct Request {
    std::string origin;  // where to connect: "http://host:port" or "https://host:port"
    std::string target;  // the request line's target, sent as it is
    std::string method;  // "GET", "POST" or "HEAD"
    std::vector<std::string> header_lines;  // sent in this order, after Host and User-Agent
    std::optional<std::string> body;        // sent with a Content-Length
    std::string user_agent;
    std::string proxy;             // empty: direct; else an HTTP proxy "host:port"
    bool platform_cookies = true;  // take part in the process's one in-memory cookie store
    std::string extra_ca_file;     // PEM trusted besides the system store; empty for none
    std::chrono::milliseconds connect_timeout{60'000};
    std::chrono::seconds stall_timeout{30};
    std::size_t max_body = 0;  // a longer body ends the exchange as a failure
};

struct Response {
    bool sent = false;         // a connection was made and the request went out
    bool too_large = false;    // the body grew past max_body and was dropped
    long status = 0;           // 0 when no response arrived
    std::string header_block;  // the raw header block of the response, blank line included
    std::string body;          // what arrived of the body, undecoded
};

Response perform(const Request& request);

// The pieces of an absolute http or https address, for the next request of a
// redirect; nothing for anything else.
struct Location {
    std::string scheme;          // "http" or "https"
    std::string origin;          // scheme://host:port
    std::string host_for_proxy;  // host, with ":port" unless it is the scheme's default
    std::string target;          // path and query
};
std::optional<Location> resolve_location(const std::string& base, const std::string& reference);

}  // namespace orvu::curl
