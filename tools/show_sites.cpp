// Prints, for each resource site, its label, its notice and the search address
// of a keyword (default "帝霸"), converted to UTF-8 for the terminal.

#include <iostream>

#include "sites/catalogue.hpp"
#include "text/codepage.hpp"

namespace {
std::string_view utf8(const orvu::Text& gbk, orvu::Text& storage) {
    storage = orvu::gbk_to_utf8(gbk);
    return storage.view();
}
}  // namespace

int main(int argc, char** argv) {
    using namespace orvu;
    set_search_prefixes();
    const Text keyword = argc > 1 ? utf8_to_gbk(Text(argv[1])) : gbk_literal(u8"帝霸");
    Text a, b, c;
    std::cout << "keyword: " << utf8(keyword, a) << "\n";
    for (SiteIndex site = 0; const SiteProfile* profile = profile_for(site); ++site) {
        std::cout << utf8(profile->site_label, a) << "  " << utf8(profile->site_notice, b) << "\n"
                  << "  search: " << utf8(search_address(site, keyword), c) << "\n";
    }
    release_search_prefixes();
}
