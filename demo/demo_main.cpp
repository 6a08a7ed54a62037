// orvu_demo_sites: serves the bundled demo resource sites on the ports that
// this build's endpoint values name, until SIGINT or SIGTERM.

#include <signal.h>

#include <charconv>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "demo/demo_sites.hpp"

namespace {

using orvu::demo::DemoPorts;

std::string utf8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

void print_addresses(const orvu::demo::DemoSites& sites) {
    const DemoPorts ports = sites.ports();
    const orvu::Endpoints endpoints = sites.endpoints();
    const std::string loopback = "127.0.0.1:";
    std::cout << utf8(u8"资源站1（HTTPS，UTF-8）：https://") << loopback << ports.site1 << "/\n"
              << utf8(u8"资源站2（HTTP，GBK）：http://") << loopback << ports.site2 << "/\n"
              << utf8(u8"资源站3的站内搜索（HTTP）：http://") << loopback << ports.search_service
              << "/cse/site/?cc=" << endpoints.site3_domain.view()
              << "&s=" << endpoints.search_service_site_id.view() << "&q=\n"
              << utf8(u8"资源站3（HTTP，gzip）：http://") << loopback << ports.site3_pages << "/\n"
              << utf8(u8"资源站3的文件（HTTPS）：https://") << loopback << ports.site3_files
              << "/\n";
}

// Blocked before any server thread starts, so that every thread inherits the
// mask and the signals wait for sigwait here instead of killing the process.
sigset_t blocked_stop_signals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return signals;
}

}  // namespace

int main() {
    const sigset_t stop_signals = blocked_stop_signals();
    try {
        const orvu::demo::DemoSites sites(orvu::demo::build_demo_ports());
        print_addresses(sites);
        std::cout << "demo sites ready" << std::endl;
        int received = 0;
        sigwait(&stop_signals, &received);
    } catch (const std::exception& error) {
        std::cerr << "orvu_demo_sites: " << error.what() << std::endl;
        return 1;
    }
    return 0;
}
