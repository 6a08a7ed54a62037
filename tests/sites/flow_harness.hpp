#pragma once

// The two windows' controls in memory, wired the way the application wires its
// widgets: opening the download window runs list_download_links on fresh links.

#include "sites/flows.hpp"
#include "sites/memory_controls.hpp"
#include "text/codepage.hpp"

namespace orvu::test {

struct FlowHarness {
    explicit FlowHarness(const Endpoints& site_endpoints) : endpoints(site_endpoints) {}

    Endpoints endpoints;
    MemoryComboBox site{0};
    MemoryEditBox keyword{gbk_literal(u8"帝霸")};
    MemoryListView results{3};
    MemoryEditBox download_page_address;
    MessageLog messages;
    CountingOpener opener{[this] { create_download_window(); }};
    MainWindowParts main{site,     keyword, results,  download_page_address,
                         messages, opener,  endpoints};

    MemoryCaption caption;
    MemoryListView links{3};
    AddressLog addresses;
    DownloadWindowParts window{caption, links, addresses, addresses, messages};

    void create_download_window() {
        links.delete_all_rows();
        caption.set_caption({});
        list_download_links(main, window);
    }

    // The row whose given column contains the text, or -1.
    static int row_with(const MemoryListView& list, int column, const Text& text) {
        const auto& rows = list.rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i][static_cast<std::size_t>(column)].view().find(text.view()) !=
                std::string_view::npos) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
};

}  // namespace orvu::test
