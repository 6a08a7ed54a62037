#include <gtest/gtest.h>

#include "support/test_server.hpp"
#include "support/text_support.hpp"
#include "web/fetch.hpp"
#include "web/zlib_codec.hpp"

namespace orvu {
namespace {

using test::Reply;
using test::TestServer;

const std::string agent = default_user_agent;

Text text(const std::string& bytes) {
    return Text(bytes);
}

// Quick time-outs, and trust in the test CA.
class FetchTest : public testing::Test {
  protected:
    void SetUp() override {
        saved_ = fetch_timeouts();
        set_fetch_timeouts({std::chrono::milliseconds(3000), std::chrono::seconds(1)});
        set_extra_ca_file(test::test_ca_file());
    }
    void TearDown() override {
        set_fetch_timeouts(saved_);
        set_extra_ca_file("");
    }

  private:
    FetchTimeouts saved_;
};

// The head a request should arrive with: request line, the two lines the client
// adds itself, then the header block's lines.
std::string head(const std::string& request_line, const std::string& host,
                 const std::vector<std::string>& lines, const std::string& user_agent = agent) {
    std::string expected = request_line + "\r\nHost: " + host + "\r\n";
    if (!user_agent.empty()) expected += "User-Agent: " + user_agent + "\r\n";
    for (const std::string& line : lines)
        expected += line + "\r\n";
    return expected + "\r\n";
}

std::vector<std::string> default_lines(const std::string& address) {
    return {"Accept: */*", "Referer: " + address, "Accept-Language: zh-cn",
            "Content-Type: application/x-www-form-urlencoded"};
}

TEST_F(FetchTest, DefaultRoadSendsExactlyTheFourLinesAndReturnsTheBody) {
    TestServer server;
    server.reply_always(Reply::ok("the page"));
    for (const std::string& address : {server.origin() + "/so/search.html?searchkey=%E5%B8%9D",
                                       server.host() + "/search.htm?keyword=%61"}) {
        EXPECT_EQ(fetch_page(text(address)).view(), "the page") << address;
    }
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].raw(),
              head("GET /so/search.html?searchkey=%E5%B8%9D HTTP/1.1", server.host(),
                   default_lines(server.origin() + "/so/search.html?searchkey=%E5%B8%9D")));
    // Without a scheme the address is plain HTTP, and Referer is the address unchanged.
    EXPECT_EQ(requests[1].raw(), head("GET /search.htm?keyword=%61 HTTP/1.1", server.host(),
                                      default_lines(server.host() + "/search.htm?keyword=%61")));
}

TEST_F(FetchTest, OptionsShapeTheRequestOnTheWire) {
    TestServer server;
    server.reply_always(Reply::ok("ok"));
    const std::string address = server.origin() + "/p";
    const auto defaults = default_lines(address);
    const std::string referer = "Referer: " + address;
    const std::string accept_language = "Accept-Language: zh-cn";
    const std::string content_type = "Content-Type: application/x-www-form-urlencoded";

    struct Case {
        const char* what;
        FetchOptions options;
        Text headers_in;  // the caller's extra_headers, when given
        std::string expected_head;
        std::string expected_body;
    };
    Text cookies_plain = "a=1"_t, cookies_line = "Cookie: a=1"_t, cookies_empty;
    Bytes post_bytes(std::string("xyz\0bin", 7));
    const Case cases[] = {
        {"method 7 is GET",
         {.method = 7},
         {},
         head("GET /p HTTP/1.1", server.host(), defaults),
         ""},
        {"HEAD carries the post text",
         {.method = method_head, .post_text = "a=1"_t},
         {},
         head("HEAD /p HTTP/1.1", server.host(),
              {defaults[0], defaults[1], defaults[2], defaults[3], "Content-Length: 3"}),
         "a=1"},
        {"post bytes win over the post text",
         {.method = method_post, .post_text = "ignored"_t, .post_bytes = &post_bytes},
         {},
         head("POST /p HTTP/1.1", server.host(),
              {defaults[0], defaults[1], defaults[2], defaults[3], "Content-Length: 7"}),
         std::string("xyz\0bin", 7)},
        {"GET sends no body",
         {.post_text = "a=1"_t},
         {},
         head("GET /p HTTP/1.1", server.host(), defaults),
         ""},
        {"the agent from the caller's lines",
         {},
         "User-Agent: Tester/1.0"_t,
         head("GET /p HTTP/1.1", server.host(),
              {"User-Agent: Tester/1.0", defaults[0], referer, accept_language, content_type}, ""),
         ""},
        {"the agent in other letter case",
         {},
         "user-agent: Tester/1.0"_t,
         head("GET /p HTTP/1.1", server.host(),
              {"user-agent: Tester/1.0", defaults[0], referer, accept_language, content_type}, ""),
         ""},
        {"no second Referer or Accept",
         {},
         "Referer: x\r\nAccept: text/html"_t,
         head("GET /p HTTP/1.1", server.host(),
              {"Referer: x", "Accept: text/html", accept_language, content_type}),
         ""},
        {"a lower-case referer does not count",
         {},
         "referer: x"_t,
         head("GET /p HTTP/1.1", server.host(),
              {"referer: x", "Accept: */*", referer, accept_language, content_type}),
         ""},
        {"an empty header value still goes out",
         {},
         "X-Empty:"_t,
         head("GET /p HTTP/1.1", server.host(),
              {"X-Empty:", "Accept: */*", referer, accept_language, content_type}),
         ""},
        {"cookies given as items",
         {.cookies = &cookies_plain},
         {},
         head("GET /p HTTP/1.1", server.host(),
              {defaults[0], defaults[1], defaults[2], defaults[3], "Cookie: a=1"}),
         ""},
        {"cookies given as a Cookie line",
         {.cookies = &cookies_line},
         {},
         head("GET /p HTTP/1.1", server.host(),
              {defaults[0], defaults[1], defaults[2], defaults[3], "Cookie: a=1"}),
         ""},
        {"cookies given empty",
         {.cookies = &cookies_empty},
         {},
         head("GET /p HTTP/1.1", server.host(), defaults),
         ""},
    };
    std::size_t expected_requests = 0;
    for (const Case& c : cases) {
        Text headers = c.headers_in;
        FetchOptions options = c.options;
        if (!c.headers_in.empty()) options.extra_headers = &headers;
        // A HEAD response has no body, whatever the server sends after the headers.
        const std::string page = c.expected_head.starts_with("HEAD") ? "" : "ok";
        EXPECT_EQ(fetch_page(text(address), options).view(), page) << c.what;
        const auto requests = server.requests();
        ASSERT_EQ(requests.size(), ++expected_requests) << c.what;
        EXPECT_EQ(requests.back().head, c.expected_head) << c.what;
        EXPECT_EQ(requests.back().body, c.expected_body) << c.what;
    }
}

TEST_F(FetchTest, InOutParametersChangeInPlace) {
    TestServer server;
    server.reply_always(Reply::ok("ok",
                                  "Set-Cookie: sid=abc; path=/; Secure\r\n"
                                  "set-cookie: theme=dark\r\n"));
    const std::string address = server.origin() + "/in-out";

    Text headers = "User-Agent: Tester/1.0"_t;
    Text returned_headers = "old"_t, returned_cookies = "old"_t;
    Text cookies = "a=1; theme=light"_t;
    Bytes post_bytes;
    fetch_page(text(address), {.method = method_post,
                               .post_text = "q=1"_t,
                               .cookies = &cookies,
                               .returned_cookies = &returned_cookies,
                               .extra_headers = &headers,
                               .returned_headers = &returned_headers,
                               .post_bytes = &post_bytes});

    EXPECT_EQ(headers, text("User-Agent: Tester/1.0\r\nAccept: */*\r\nReferer: " + address +
                            "\r\nAccept-Language: zh-cn\r\nContent-Type: "
                            "application/x-www-form-urlencoded\r\nCookie: a=1; theme=light"));
    EXPECT_EQ(post_bytes.view(), "q=1");
    EXPECT_EQ(returned_headers,
              "HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; path=/; Secure\r\nSet-Cookie: "
              "theme=dark\r\nContent-Length: 2\r\n\r\n"_t);
    EXPECT_EQ(returned_cookies, "sid=abc; theme=dark; a=1"_t);
    EXPECT_EQ(cookies, "sid=abc; theme=dark; a=1"_t);
}

TEST_F(FetchTest, ReturnsTheWholeHeaderBlockAndAnEmptyBody) {
    TestServer server;
    std::string many_headers;
    for (int i = 0; i < 100; ++i)
        many_headers += "X-Filler-" + std::to_string(i) + ": " + std::string(80, 'v') + "\r\n";
    server.reply_always(Reply::ok("", many_headers + "Set-Cookie: late=1; Path=/late\r\n"));
    Text returned_headers, returned_cookies;
    const Bytes body =
        fetch_page(text(server.origin() + "/late/"),
                   {.returned_cookies = &returned_cookies, .returned_headers = &returned_headers});
    EXPECT_TRUE(body.empty());
    EXPECT_GT(returned_headers.size(), 9000u);
    EXPECT_EQ(returned_cookies, "late=1"_t);
}

TEST_F(FetchTest, FailuresLeaveTheCallersValuesAsTheyWere) {
    TestServer untrusted(TestServer::Kind::https);
    struct Case {
        const char* what;
        std::string address;
        bool trust_test_ca;
    };
    const Case cases[] = {
        {"refused connection", "http://127.0.0.1:" + std::to_string(test::unused_port()) + "/",
         true},
        {"no host", "http:///nothing", true},
        {"certificate not trusted", untrusted.origin() + "/", false},
    };
    for (const Case& c : cases) {
        if (!c.trust_test_ca) set_extra_ca_file("");
        Text headers = "X-Mine: 1"_t, returned_headers = "h"_t, returned_cookies = "r"_t;
        Text cookies = "c = 1"_t;
        Bytes post_bytes;
        const Bytes body = fetch_page(text(c.address), {.method = method_post,
                                                        .post_text = "p"_t,
                                                        .cookies = &cookies,
                                                        .returned_cookies = &returned_cookies,
                                                        .extra_headers = &headers,
                                                        .returned_headers = &returned_headers,
                                                        .post_bytes = &post_bytes});
        EXPECT_TRUE(body.empty()) << c.what;
        EXPECT_EQ(headers, "X-Mine: 1"_t) << c.what;
        EXPECT_EQ(returned_headers, "h"_t) << c.what;
        EXPECT_EQ(returned_cookies, "r"_t) << c.what;
        EXPECT_EQ(cookies, "c = 1"_t) << c.what;
        EXPECT_TRUE(post_bytes.empty()) << c.what;
        set_extra_ca_file(test::test_ca_file());
    }
    EXPECT_TRUE(untrusted.requests().empty());
}

TEST_F(FetchTest, ASilentServerEndsTheFetchAtTheStallTimeOut) {
    TestServer server;
    Reply silent;
    silent.silent = true;
    server.reply_always(silent);
    Text headers;
    const Bytes body = fetch_page(text(server.origin() + "/quiet"), {.extra_headers = &headers});
    EXPECT_TRUE(body.empty());
    // The request went out, so the block that was sent is there.
    EXPECT_EQ(headers, text("Accept: */*\r\nReferer: " + server.origin() +
                            "/quiet\r\nAccept-Language: zh-cn\r\nContent-Type: "
                            "application/x-www-form-urlencoded"));
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(FetchTest, BodiesArriveByteForByte) {
    std::string big(5 << 20, '\0');
    for (std::size_t i = 0; i < big.size(); i += 7)
        big[i] = static_cast<char>(i * 31);
    const std::string gzipped = gzip_compress("compressed page");
    const std::string chunked =
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n "
        "world\r\n0\r\n\r\n";

    struct Case {
        const char* what;
        Reply reply;
        std::string expected;
    };
    Reply cut = Reply::http(200, "OK", "", std::string(1000, 'b'));
    cut.cut_after = cut.bytes.size() - 500;
    Reply chunks;
    chunks.bytes = chunked;
    const Case cases[] = {
        {"several MiB with zero bytes", Reply::ok(big), big},
        {"cut mid-body gives what arrived", cut, std::string(500, 'b')},
        {"chunked transfer is undone", chunks, "hello world"},
        {"content encoding is left alone", Reply::ok(gzipped, "Content-Encoding: gzip\r\n"),
         gzipped},
        {"an error page is still a body", Reply::http(404, "Not Found", "", "missing"), "missing"},
    };
    for (const Case& c : cases) {
        TestServer server;
        server.reply_always(c.reply);
        const Bytes body = fetch_page(text(server.origin() + "/body"));
        EXPECT_EQ(body.size(), c.expected.size()) << c.what;
        EXPECT_TRUE(body.view() == c.expected) << c.what;
    }
}

TEST_F(FetchTest, ABodyPastTheLimitFails) {
    TestServer server;
    server.reply_always(Reply::ok(std::string(max_body_size + 1, 'x')));
    EXPECT_TRUE(fetch_page(text(server.origin() + "/huge")).empty());
}

TEST_F(FetchTest, FollowsRedirectsUnlessToldNotTo) {
    TestServer server;
    server.reply_with([](const test::RecordedRequest& request) {
        if (request.target() == "/from") return Reply::redirect(302, "/to?x=1");
        if (request.target() == "/loop") return Reply::redirect(301, "/loop");
        if (request.target() == "/post") return Reply::redirect(303, "/to");
        return Reply::ok("arrived at " + request.target());
    });
    const Text from = text(server.origin() + "/from");

    EXPECT_EQ(fetch_page(from).view(), "arrived at /to?x=1");
    Text headers;
    EXPECT_EQ(fetch_page(from, {.returned_headers = &headers, .no_redirect = true}).view(), "");
    EXPECT_EQ(headers.view().substr(0, 12), "HTTP/1.1 302");
    EXPECT_NE(headers.view().find("Location: /to?x=1\r\n"), std::string::npos);

    // POST after a 303 becomes a bodiless GET.
    EXPECT_EQ(
        fetch_page(text(server.origin() + "/post"), {.method = method_post, .post_text = "a=1"_t})
            .view(),
        "arrived at /to");

    // A redirect loop ends after a bounded number of hops, with the last redirect.
    const std::size_t before = server.requests().size();
    EXPECT_EQ(fetch_page(text(server.origin() + "/loop")).view(), "");
    const std::size_t hops = server.requests().size() - before;
    EXPECT_GT(hops, 5u);
    EXPECT_LT(hops, 30u);

    const auto requests = server.requests();
    EXPECT_EQ(requests[0].target(), "/from");
    EXPECT_EQ(requests[1].target(), "/to?x=1");
    EXPECT_EQ(requests[2].target(), "/from");  // no_redirect: one request only
    EXPECT_EQ(requests[3].method(), "POST");
    EXPECT_EQ(requests[4].method(), "GET");
    EXPECT_EQ(requests[4].body, "");
}

TEST_F(FetchTest, RedirectsBetweenSchemes) {
    TestServer plain, secure(TestServer::Kind::https);
    plain.reply_with([&secure](const test::RecordedRequest& request) {
        if (request.target() == "/up") return Reply::redirect(302, secure.origin() + "/secure");
        return Reply::ok("plain " + request.target());
    });
    secure.reply_with([&plain](const test::RecordedRequest& request) {
        if (request.target() == "/down") return Reply::redirect(302, plain.origin() + "/plain");
        return Reply::ok("secure " + request.target());
    });

    // http to https is followed for a plain address.
    EXPECT_EQ(fetch_page(text(plain.origin() + "/up")).view(), "secure /secure");
    // https to http is refused for a secure one: the redirect itself comes back.
    Text headers;
    EXPECT_EQ(fetch_page(text(secure.origin() + "/down"), {.returned_headers = &headers}).view(),
              "");
    EXPECT_EQ(headers.view().substr(0, 12), "HTTP/1.1 302");
    EXPECT_EQ(plain.requests().size(), 1u);
    // An upper-case scheme is secure too.
    std::string upper = secure.origin();
    upper.replace(0, 5, "HTTPS");
    EXPECT_EQ(fetch_page(text(upper + "/x")).view(), "secure /x");
}

TEST_F(FetchTest, PlatformCookiesGoWithTheNextFetchOnlyWhenNoCookiesAreGiven) {
    TestServer server;
    server.reply_with([](const test::RecordedRequest& request) {
        if (request.target() == "/jar/set")
            return Reply::ok("", "Set-Cookie: sid=abc; Path=/jar\r\n");
        if (request.target() == "/given/set") {
            return Reply::ok("", "Set-Cookie: kept=no; Path=/given\r\n");
        }
        return Reply::ok("");
    });
    auto cookie_lines = [&server]() {
        std::vector<std::string> lines;
        for (const std::string& line : server.requests().back().header_lines()) {
            if (line.rfind("Cookie:", 0) == 0) lines.push_back(line);
        }
        return lines;
    };

    fetch_page(text(server.origin() + "/jar/set"));
    fetch_page(text(server.origin() + "/jar/next"));
    EXPECT_EQ(cookie_lines(), std::vector<std::string>{"Cookie: sid=abc"});

    Text given;
    fetch_page(text(server.origin() + "/jar/next"), {.cookies = &given});
    EXPECT_TRUE(cookie_lines().empty());

    // A cookie set while cookies are given does not enter the store.
    fetch_page(text(server.origin() + "/given/set"), {.cookies = &given});
    EXPECT_EQ(given, "kept=no"_t);
    fetch_page(text(server.origin() + "/given/next"));
    EXPECT_TRUE(cookie_lines().empty());
}

TEST_F(FetchTest, GoesThroughAProxy) {
    TestServer target, secure_target(TestServer::Kind::https), proxy;
    target.reply_always(Reply::ok("direct"));
    secure_target.reply_always(Reply::ok("through the tunnel"));
    proxy.reply_with([&secure_target](const test::RecordedRequest& request) {
        if (request.method() == "CONNECT") {
            Reply tunnel;
            tunnel.tunnel_to_port = secure_target.port();
            return tunnel;
        }
        return Reply::ok("from the proxy");
    });
    const Text proxy_text = text(proxy.host());

    EXPECT_EQ(fetch_page(text(target.origin() + "/p"), {.proxy = proxy_text}).view(),
              "from the proxy");
    EXPECT_EQ(fetch_page(text(secure_target.origin() + "/s"), {.proxy = proxy_text}).view(),
              "through the tunnel");
    // "http=" names a proxy for plain addresses only.
    EXPECT_EQ(
        fetch_page(text(secure_target.origin() + "/d"), {.proxy = "http="_t + proxy_text}).view(),
        "through the tunnel");

    const auto at_proxy = proxy.requests();
    ASSERT_EQ(at_proxy.size(), 2u);
    EXPECT_EQ(at_proxy[0].head, head("GET " + target.origin() + "/p HTTP/1.1", target.host(),
                                     default_lines(target.origin() + "/p")));
    EXPECT_EQ(at_proxy[1].head,
              head("CONNECT " + secure_target.host() + " HTTP/1.1", secure_target.host(), {}));
    EXPECT_TRUE(target.requests().empty());
    ASSERT_EQ(secure_target.requests().size(), 2u);
    EXPECT_EQ(secure_target.requests()[0].target(), "/s");
}

}  // namespace
}  // namespace orvu
