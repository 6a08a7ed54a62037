#include "demo/demo_sites.hpp"

#include <charconv>
#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "support/test_server.hpp"
#include "text/codepage.hpp"
#include "web/zlib_codec.hpp"

namespace orvu::demo {

namespace {

using test::RecordedRequest;
using test::Reply;
using test::TestServer;

// Long enough for any demo session; the servers still never outlive the program.
constexpr std::chrono::hours server_lifetime{24};

constexpr std::string_view site3_domain = "site3.demo";
constexpr std::string_view search_service_site_id = "3003";

constexpr std::string_view utf8_html = "Content-Type: text/html; charset=utf-8\r\n";
constexpr std::string_view gbk_html = "Content-Type: text/html; charset=gbk\r\n";

std::string utf8(std::u8string_view text) {
    return std::string(text.begin(), text.end());
}

// ---- Requests -------------------------------------------------------------

struct Request {
    std::string path;
    std::string query;  // without the "?"
};

Request parse_target(std::string_view target) {
    const auto question = target.find('?');
    if (question == std::string_view::npos) return {std::string(target), {}};
    return {std::string(target.substr(0, question)), std::string(target.substr(question + 1))};
}

int hex_digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A query value as a form sends it: "%XX" is a byte, "+" a blank, and a "%"
// without two hex digits stays as it is.
std::string percent_decoded(std::string_view encoded) {
    std::string decoded;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        const bool escape = c == '%' && i + 2 < encoded.size();
        const int high = escape ? hex_digit_value(encoded[i + 1]) : -1;
        const int low = escape ? hex_digit_value(encoded[i + 2]) : -1;
        if (high >= 0 && low >= 0) {
            decoded += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            decoded += c == '+' ? ' ' : c;
        }
    }
    return decoded;
}

// The decoded value of the first "name=" field of the query; empty when absent.
std::string query_value(std::string_view query, std::string_view name) {
    while (!query.empty()) {
        const auto ampersand = query.find('&');
        const std::string_view field = query.substr(0, ampersand);
        const auto equals = field.find('=');
        if (field.substr(0, equals) == name && equals != std::string_view::npos)
            return percent_decoded(field.substr(equals + 1));
        if (ampersand == std::string_view::npos) break;
        query.remove_prefix(ampersand + 1);
    }
    return {};
}

// The part of text between prefix and suffix when it has both; else nothing.
std::optional<std::string_view> between(std::string_view text, std::string_view prefix,
                                        std::string_view suffix) {
    if (text.size() < prefix.size() + suffix.size()) return std::nullopt;
    if (!text.starts_with(prefix) || !text.ends_with(suffix)) return std::nullopt;
    return text.substr(prefix.size(), text.size() - prefix.size() - suffix.size());
}

// The parts of an absolute path between its slashes: "/a/b/c" gives a, b, c.
std::vector<std::string_view> path_parts(std::string_view path) {
    std::vector<std::string_view> parts;
    if (!path.starts_with('/')) return parts;
    for (std::size_t start = 1;;) {
        const auto slash = path.find('/', start);
        parts.push_back(path.substr(start, slash - start));
        if (slash == std::string_view::npos) return parts;
        start = slash + 1;
    }
}

// A book id written as plain decimal digits, as the pages write it.
std::optional<int> parse_id(std::string_view digits) {
    if (digits.empty() || digits.size() > 9 || digits.starts_with('0')) return std::nullopt;
    int id = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return id;
}

const DemoBook* book_with_id(std::optional<int> id) {
    if (!id) return nullptr;
    for (const DemoBook& book : demo_books()) {
        if (book.id == *id) return &book;
    }
    return nullptr;
}

// What a site search finds: books whose title or author holds the keyword
// (UTF-8 is self-synchronising, so a byte search is a character search); an
// empty keyword lists the whole catalogue.
std::vector<const DemoBook*> books_matching(const std::string& keyword) {
    std::vector<const DemoBook*> found;
    for (const DemoBook& book : demo_books()) {
        if (book.title.find(keyword) != std::string::npos ||
            book.author.find(keyword) != std::string::npos) {
            found.push_back(&book);
        }
    }
    return found;
}

// ---- Writing pages --------------------------------------------------------

std::string html_escaped(std::string_view text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            case '\'': escaped += "&#39;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

// "%" and two upper-case hex digits for every byte but the unreserved ones.
std::string percent_encoded(std::string_view bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string encoded;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~';
        if (unreserved) {
            encoded += c;
        } else {
            encoded += {'%', digits[byte >> 4], digits[byte & 0xF]};
        }
    }
    return encoded;
}

// How a site writes its pages: the line break of its server and the charset
// that its pages declare.
struct PageStyle {
    std::string_view line_break;
    std::string_view charset;
};
constexpr PageStyle linux_utf8{"\n", "utf-8"};
// Sites 2 and 3 end their lines in CR LF, as the Windows servers they imitate
// do; their link patterns count on the CR right after "</a>".
constexpr PageStyle windows_gbk{"\r\n", "gbk"};
constexpr PageStyle windows_utf8{"\r\n", "utf-8"};

// An HTML page written line by line.
class Page {
  public:
    Page(const PageStyle& style, std::string_view title) : line_break_(style.line_break) {
        line("<!DOCTYPE html>");
        line("<html>");
        line("<head>");
        line("<meta charset=\"" + std::string(style.charset) + "\">");
        line("<title>" + html_escaped(title) + "</title>");
        line("</head>");
        line("<body>");
    }

    Page& line(std::string_view text) {
        html_ += text;
        html_ += line_break_;
        return *this;
    }

    std::string finished() && {
        line("</body>");
        line("</html>");
        return std::move(html_);
    }

  private:
    std::string_view line_break_;
    std::string html_;
};

Reply html_reply(std::string_view content_type, const std::string& body) {
    return Reply::http(200, "OK", std::string(content_type), body);
}

Reply not_found() {
    Page page(linux_utf8, "404 Not Found");
    page.line("<h1>404 Not Found</h1>");
    page.line("<p>There is no such page here. <a href=\"/\">Home</a></p>");
    return Reply::http(404, "Not Found", std::string(utf8_html), std::move(page).finished());
}

// A file the browser saves instead of showing: named by the book's id, and by
// its title for the browsers that read the UTF-8 name.
Reply file_reply(std::string_view content_type, std::string_view file_name, const DemoBook& book,
                 const std::string& text) {
    const std::string headers = "Content-Type: " + std::string(content_type) +
                                "\r\n"
                                "Content-Disposition: attachment; filename=\"" +
                                std::string(file_name) + "\"; filename*=UTF-8''" +
                                percent_encoded(book.title) + ".txt\r\n";
    return Reply::http(200, "OK", headers, text);
}

// A script that answers GET by the site's routes and HEAD with the head of the
// same reply; any other method finds nothing.
test::Script serving(std::function<Reply(const Request&)> route) {
    return [route = std::move(route)](const RecordedRequest& recorded) {
        const std::string method = recorded.method();
        Reply reply = method == "GET" || method == "HEAD" ? route(parse_target(recorded.target()))
                                                          : not_found();
        const auto end_of_head = reply.bytes.find("\r\n\r\n");
        if (method == "HEAD" && end_of_head != std::string::npos) {
            reply.bytes.resize(end_of_head + 4);
        }
        return reply;
    };
}

// ---- Resource site 1: HTTPS, UTF-8 ----------------------------------------

Reply site1_search(const std::string& keyword) {
    const auto found = books_matching(keyword);
    Page page(linux_utf8, utf8(u8"搜索结果 - 资源站1"));
    page.line(
        utf8(u8"<div class=\"nav\"><a href=\"/\">首页</a> <a href=\"/sort/1.html\">玄幻</a> "
             u8"<a href=\"/sort/2.html\">古典</a></div>"));
    page.line(utf8(u8"<p class=\"tips\">搜索“") + html_escaped(keyword) + utf8(u8"”，共找到") +
              std::to_string(found.size()) + utf8(u8"本书</p>"));
    page.line("<ul class=\"result-list\">");
    for (const DemoBook* book : found) {
        page.line("<li>");
        page.line("<a class=\"bookname\" href=\"/book/" + std::to_string(book->id) + ".html\">" +
                  html_escaped(book->title) + "</a>");
        page.line("<span class=\"author\">" + html_escaped(book->author) + "</span>");
        page.line("</li>");
    }
    page.line("</ul>");
    page.line(utf8(u8"<div class=\"footer\"><a href=\"/about.html\">关于本站</a></div>"));
    return html_reply(utf8_html, std::move(page).finished());
}

Reply site1_download_page(const DemoBook& book) {
    const std::string id = std::to_string(book.id);
    Page page(linux_utf8, book.title + utf8(u8" TXT下载 - 资源站1"));
    page.line(utf8(u8"<div class=\"nav\"><a href=\"/\">首页</a></div>"));
    page.line("<h1>" + html_escaped(book.title) + "</h1>");
    page.line(utf8(u8"<p>作者：") + html_escaped(book.author) + "</p>");
    page.line("<ul class=\"down\">");
    page.line("<li><a class=\"down_url\" href=\"/d/" + id + utf8(u8".txt\">TXT下载</a></li>"));
    page.line("<li><a class=\"down_url\" href=\"/d/" + id +
              utf8(u8"-full.txt\">全本下载</a></li>"));
    page.line("</ul>");
    page.line(utf8(u8"<p class=\"tips\">下载不了时请换一个浏览器再试</p>"));
    return html_reply(utf8_html, std::move(page).finished());
}

// The book's file; the whole-book link serves the same text, for the demo
// books are only ever this long.
std::optional<Reply> site1_file(std::string_view path) {
    if (path.starts_with("//")) path.remove_prefix(1);  // "https://host/" + "/d/1.txt"
    for (std::string_view suffix : {"-full.txt", ".txt"}) {
        const auto id = between(path, "/d/", suffix);
        if (const DemoBook* book = id ? book_with_id(parse_id(*id)) : nullptr) {
            return file_reply("application/octet-stream", path.substr(3), *book, book->text);
        }
    }
    return std::nullopt;
}

Reply site1_route(const Request& request) {
    if (request.path == "/so/search.html") {
        return site1_search(query_value(request.query, "searchkey"));
    }
    if (const auto id = between(request.path, "/", "/down.html")) {
        if (const DemoBook* book = book_with_id(parse_id(*id))) return site1_download_page(*book);
    }
    return site1_file(request.path).value_or(not_found());
}

// ---- Resource site 2: HTTP, GBK -------------------------------------------

Reply gbk_html_reply(const std::string& utf8_body) {
    return html_reply(gbk_html, std::string(utf8_to_gbk(Text(utf8_body)).view()));
}

Reply site2_search(const std::string& keyword) {
    Page page(windows_gbk, utf8(u8"搜索结果_资源站2"));
    page.line(
        utf8(u8"<ul class=\"nav\"><li><a href=\"/\">首页</a></li>"
             u8"<li><a href=\"/top/\">排行榜</a></li></ul>"));
    page.line(utf8(u8"<h2>“") + html_escaped(keyword) + utf8(u8"”的搜索结果</h2>"));
    page.line("<ul class=\"list\">");
    for (const DemoBook* book : books_matching(keyword)) {
        page.line("<li><i class=\"tag-blue\">" + html_escaped(book->category) +
                  "</i><a href=\"/b/" + std::to_string(book->id) + "/\">" +
                  html_escaped(book->title) + "</a>/" + html_escaped(book->author) +
                  "<span class=\"time\">2024-05-01</span></li>");
    }
    page.line("</ul>");
    return gbk_html_reply(std::move(page).finished());
}

Reply site2_book_page(const DemoBook& book) {
    Page page(windows_gbk, book.title + utf8(u8"_资源站2"));
    page.line("<div class=\"book-info\">");
    page.line("<h1>" + html_escaped(book.title) + "</h1>");
    page.line(utf8(u8"<p>作者：") + html_escaped(book.author) + utf8(u8"　分类：") +
              html_escaped(book.category) + "</p>");
    page.line("<div class=\"btns\">");
    page.line("<a class=\"btn_b\" href=\"down/" + std::to_string(book.id) +
              utf8(u8".txt\" rel=\"nofollow\" target=\"_blank\">TXT下载</a>"));
    page.line(utf8(u8"<a class=\"btn_r\" href=\"/\">返回首页</a>"));
    page.line("</div>");
    page.line("</div>");
    return gbk_html_reply(std::move(page).finished());
}

Reply site2_route(const Request& request) {
    if (request.path == "/search.htm") return site2_search(query_value(request.query, "keyword"));
    if (const auto id = between(request.path, "/b/", "/")) {
        if (const DemoBook* book = book_with_id(parse_id(*id))) return site2_book_page(*book);
    }
    if (const auto id = between(request.path, "/down/", ".txt")) {
        if (const DemoBook* book = book_with_id(parse_id(*id))) {
            const std::string gbk_text(utf8_to_gbk(Text(book->text)).view());
            return file_reply("text/plain; charset=gbk", request.path.substr(6), *book, gbk_text);
        }
    }
    return not_found();
}

// ---- The search service of resource site 3: HTTP, UTF-8 -------------------

Reply search_service_results(const std::string& keyword, bool for_site3,
                             const std::string& site3_pages_origin) {
    const auto found = for_site3 ? books_matching(keyword) : std::vector<const DemoBook*>{};
    Page page(linux_utf8, keyword + utf8(u8" - 站内搜索"));
    page.line(utf8(u8"<div class=\"search-info\">为您找到相关结果约") +
              std::to_string(found.size()) + utf8(u8"个</div>"));
    for (const DemoBook* book : found) {
        const std::string address = site3_pages_origin + "/book/" + std::to_string(book->id) + "/";
        page.line("<div class=\"result\">");
        page.line("<h3><a rpos=\"\" cpos=\"title\" href=\"" + address + "\"  target=\"_blank\">" +
                  html_escaped(book->title) + "</a></h3>");
        page.line(utf8(u8"<p class=\"c-abstract\">作者：") + html_escaped(book->author) + "</p>");
        page.line("<a rpos=\"\" cpos=\"url\" href=\"" + address + "\" target=\"_blank\">" +
                  address + "</a>");
        page.line("</div>");
    }
    return html_reply(utf8_html, std::move(page).finished());
}

Reply search_service_route(const Request& request, const std::string& site3_pages_origin) {
    if (request.path != "/cse/site/") return not_found();
    // Another site's identifiers search another site: nothing of ours.
    const bool for_site3 = query_value(request.query, "cc") == site3_domain &&
                           query_value(request.query, "s") == search_service_site_id;
    return search_service_results(query_value(request.query, "q"), for_site3, site3_pages_origin);
}

// ---- Resource site 3's pages: HTTP, UTF-8, always gzip --------------------

Reply site3_book_page(const DemoBook& book) {
    const std::string id = std::to_string(book.id);
    Page page(windows_utf8, book.title + utf8(u8"在线阅读"));
    page.line("<h1>" + html_escaped(book.title) + "</h1>");
    page.line(utf8(u8"<p>作者：") + html_escaped(book.author) + "</p>");
    page.line("<a class=\"downButton\" href='/du/" + std::to_string(book.id % 100) + "/" + id +
              "/' title=\"" + utf8(u8"《") + html_escaped(book.title) +
              utf8(u8"》在线阅读\">在线阅读</a>"));
    const std::string headers = std::string(utf8_html) + "Content-Encoding: gzip\r\n";
    return Reply::http(200, "OK", headers, gzip_compress(std::move(page).finished()));
}

Reply site3_pages_route(const Request& request) {
    if (const auto id = between(request.path, "/book/", "/")) {
        if (const DemoBook* book = book_with_id(parse_id(*id))) return site3_book_page(*book);
    }
    return not_found();
}

// ---- Resource site 3's file host: HTTPS -----------------------------------

// "/<id % 100>/<id>/<name>.txt". The name is the title as the browser sent it,
// percent-encoded UTF-8 or raw bytes; the id alone decides the book.
Reply site3_files_route(const Request& request) {
    const std::vector<std::string_view> parts = path_parts(request.path);
    if (parts.size() != 3) return not_found();
    const DemoBook* book = book_with_id(parse_id(parts[1]));
    const auto folder = parse_id(parts[0]);
    const auto name = between(parts[2], "", ".txt");
    if (!book || !folder || *folder != book->id % 100 || !name || name->empty()) {
        return not_found();
    }
    return file_reply("text/plain; charset=utf-8", std::to_string(book->id) + ".txt", *book,
                      book->text);
}

}  // namespace

struct DemoSites::Servers {
    explicit Servers(const DemoPorts& ports)
        : site1(TestServer::Kind::https, server_lifetime, ports.site1),
          site2(TestServer::Kind::http, server_lifetime, ports.site2),
          search_service(TestServer::Kind::http, server_lifetime, ports.search_service),
          site3_pages(TestServer::Kind::http, server_lifetime, ports.site3_pages),
          site3_files(TestServer::Kind::https, server_lifetime, ports.site3_files) {}

    TestServer site1;
    TestServer site2;
    TestServer search_service;
    TestServer site3_pages;
    TestServer site3_files;
};

DemoSites::DemoSites(const DemoPorts& ports) : servers_(std::make_unique<Servers>(ports)) {
    servers_->site1.reply_with(serving(site1_route));
    servers_->site2.reply_with(serving(site2_route));
    servers_->search_service.reply_with(
        serving([origin = servers_->site3_pages.origin()](const Request& request) {
            return search_service_route(request, origin);
        }));
    servers_->site3_pages.reply_with(serving(site3_pages_route));
    servers_->site3_files.reply_with(serving(site3_files_route));
}

DemoSites::~DemoSites() = default;

Endpoints DemoSites::endpoints() const {
    return {
        .site1_host = Text(servers_->site1.host()),
        .site2_host = Text(servers_->site2.host()),
        .search_service_host = Text(servers_->search_service.host()),
        .site3_domain = Text(site3_domain),
        .search_service_site_id = Text(search_service_site_id),
        .site3_download_host = Text(servers_->site3_files.host()),
    };
}

DemoPorts DemoSites::ports() const {
    return {
        .site1 = servers_->site1.port(),
        .site2 = servers_->site2.port(),
        .search_service = servers_->search_service.port(),
        .site3_pages = servers_->site3_pages.port(),
        .site3_files = servers_->site3_files.port(),
    };
}

namespace {

// Not among the endpoint values: the search service's results name these pages.
constexpr int site3_pages_port = 18082;

// The port after the last ":" of "host:port".
int port_of(const Text& host) {
    const std::string_view text = host.view();
    const auto colon = text.rfind(':');
    int port = 0;
    if (colon != std::string_view::npos) {
        const auto digits = text.substr(colon + 1);
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), port);
        if (error == std::errc() && end == digits.data() + digits.size() && port > 0 &&
            port < 65536) {
            return port;
        }
    }
    throw std::runtime_error("the build names no port in \"" + std::string(text) +
                             "\"; configure it with cmake/endpoints/demo.cmake");
}

}  // namespace

DemoPorts build_demo_ports() {
    const Endpoints& endpoints = build_endpoints();
    return {
        .site1 = port_of(endpoints.site1_host),
        .site2 = port_of(endpoints.site2_host),
        .search_service = port_of(endpoints.search_service_host),
        .site3_pages = site3_pages_port,
        .site3_files = port_of(endpoints.site3_download_host),
    };
}


}  // namespace orvu::demo
