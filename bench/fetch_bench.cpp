// fetch_page of a 50 MiB body from a loopback server, against the curl command
// line tool fetching the same address in the same run.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/test_server.hpp"
#include "timing.hpp"
#include "web/fetch.hpp"

int main() {
    using namespace orvu;
    constexpr std::size_t size = std::size_t{50} << 20;
    test::TestServer server(test::TestServer::Kind::http, std::chrono::seconds(600));
    server.reply_always(test::Reply::ok(std::string(size, 'n')));
    const std::string address = server.origin() + "/big";
    const std::string curl_command = "curl -s -o /dev/null '" + address + "'";

    std::size_t received = 0;
    const double ours =
        bench::median_seconds(7, [&] { received = fetch_page(Text(address)).size(); });
    const double theirs = bench::median_seconds(7, [&] {
        if (std::system(curl_command.c_str()) != 0) std::fprintf(stderr, "curl failed\n");
    });
    std::printf("body %zu bytes (expected %zu)\n", received, size);
    bench::report("fetch 50 MiB", ours, theirs, "curl -s -o /dev/null");
}
