#include "sites/flows.hpp"

#include <string>

#include "pattern/regex_matcher.hpp"
#include "text/codepage.hpp"
#include "web/fetch.hpp"
#include "web/gunzip.hpp"

namespace orvu {

const Text& search_failed_text() {
    static const Text text = gbk_literal(u8"未找到小说，请检查关键词！");
    return text;
}

const Text& nothing_found_text() {
    static const Text text = gbk_literal(u8"未找到小说，请检查关键词");
    return text;
}

const Text& links_failed_text() {
    static const Text text = gbk_literal(u8"出错了！");
    return text;
}

const Text& download_window_caption() {
    static const Text text = gbk_literal(u8"小说下载 - Orvu云小说");
    return text;
}

namespace {

constexpr int address_column = 2;
constexpr int label_column = 1;

Text row_number(int row) {
    return Text(std::to_string(row + 1));
}

// Every pattern of the sites runs the same way: letter case ignored, "^" and "$"
// at the ends of the page only, every match.
bool run_site_pattern(RegexMatcher& matcher, const Text& pattern, const Text& page) {
    return matcher.run(pattern, page, false, false, true);
}

// What a row holds besides its number: the label or title, and the address.
struct RowCells {
    Text label;
    Text address;
};

// The two error boxes of a fill: the pattern could not run, or found nothing.
struct FillErrors {
    const Text& run_failed;
    const Text& found_nothing;
};

// Runs a site pattern over the page and appends one row per match, in page
// order, numbered from 1. The matcher lives until the fill returns, whichever
// way it does.
template <typename CellsOfMatch>
int fill_rows(const Text& pattern, const Text& page, ListView& list, MessageBox& messages,
              const FillErrors& errors, CellsOfMatch cells_of_match) {
    RegexMatcher matcher;
    if (!run_site_pattern(matcher, pattern, page)) {
        messages.show(errors.run_failed, MessageIcon::stop);
        return 0;
    }
    const int count = matcher.match_count();
    if (count == 0) {
        messages.show(errors.found_nothing, MessageIcon::stop);
        return 0;
    }
    for (int match = 1; match <= count; ++match) {
        const RowCells cells = cells_of_match(matcher, match);
        const int row = list.insert_row();
        list.set_cell(row, 0, row_number(row));
        list.set_cell(row, label_column, cells.label);
        list.set_cell(row, address_column, cells.address);
    }
    return count;
}

Text page_text(const Bytes& body, BookPageBody kind) {
    switch (kind) {
        case BookPageBody::utf8_body: return utf8_to_gbk(body_as_text(body));
        case BookPageBody::plain_body: return body_as_text(body);
        case BookPageBody::gzip_utf8_body: return utf8_to_gbk(body_as_text(gunzip_body(body)));
    }
    return {};
}

}  // namespace

void search_books(MainWindowParts& main) {
    const SiteIndex site = main.site.current_item();
    const SiteProfile* profile = profile_for(site);
    if (!profile) return;
    const Text address = search_address(site, main.keyword.text());
    Text page = body_as_text(fetch_page(address));
    if (profile->search_page_utf8) page = utf8_to_gbk(page);
    fill_result_list(page, *profile, main.results, main.messages);
}

int fill_result_list(const Text& page, const SiteProfile& profile, ListView& results,
                     MessageBox& messages) {
    results.delete_all_rows();
    return fill_rows(
        profile.result_pattern, page, results, messages,
        {search_failed_text(), nothing_found_text()},
        [&profile](const RegexMatcher& matcher, int match) {
            Text title;
            for (int group : profile.title_submatches) {
                title += matcher.sub_match_text(match, group);
            }
            return RowCells{title, matcher.sub_match_text(match, profile.address_submatch)};
        });
}

void open_result(MainWindowParts& main) {
    const int row = main.results.selected_row();
    if (row == -1) return;
    const SiteIndex site = main.site.current_item();
    if (!profile_for(site)) return;
    const Text cell = main.results.cell(row, address_column);
    main.download_page_address.set_text(book_page_address(site, cell, main.endpoints));
    main.download_window.open_download_window();
}

void list_download_links(MainWindowParts& main, DownloadWindowParts& window) {
    window.caption.set_caption(download_window_caption());
    const SiteProfile* profile = profile_for(main.site.current_item());
    if (!profile) return;
    const Bytes body = fetch_page(main.download_page_address.text());
    fill_link_list(page_text(body, profile->book_page_body), *profile, window.links,
                   window.messages);
}

int fill_link_list(const Text& page, const SiteProfile& profile, ListView& links,
                   MessageBox& messages) {
    return fill_rows(
        profile.link_pattern, page, links, messages, {links_failed_text(), links_failed_text()},
        [](const RegexMatcher& matcher, int match) {
            return RowCells{matcher.sub_match_text(match, 2), matcher.sub_match_text(match, 1)};
        });
}

void start_download(MainWindowParts& main, DownloadWindowParts& window) {
    const SiteIndex site = main.site.current_item();
    const SiteProfile* profile = profile_for(site);
    if (!profile) return;
    const int row = window.links.selected_row();
    if (row == -1) return;
    const Text address_cell = window.links.cell(row, address_column);
    if (profile->download_kind == DownloadKind::browser_navigate) {
        window.browser.set_address(download_address(site, address_cell, {}, main.endpoints));
        return;
    }
    const Text label_cell = window.links.cell(row, label_column);
    const std::optional<Bytes> wide =
        text_to_wide_oem(download_address(site, address_cell, label_cell, main.endpoints));
    if (wide && !wide->empty()) window.prompt.open(*wide);
}

}  // namespace orvu
