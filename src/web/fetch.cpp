#include "web/fetch.hpp"

#include <mutex>

#include "text/extract.hpp"
#include "text/text_ops.hpp"
#include "web/address.hpp"
#include "web/cookies.hpp"
#include "web/curl_client.hpp"
#include "web/web_build_values.hpp"

namespace orvu {

namespace {

constexpr int max_redirects = 10;

struct Settings {
    std::mutex mutex;
    FetchTimeouts timeouts;
    std::string extra_ca_file = build_values::extra_ca_file;
};

Settings& settings() {
    static Settings all;
    return all;
}

const Text crlf = "\r\n"_t;

const char* verb_of(int method) {
    switch (method) {
        case method_post: return "POST";
        case method_head: return "HEAD";
        default: return "GET";
    }
}

bool is_secure(const Text& address) {
    return text_lower(text_left(address, 8)) == "https://"_t;
}

// The agent named in the caller's header lines, or the default one.
Text user_agent_of(const Text& extra_headers) {
    if (text_search(extra_headers, "User-Agent:"_t, 1, true) == -1) {
        return Text(std::string_view(default_user_agent));
    }
    Text agent = text_trim(text_between(extra_headers + crlf, "User-Agent:"_t, crlf));
    return agent.empty() ? header_line_value(extra_headers) : agent;
}

bool names(const Text& block, const Text& name_with_colon) {
    return text_search(block, name_with_colon) != -1;
}

// The caller's lines completed with the ones every request carries; the presence
// tests are case-sensitive, so "referer: x" does not count as a Referer line.
Text complete_header_block(Text block, const Text& address, const Text& cookies) {
    if (block.empty()) {
        block = "Accept: */*"_t;
    } else if (!names(block, "Accept:"_t)) {
        block += crlf + "Accept: */*"_t;
    }
    if (!names(block, "Referer:"_t)) block += crlf + "Referer: "_t + address;
    if (!names(block, "Accept-Language:"_t)) block += crlf + "Accept-Language: zh-cn"_t;
    if (!names(block, "Content-Type:"_t)) {
        block += crlf + "Content-Type: application/x-www-form-urlencoded"_t;
    }
    if (!cookies.empty()) {
        block += crlf + (names(cookies, "Cookie:"_t) ? cookies : "Cookie: "_t + cookies);
    }
    return block;
}

bool has_header_named(const Text& block, const char* name) {
    for (const Text& line : text_split(block, crlf)) {
        if (text_search(text_lower(line), Text(std::string_view(name))) == 1) return true;
    }
    return false;
}

// The block as lines for the wire. A line whose value is empty is written "Name;",
// which is how it reaches the wire as "Name:" instead of being dropped; and the
// client's own "Expect" is kept out unless the caller wrote one.
std::vector<std::string> wire_lines(const Text& block) {
    std::vector<std::string> lines;
    for (const Text& line : text_split(block, crlf)) {
        if (line.empty()) continue;
        int colon = text_search(line, ":"_t);
        if (colon != -1 && text_trim(text_right(line, line.length() - colon)).empty()) {
            lines.emplace_back(text_left(line, colon - 1).view());
            lines.back() += ';';
        } else {
            lines.emplace_back(line.view());
        }
    }
    if (!has_header_named(block, "expect:")) lines.emplace_back("Expect:");
    return lines;
}

// The proxy for a request of the given scheme, from a proxy list as the Windows
// internet API reads it: entries "scheme=server" or "server", separated by blanks
// or ";". An entry for the scheme wins over a general one; none means direct.
std::string proxy_for(const Text& list, std::string_view scheme) {
    std::string general;
    const Text entries = text_replace(list, ";"_t, " "_t);
    for (const Text& entry : text_split(entries, " "_t)) {
        if (entry.empty()) continue;
        int equals = text_search(entry, "="_t);
        Text server = equals == -1 ? entry : text_right(entry, entry.length() - equals);
        server = text_replace(server, "http://"_t, ""_t, 1, {}, false);
        if (equals == -1) {
            if (general.empty()) general = server.view();
        } else if (text_lower(text_left(entry, equals - 1)).view() == scheme) {
            return std::string(server.view());
        }
    }
    return general;
}

Text header_value(const Text& block, const Text& lower_name_with_colon) {
    for (const Text& line : text_split(block, crlf)) {
        if (text_search(text_lower(line), lower_name_with_colon) == 1)
            return header_line_value(line);
    }
    return {};
}

bool is_redirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The request of the next hop. POST becomes a bodiless GET after 301, 302 and 303,
// as browsers do; everything else is sent again as it was.
curl::Request next_hop(curl::Request request, const curl::Location& location, long status,
                       const Text& proxy_list) {
    if (request.method == "POST" && status <= 303) {
        request.method = "GET";
        request.body.reset();
    }
    request.origin = location.origin;
    request.proxy = proxy_for(proxy_list, location.scheme);
    request.target = request.proxy.empty() || location.scheme == "https"
                         ? location.target
                         : "http://" + location.host_for_proxy + location.target;
    return request;
}

// Follows redirects from the first response on, unless told not to. A secure
// address is never led to a plain one.
curl::Response exchange(curl::Request request, bool secure, bool no_redirect,
                        const Text& proxy_list) {
    curl::Response response = curl::perform(request);
    for (int hop = 0; !no_redirect && hop < max_redirects && is_redirect(response.status); ++hop) {
        Text location = header_value(Text(response.header_block), "location:"_t);
        auto next =
            curl::resolve_location(request.origin + request.target, std::string(location.view()));
        if (location.empty() || !next || (secure && next->scheme != "https")) break;
        request = next_hop(std::move(request), *next, response.status, proxy_list);
        curl::Response followed = curl::perform(request);
        if (!followed.sent) break;
        response = std::move(followed);
    }
    return response;
}

curl::Request first_request(const Text& address, bool secure, const Text& proxy_list) {
    curl::Request request;
    const std::string scheme = secure ? "https" : "http";
    const std::string host(url_host(address).view());
    const std::string port = std::to_string(url_port(address));
    request.origin = scheme + "://" + host + ":" + port;
    request.proxy = proxy_for(proxy_list, scheme);
    const std::string path(url_path(address).view());
    const bool default_port = port == (secure ? "443" : "80");
    request.target = request.proxy.empty() || secure
                         ? path
                         : "http://" + host + (default_port ? "" : ":" + port) + path;
    {
        std::lock_guard lock(settings().mutex);
        request.connect_timeout = settings().timeouts.connect;
        request.stall_timeout = settings().timeouts.stall;
        request.extra_ca_file = settings().extra_ca_file;
    }
    request.max_body = max_body_size;
    return request;
}

// The agent goes on one line: a line break in it would start a header of its own.
std::string single_line(const Text& agent) {
    std::string_view text = agent.view();
    return std::string(text.substr(0, text.find_first_of("\r\n")));
}

}  // namespace

Bytes fetch_page(const Text& address, const FetchOptions& options) {
    int method = options.method.value_or(method_get);
    if (method < method_get || method > method_head) method = method_get;
    const bool secure = is_secure(address);
    const Text extra_headers = options.extra_headers ? *options.extra_headers : Text();
    const Text proxy = options.proxy.value_or(Text());
    // The Windows internet API is handed "http=" and the proxy for a plain address.
    const Text proxy_list = proxy.empty() || secure ? proxy : "http="_t + proxy;

    curl::Request request = first_request(address, secure, proxy_list);
    request.method = verb_of(method);
    request.user_agent = single_line(user_agent_of(extra_headers));
    request.platform_cookies = options.cookies == nullptr;
    const Text cookies = options.cookies ? *options.cookies : Text();
    const Text block = complete_header_block(extra_headers, address, cookies);
    request.header_lines = wire_lines(block);

    Bytes post_bytes = options.post_bytes ? *options.post_bytes : Bytes();
    if (method != method_get) {
        if (post_bytes.empty()) post_bytes = text_to_bytes(options.post_text.value_or(Text()));
        request.body = std::string(post_bytes.view());
    }

    curl::Response response =
        exchange(std::move(request), secure, options.no_redirect.value_or(false), proxy_list);
    // No connection: as when a handle fails to open, the caller's values stay as they came.
    if (!response.sent) return {};

    if (options.extra_headers) *options.extra_headers = block;
    if (options.post_bytes && method != method_get) *options.post_bytes = post_bytes;
    const Text headers =
        text_replace(Text(response.header_block), "Set-Cookie"_t, "Set-Cookie"_t, 1, {}, false);
    if (options.returned_headers) *options.returned_headers = headers;
    Text returned_cookies = capture_cookies(headers);
    if (options.cookies) returned_cookies = merge_cookies(*options.cookies, returned_cookies);
    if (options.returned_cookies) *options.returned_cookies = returned_cookies;
    return Bytes(std::move(response.body));
}

void set_fetch_timeouts(const FetchTimeouts& timeouts) {
    std::lock_guard lock(settings().mutex);
    settings().timeouts = timeouts;
}

FetchTimeouts fetch_timeouts() {
    std::lock_guard lock(settings().mutex);
    return settings().timeouts;
}

void set_extra_ca_file(const std::string& path) {
    std::lock_guard lock(settings().mutex);
    settings().extra_ca_file = path;
}

std::string extra_ca_file() {
    std::lock_guard lock(settings().mutex);
    return settings().extra_ca_file;
}

}  // namespace orvu
