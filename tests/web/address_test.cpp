#include <optional>

#include <gtest/gtest.h>

#include "support/text_support.hpp"
#include "web/address.hpp"

namespace orvu {
namespace {

// "81 41" is a double-byte character whose second byte is the letter A: lower-
// casing must leave it alone, and finding the host again depends on that.
Text hex(std::string_view digits) {
    return test::text_from_hex(digits);
}

const Text gbk_host_address = "http://"_t + hex("81 41 42") + ".COM/"_t + hex("81 41");
const Text gbk_host = hex("81 41 62") + ".com"_t;

TEST(UrlHost, CutsAndLowerCasesTheHost) {
    struct Case {
        const char* what;
        Text address;
        bool root_domain;
        bool keep_port;
        std::optional<int> levels;
        Text expected;
    };
    const Text levels_address = "http://a.b.example.org/x"_t;
    const Case cases[] = {
        // The host ends at the first "/" after the scheme.
        {"port dropped", "http://example.org:8080/a/b?c=1"_t, false, false, {}, "example.org"_t},
        {"port kept", "http://example.org:8080/a/b?c=1"_t, false, true, {}, "example.org:8080"_t},
        {"no scheme", "example.org/search.htm?keyword=x"_t, false, false, {}, "example.org"_t},
        {"upper-case scheme, no slash", "HTTPS://Example.ORG"_t, false, false, {}, "example.org"_t},
        {"mixed case, path behind",
         "http://Example.org/Books/A.html"_t,
         false,
         false,
         {},
         "example.org"_t},
        {"query without a slash stays in the host",
         "http://example.org?q=1"_t,
         false,
         false,
         {},
         "example.org?q=1"_t},
        {"fragment without a slash stays in the host",
         "https://example.org#top"_t,
         false,
         false,
         {},
         "example.org#top"_t},
        {"empty address", ""_t, false, false, {}, ""_t},
        {"scheme only", "https://"_t, false, false, {}, ""_t},
        {"an http:// further on is taken as the scheme",
         "example.org/?next=http://other.net/x"_t,
         false,
         false,
         {},
         "other.net"_t},
        {"another scheme gets http:// put in front",
         "ftp://example.org/x"_t,
         false,
         false,
         {},
         "ftp"_t},
        {"second byte of a double-byte character is no letter",
         gbk_host_address,
         false,
         false,
         {},
         gbk_host},

        // root_domain keeps the last two labels.
        {"root domain", "http://shop.example.org/"_t, true, false, {}, "example.org"_t},
        {"root domain, port dropped",
         "http://shop.example.org:8080/"_t,
         true,
         false,
         {},
         "example.org"_t},
        {"root domain, port kept",
         "http://shop.example.org:8080/"_t,
         true,
         true,
         {},
         "example.org:8080"_t},
        {"root domain of a single label", "http://example/"_t, true, false, {}, "example"_t},
        {"root domain ignores a final dot",
         "http://www.example.org./"_t,
         true,
         false,
         {},
         "example.org"_t},

        // Levels mode counts dots from the end; 0 is a level count too.
        {"levels 0", levels_address, false, false, 0, "example.org"_t},
        {"levels 1", levels_address, false, false, 1, "b.example.org"_t},
        {"levels 2", levels_address, false, false, 2, "a.b.example.org"_t},
        {"levels 5", levels_address, false, false, 5, "a.b.example.org"_t},
        {"levels below 0 count as 0", levels_address, false, false, -3, "example.org"_t},
        {"levels 0, root domain", levels_address, true, false, 0, "org"_t},
        {"levels 1, root domain", levels_address, true, false, 1, "example.org"_t},
        {"levels 5, root domain", levels_address, true, false, 5, "a.b.example.org"_t},
        {"levels, no scheme", "a.b.example.org/x"_t, false, false, 0, "example.org"_t},
        {"levels, upper-case scheme", "HTTPS://A.B.Example.ORG"_t, false, false, 1,
         "b.example.org"_t},
        {"levels, every scheme anywhere is deleted", "http://www.http://example.org/x"_t, false,
         false, 0, "example.org"_t},
        {"levels, a dot in the last place is not counted", "http://example.org./"_t, true, false, 0,
         "org."_t},
        {"levels, no dot", "http://localhost/"_t, true, false, 0, "localhost"_t},
        {"levels, port dropped", "https://a.b.example.org:8080/"_t, false, false, 1,
         "b.example.org"_t},
        {"levels, port kept", "https://a.b.example.org:8080/"_t, false, true, 1,
         "b.example.org:8080"_t},
        {"levels, empty address", ""_t, false, false, 0, ""_t},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(url_host(c.address, c.root_domain, c.keep_port, c.levels), c.expected) << c.what;
    }
}

TEST(UrlPort, IsTheWrittenPortOrTheSchemeDefault) {
    struct Case {
        const char* what;
        Text address;
        int expected;
    };
    const Case cases[] = {
        {"written port", "http://example.org:8080/a/b?c=1"_t, 8080},
        {"written port beats https", "https://example.org:8443/x"_t, 8443},
        {"empty port", "http://example.org:/x"_t, 0},
        {"http", "http://example.org/"_t, 80},
        {"https", "https://example.org/"_t, 443},
        {"upper-case https", "HTTPS://Example.ORG"_t, 443},
        {"no scheme", "example.org/search.htm?keyword=x"_t, 80},
        {"https without ://", "httpsite.example.org/"_t, 443},
        {"empty address", ""_t, 80},
        {"the last colon of the host counts", "http://a:1:2/"_t, 2},
        {"a colon behind the first slash is no port", "http://example.org/a:1"_t, 80},
        {"a colon in a query without a slash is", "http://example.org?at=10:30"_t, 30},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(url_port(c.address), c.expected) << c.what;
    }
}

TEST(UrlPath, IsEverythingFromTheFirstSlashAfterTheHost) {
    struct Case {
        const char* what;
        Text address, expected;
    };
    const Case cases[] = {
        {"path and query", "http://example.org:8080/a/b?c=1"_t, "/a/b?c=1"_t},
        {"no scheme", "example.org/search.htm?keyword=x"_t, "/search.htm?keyword=x"_t},
        {"no slash after the host", "HTTPS://Example.ORG"_t, "/"_t},
        {"query without a slash", "http://example.org?q=1"_t, "/"_t},
        {"root", "http://example.org/"_t, "/"_t},
        {"empty address", ""_t, "/"_t},
        {"letter case kept", "http://Example.org/Books/A.html"_t, "/Books/A.html"_t},
        {"fragment kept", "https://example.org/a#frag"_t, "/a#frag"_t},
        {"double-byte host found again", gbk_host_address, "/"_t + hex("81 41")},
        // The host is looked for anywhere in the address, the scheme included.
        {"host found inside the scheme", "http://t/x"_t, "//t/x"_t},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(url_path(c.address), c.expected) << c.what;
    }
}

}  // namespace
}  // namespace orvu
