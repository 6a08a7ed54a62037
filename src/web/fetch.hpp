#pragma once

// One complete HTTP or HTTPS request; the response body comes back undecoded.
// Failure and an empty page look the same: empty Bytes.

#include <chrono>
#include <optional>
#include <string>

#include "text/text.hpp"

namespace orvu {

inline constexpr int method_get = 0;
inline constexpr int method_post = 1;
inline constexpr int method_head = 2;

// The optional parameters of fetch_page, in their order. An in parameter left out
// takes its default; an in-out or out parameter is given by pointing at the
// caller's value, which the fetch then changes in place.
struct FetchOptions {
    std::optional<int> method{};      // 0 GET, 1 POST, 2 HEAD; anything else is GET
    std::optional<Text> post_text{};  // the body when post_bytes is empty
    // In-out. Given, even empty: no platform cookies; the response's cookies are
    // merged with these, and this holds the merged text afterwards.
    Text* cookies = nullptr;
    Text* returned_cookies = nullptr;  // out: the cookies the response set
    // In-out: header lines separated by CR LF; on return, the block that was sent.
    Text* extra_headers = nullptr;
    Text* returned_headers = nullptr;  // out: the raw header block of the final response
    std::optional<bool> no_redirect{};
    Bytes* post_bytes = nullptr;  // in-out: takes the bytes of post_text when empty
    std::optional<Text> proxy{};  // proxy server text; empty: a direct connection
};

Bytes fetch_page(const Text& address, const FetchOptions& options = {});

inline constexpr char default_user_agent[] = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
inline constexpr std::size_t max_body_size = std::size_t{64} << 20;

// How long a fetch waits. The defaults are those of the Windows internet API that
// the program was made for; tests shorten them.
struct FetchTimeouts {
    std::chrono::milliseconds connect{60'000};  // to open the connection (TLS included)
    std::chrono::seconds stall{30};             // receiving nothing for this long fails
};
void set_fetch_timeouts(const FetchTimeouts& timeouts);
FetchTimeouts fetch_timeouts();

// A PEM file trusted in addition to the system store: the build's EXTRA_CA_FILE
// unless a test names another.
void set_extra_ca_file(const std::string& path);
std::string extra_ca_file();

}  // namespace orvu
