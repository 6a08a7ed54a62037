#pragma once

// The one place that knows the three resource sites. Everything in which they
// differ is data here; the flows are written once and read the profile of the
// site that is selected when they run.

#include <vector>

#include "text/text.hpp"

namespace orvu {

// The current item of the site combo box: 0, 1 or 2; -1 when none is selected.
using SiteIndex = int;

// The outside services. A host may carry a port ("127.0.0.1:18443").
struct Endpoints {
    Text site1_host;
    Text site2_host;
    Text search_service_host;
    Text site3_domain;            // the search service's "cc=" value
    Text search_service_site_id;  // the search service's "s=" value
    Text site3_download_host;
};

// The values compiled into this build.
const Endpoints& build_endpoints();
const Text& home_page_address();
const Text& chat_group_number();

// The search prefixes: empty until set_search_prefixes, read by every search.
extern Text search_prefix_site1;
extern Text search_prefix_site2;
extern Text search_prefix_site3;

void set_search_prefixes(const Endpoints& endpoints = build_endpoints());
void release_search_prefixes();

enum class BookPageBody {
    utf8_body,       // body as Text, then utf8_to_gbk
    plain_body,      // body as Text
    gzip_utf8_body,  // gunzip_body, body as Text, then utf8_to_gbk
};

enum class DownloadKind {
    browser_navigate,  // the hidden browser is sent to the download address
    download_prompt,   // the download prompt is opened on the download address
};

struct SiteProfile {
    Text site_label;
    const Text* search_prefix;  // one of the prefix globals, read when a search runs
    bool search_page_utf8;
    Text result_pattern;
    std::vector<int> title_submatches;  // joined with nothing between them
    int address_submatch;
    BookPageBody book_page_body;
    Text link_pattern;  // sub-match 1 is the address, sub-match 2 the label
    DownloadKind download_kind;
    Text site_notice;
};

// The site's profile; nullptr for anything but 0, 1 and 2.
const SiteProfile* profile_for(SiteIndex site);

// The site's prefix followed by the keyword's UTF-8 bytes, every one escaped.
Text search_address(SiteIndex site, const Text& keyword);

// The address of a book's download page, from a result row's "地址" cell.
Text book_page_address(SiteIndex site, const Text& address_cell,
                       const Endpoints& endpoints = build_endpoints());

// The address a download starts from, from a link row's "地址" and "下载方式" cells.
Text download_address(SiteIndex site, const Text& address_cell, const Text& label_cell,
                      const Endpoints& endpoints = build_endpoints());

}  // namespace orvu
