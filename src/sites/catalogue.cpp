#include "sites/catalogue.hpp"

#include <array>

#include "sites/build_values.hpp"
#include "text/codepage.hpp"
#include "text/extract.hpp"

namespace orvu {

Text search_prefix_site1;
Text search_prefix_site2;
Text search_prefix_site3;

const Endpoints& build_endpoints() {
    namespace v = build_values;
    static const Endpoints endpoints{
        Text(v::site1_host),
        Text(v::site2_host),
        Text(v::search_service_host),
        Text(v::site3_domain),
        Text(v::search_service_site_id),
        Text(v::site3_download_host),
    };
    return endpoints;
}

const Text& home_page_address() {
    static const Text address(build_values::home_page_address);
    return address;
}

const Text& chat_group_number() {
    static const Text number(build_values::chat_group_number);
    return number;
}

void set_search_prefixes(const Endpoints& endpoints) {
    search_prefix_site1 = "https://"_t + endpoints.site1_host + "/so/search.html?searchkey="_t;
    search_prefix_site2 = endpoints.site2_host + "/search.htm?keyword="_t;
    search_prefix_site3 = endpoints.search_service_host + "/cse/site/?cc="_t +
                          endpoints.site3_domain + "&s="_t + endpoints.search_service_site_id +
                          "&q="_t;
}

void release_search_prefixes() {
    search_prefix_site1 = {};
    search_prefix_site2 = {};
    search_prefix_site3 = {};
}

namespace {

const std::array<SiteProfile, 3>& profiles() {
    static const std::array<SiteProfile, 3> all{{
        {
            .site_label = gbk_literal(u8"资源站1"),
            .search_prefix = &search_prefix_site1,
            .search_page_utf8 = true,
            .result_pattern = R"re(<a class="bookname" href="(.*?)">(.*?)</a>)re"_t,
            .title_submatches = {2},
            .address_submatch = 1,
            .book_page_body = BookPageBody::utf8_body,
            .link_pattern = R"re(<a class="down_url" href="(.*?)">(.*?)</a></li>)re"_t,
            .download_kind = DownloadKind::browser_navigate,
            .site_notice = gbk_literal(u8"这个资源站没有搜索间隔"),
        },
        {
            .site_label = gbk_literal(u8"资源站2"),
            .search_prefix = &search_prefix_site2,
            .search_page_utf8 = false,
            .result_pattern =
                R"re(<li><i class="tag-blue">(.*?)</i><a href="(.*?)">(.*?)</a>(.*?)<span class="time">(.*?)</span></li>)re"_t,
            .title_submatches = {3, 4},
            .address_submatch = 2,
            .book_page_body = BookPageBody::plain_body,
            .link_pattern = "<a class=\"btn_b\" href=\"(.*?)\" rel=\"nofollow\" "
                            "target=\"_blank\">(.*?)</a>\r"_t,
            .download_kind = DownloadKind::browser_navigate,
            .site_notice = gbk_literal(u8"这个资源站有10秒搜索间隔"),
        },
        {
            .site_label = gbk_literal(u8"资源站3"),
            .search_prefix = &search_prefix_site3,
            .search_page_utf8 = true,
            // Two blanks before "target".
            .result_pattern =
                R"re(<a rpos="" cpos="title" href="(.*?)"  target="_blank">(.*?)</a>)re"_t,
            .title_submatches = {2},
            .address_submatch = 1,
            .book_page_body = BookPageBody::gzip_utf8_body,
            .link_pattern = gbk_literal(u8"<a class=\"downButton\" href='(.*?)' "
                                        u8"title=\"《(.*?)》在线阅读\">在线阅读</a>\r"),
            .download_kind = DownloadKind::download_prompt,
            .site_notice = gbk_literal(u8"这个资源站有点问题，没搜索出来再搜下，下载的时候多等会"),
        },
    }};
    return all;
}

}  // namespace

const SiteProfile* profile_for(SiteIndex site) {
    if (site < 0 || site >= static_cast<SiteIndex>(profiles().size())) return nullptr;
    return &profiles()[static_cast<std::size_t>(site)];
}

Text search_address(SiteIndex site, const Text& keyword) {
    const SiteProfile* profile = profile_for(site);
    if (!profile) return {};
    return *profile->search_prefix + url_encode(keyword, false, true);
}

Text book_page_address(SiteIndex site, const Text& address_cell, const Endpoints& endpoints) {
    switch (site) {
        case 0: {
            Text book_id = replace_pairs(address_cell, {}, {"/book/"_t}, {".html"_t});
            return "https://"_t + endpoints.site1_host + "/"_t + book_id + "/down.html"_t;
        }
        case 1: return endpoints.site2_host + address_cell;
        case 2: return address_cell;
        default: return {};
    }
}

Text download_address(SiteIndex site, const Text& address_cell, const Text& label_cell,
                      const Endpoints& endpoints) {
    switch (site) {
        case 0: return "https://"_t + endpoints.site1_host + "/"_t + address_cell;
        case 1: return endpoints.site2_host + "/"_t + address_cell;
        case 2: {
            Text joined =
                "https://"_t + endpoints.site3_download_host + address_cell + label_cell + ".txt"_t;
            return replace_pairs(joined, {}, {"du/"_t});
        }
        default: return {};
    }
}

}  // namespace orvu
