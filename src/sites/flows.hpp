#pragma once

// The three flows of the tool, written once and driven by the profile of the
// site that the site box shows when each runs: book search, download-link
// listing and download start.

#include "sites/catalogue.hpp"
#include "sites/controls.hpp"

namespace orvu {

// The main window's controls that the flows read and write.
struct MainWindowParts {
    ComboBox& site;
    EditBox& keyword;
    ListView& results;
    EditBox& download_page_address;  // carries the address from a result to the download window
    MessageBox& messages;
    DownloadWindowOpener& download_window;
    const Endpoints& endpoints;
};

// The download window's parts.
struct DownloadWindowParts {
    Caption& caption;
    ListView& links;
    Browser& browser;
    DownloadPrompt& prompt;
    MessageBox& messages;
};

// "搜索": the keyword's search page on the selected site, cut into result rows.
void search_books(MainWindowParts& main);
int fill_result_list(const Text& page, const SiteProfile& profile, ListView& results,
                     MessageBox& messages);

// A double-click on a result: its download-page address, then the download window.
void open_result(MainWindowParts& main);

// The download window's creation: the download page cut into link rows.
void list_download_links(MainWindowParts& main, DownloadWindowParts& window);
int fill_link_list(const Text& page, const SiteProfile& profile, ListView& links,
                   MessageBox& messages);

// A double-click on a link: the hidden browser or the download prompt.
void start_download(MainWindowParts& main, DownloadWindowParts& window);

// The texts the flows show.
const Text& search_failed_text();  // the pattern could not run
const Text& nothing_found_text();  // the page holds no result
const Text& links_failed_text();   // no link could be listed
const Text& download_window_caption();

}  // namespace orvu
