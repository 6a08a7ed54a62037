// sitecheck: runs the tool's real flows against the sites of this build and
// prints what they produce, so a maintainer can tell whether the sites' pages
// still fit the patterns.
//
//   sitecheck search SITE KEYWORD          the result rows of a search
//   sitecheck links SITE ADDRESS           the link rows of a result's download page
//   sitecheck download SITE ADDRESS LABEL  the address a download starts from
//
// SITE is 1, 2 or 3. Arguments are UTF-8; rows are printed one a line, cells
// separated by a tab; message boxes go to standard error. Exit status: 0 when
// rows or an address were printed, 1 otherwise, 2 for wrong usage.

#include <iostream>
#include <string>
#include <vector>

#include "sites/flows.hpp"
#include "sites/memory_controls.hpp"
#include "text/codepage.hpp"

namespace {

using namespace orvu;

constexpr int columns = 3;

std::string utf8(const Text& gbk) {
    return std::string(gbk_to_utf8(gbk).view());
}

class ConsoleMessages final : public MessageBox {
  public:
    void show(const Text& text, MessageIcon) override { std::cerr << utf8(text) << "\n"; }
};

struct Console {
    MemoryComboBox site;
    MemoryEditBox keyword;
    MemoryListView results{columns};
    MemoryEditBox download_page_address;
    ConsoleMessages messages;
    MemoryCaption caption;
    MemoryListView links{columns};
    AddressLog addresses;
    DownloadWindowParts window{caption, links, addresses, addresses, messages};
    CountingOpener opener{[this] { list_download_links(main, window); }};
    MainWindowParts main{site,     keyword, results,          download_page_address,
                         messages, opener,  build_endpoints()};
};

int print_rows(const MemoryListView& list) {
    for (const auto& row : list.rows()) {
        for (int column = 0; column < columns; ++column) {
            std::cout << (column ? "\t" : "") << utf8(row[static_cast<std::size_t>(column)]);
        }
        std::cout << "\n";
    }
    return list.rows().empty() ? 1 : 0;
}

int print_addresses(const AddressLog& addresses) {
    for (const Text& address : addresses.browser_addresses())
        std::cout << utf8(address) << "\n";
    for (const Bytes& wide : addresses.prompt_addresses()) {
        std::cout << std::string(utf16_to_text(wide, cp_utf8).view()) << "\n";
    }
    const bool none = addresses.browser_addresses().empty() && addresses.prompt_addresses().empty();
    return none ? 1 : 0;
}

// One result row holding the address, selected.
void put_result_row(Console& console, const Text& address) {
    const int row = console.results.insert_row();
    console.results.set_cell(row, 2, address);
    console.results.select(row);
}

void put_link_row(Console& console, const Text& address, const Text& label) {
    const int row = console.links.insert_row();
    console.links.set_cell(row, 1, label);
    console.links.set_cell(row, 2, address);
    console.links.select(row);
}

int usage() {
    std::cerr << "usage: sitecheck search SITE KEYWORD\n"
                 "       sitecheck links SITE ADDRESS\n"
                 "       sitecheck download SITE ADDRESS LABEL\n"
                 "SITE is 1, 2 or 3\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 3 || args[1].size() != 1 || args[1][0] < '1' || args[1][0] > '3') {
        return usage();
    }
    const std::string& command = args[0];
    const std::size_t wanted = command == "download" ? 4 : 3;
    if ((command != "search" && command != "links" && command != "download") ||
        args.size() != wanted) {
        return usage();
    }

    set_search_prefixes();
    Console console;
    console.site.select(args[1][0] - '1');
    const Text argument = utf8_to_gbk(Text(args[2]));
    if (command == "search") {
        console.keyword.set_text(argument);
        search_books(console.main);
        return print_rows(console.results);
    }
    if (command == "links") {
        put_result_row(console, argument);
        open_result(console.main);
        return print_rows(console.links);
    }
    put_link_row(console, argument, utf8_to_gbk(Text(args[3])));
    start_download(console.main, console.window);
    return print_addresses(console.addresses);
}
