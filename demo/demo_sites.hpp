#pragma once

// The bundled demo resource sites: resource sites 1 and 2, the site-search
// service of resource site 3, resource site 3's pages and its file host, all on
// 127.0.0.1, serving a small sample catalogue. Site 1 and the file host speak
// HTTPS with the test CA; site 2 serves GBK, the others UTF-8; site 3's download
// pages are gzip-compressed.

#include <memory>
#include <string>
#include <vector>

#include "sites/catalogue.hpp"

namespace orvu::demo {

// Ports to listen on; 0 takes a free one.
struct DemoPorts {
    int site1 = 0;           // HTTPS
    int site2 = 0;           // HTTP
    int search_service = 0;  // HTTP
    int site3_pages = 0;     // HTTP
    int site3_files = 0;     // HTTPS
};

// One book of the sample catalogue (texts in UTF-8, as written in the source).
struct DemoBook {
    int id;
    std::string title;
    std::string author;
    std::string category;
    std::string text;  // the book's text file, UTF-8
};

const std::vector<DemoBook>& demo_books();

// The ports that this build's endpoint values name (site 3's pages, which no
// endpoint value names, on 18082). Throws std::runtime_error when a host of the
// build carries no port.
DemoPorts build_demo_ports();

class DemoSites {
public:
    explicit DemoSites(const DemoPorts& ports = {});
    ~DemoSites();
    DemoSites(const DemoSites&) = delete;
    DemoSites& operator=(const DemoSites&) = delete;

    // The catalogue's endpoint values that point at these servers.
    Endpoints endpoints() const;
    DemoPorts ports() const;

private:
    struct Servers;
    std::unique_ptr<Servers> servers_;
};

}  // namespace orvu::demo
