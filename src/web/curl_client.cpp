#include "web/curl_client.hpp"

#include <curl/curl.h>

#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>

namespace orvu::curl {

namespace {

struct EasyCleanup {
    void operator()(CURL* easy) const noexcept { curl_easy_cleanup(easy); }
};
struct ListFree {
    void operator()(curl_slist* list) const noexcept { curl_slist_free_all(list); }
};
struct UrlCleanup {
    void operator()(CURLU* url) const noexcept { curl_url_cleanup(url); }
};
struct CurlFree {
    void operator()(char* text) const noexcept { curl_free(text); }
};
using Easy = std::unique_ptr<CURL, EasyCleanup>;
using List = std::unique_ptr<curl_slist, ListFree>;
using Url = std::unique_ptr<CURLU, UrlCleanup>;
using CurlText = std::unique_ptr<char, CurlFree>;

// libcurl's global state and the process's one cookie store, shared by every
// exchange that takes part in platform cookie handling. Nothing is written to disk.
class Library {
  public:
    static Library& instance() {
        static Library library;
        return library;
    }
    CURLSH* cookie_share() const { return share_; }

  private:
    Library() {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        share_ = curl_share_init();
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, &Library::lock);
        curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, &Library::unlock);
        curl_share_setopt(share_, CURLSHOPT_USERDATA, &mutex_);
    }
    ~Library() {
        curl_share_cleanup(share_);
        curl_global_cleanup();
    }
    static void lock(CURL*, curl_lock_data, curl_lock_access, void* mutex) {
        static_cast<std::mutex*>(mutex)->lock();
    }
    static void unlock(CURL*, curl_lock_data, void* mutex) {
        static_cast<std::mutex*>(mutex)->unlock();
    }

    std::mutex mutex_;
    CURLSH* share_ = nullptr;
};

// What the callbacks fill while the exchange runs.
struct Exchange {
    CURL* easy = nullptr;
    Response response;
    std::size_t max_body = 0;
    bool stop_after_headers = false;  // HEAD: no body follows, whatever the headers say
    bool stopped_by_us = false;
};

bool starts_with_status_line(std::string_view line) {
    return line.starts_with("HTTP/");
}

std::size_t on_header(char* data, std::size_t size, std::size_t count, void* user) {
    auto& exchange = *static_cast<Exchange*>(user);
    std::string_view line(data, size * count);
    std::string& block = exchange.response.header_block;
    // Each response of the exchange (an interim 100 among them) starts a new block.
    if (starts_with_status_line(line)) block.clear();
    block.append(line);
    const bool final_response =
        !block.starts_with("HTTP/1.1 1") && !block.starts_with("HTTP/1.0 1");
    if (exchange.stop_after_headers && final_response && (line == "\r\n" || line == "\n")) {
        exchange.stopped_by_us = true;
        return 0;
    }
    return line.size();
}

// A body of known length is read into one area instead of a growing one.
void reserve_announced_length(Exchange& exchange) {
    curl_off_t announced = -1;
    curl_easy_getinfo(exchange.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    if (announced > 0 && static_cast<std::size_t>(announced) <= exchange.max_body) {
        exchange.response.body.reserve(static_cast<std::size_t>(announced));
    }
}

std::size_t on_body(char* data, std::size_t size, std::size_t count, void* user) {
    auto& exchange = *static_cast<Exchange*>(user);
    std::size_t length = size * count;
    if (exchange.response.body.empty()) reserve_announced_length(exchange);
    if (exchange.response.body.size() + length > exchange.max_body) {
        exchange.response.too_large = true;
        return 0;
    }
    exchange.response.body.append(data, length);
    return length;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

// The system store and the extra CA as one PEM bundle.
std::string trust_bundle(CURL* easy, const std::string& extra_ca_file) {
    char* system_bundle = nullptr;
    curl_easy_getinfo(easy, CURLINFO_CAINFO, &system_bundle);
    std::string bundle = system_bundle ? read_file(system_bundle) : std::string();
    return bundle + "\n" + read_file(extra_ca_file);
}

List header_list(const std::vector<std::string>& lines) {
    List list;
    for (const std::string& line : lines) {
        curl_slist* longer = curl_slist_append(list.get(), line.c_str());
        if (!longer) return list;
        list.release();
        list.reset(longer);
    }
    return list;
}

void set_method_and_body(CURL* easy, const Request& request, Exchange& exchange) {
    if (request.body) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.body->size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body->data());
    }
    if (request.method != "GET" && request.method != "POST") {
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    } else if (request.method == "POST" && !request.body) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t{0});
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, "");
    }
    exchange.stop_after_headers = request.method == "HEAD";
}

// The address libcurl is given. The wire gets the target as it is; the address
// only tells libcurl where to connect and which cookies of its store match, so
// bytes its parser would refuse are escaped there.
std::string url_for(const Request& request) {
    const bool absolute = !request.target.starts_with("/");
    std::string url = absolute ? std::string() : request.origin;
    for (char c : request.target) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) {
            static constexpr char digits[] = "0123456789ABCDEF";
            url += {'%', digits[byte >> 4], digits[byte & 0xF]};
        } else {
            url += c;
        }
    }
    return url.empty() ? request.origin + "/" : url;
}

void set_connection(CURL* easy, const Request& request, curl_slist* proxy_headers) {
    curl_easy_setopt(easy, CURLOPT_URL, url_for(request).c_str());
    curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(easy, CURLOPT_REQUEST_TARGET, request.target.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long{CURL_HTTP_VERSION_1_1});
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 256L * 1024);  // fewer, larger writes of big pages
    // An empty proxy and no-proxy list also keep the environment's proxy settings out.
    const std::string proxy = request.proxy.empty() ? "" : "http://" + request.proxy;
    curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
    curl_easy_setopt(easy, CURLOPT_HEADEROPT, long{CURLHEADER_SEPARATE});
    curl_easy_setopt(easy, CURLOPT_PROXYHEADER, proxy_headers);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(request.connect_timeout.count()));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME,
                     static_cast<long>(request.stall_timeout.count()));
}

void set_cookie_store(CURL* easy, bool platform_cookies) {
    if (!platform_cookies) return;
    curl_easy_setopt(easy, CURLOPT_SHARE, Library::instance().cookie_share());
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");  // the engine on, reading no file
}

}  // namespace

Response perform(const Request& request) {
    Library::instance();
    Easy easy(curl_easy_init());
    if (!easy) return {};
    Exchange exchange;
    exchange.easy = easy.get();
    exchange.max_body = request.max_body;

    // Removes libcurl's own Proxy-Connection line from proxy requests.
    const List proxy_headers = header_list({"Proxy-Connection:"});
    const List headers = header_list(request.header_lines);
    set_connection(easy.get(), request, proxy_headers.get());
    set_cookie_store(easy.get(), request.platform_cookies);
    set_method_and_body(easy.get(), request, exchange);
    curl_easy_setopt(easy.get(), CURLOPT_USERAGENT, request.user_agent.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get());
    std::string bundle;
    if (!request.extra_ca_file.empty()) {
        bundle = trust_bundle(easy.get(), request.extra_ca_file);
        curl_blob blob{bundle.data(), bundle.size(), CURL_BLOB_NOCOPY};
        curl_easy_setopt(easy.get(), CURLOPT_CAINFO_BLOB, &blob);
    }
    curl_easy_setopt(easy.get(), CURLOPT_HEADERFUNCTION, &on_header);
    curl_easy_setopt(easy.get(), CURLOPT_HEADERDATA, &exchange);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, &on_body);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &exchange);

    curl_easy_perform(easy.get());

    long request_size = 0;
    curl_easy_getinfo(easy.get(), CURLINFO_REQUEST_SIZE, &request_size);
    curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &exchange.response.status);
    exchange.response.sent = request_size > 0;
    if (exchange.response.too_large) exchange.response.body.clear();
    return std::move(exchange.response);
}

namespace {

std::string url_part(CURLU* url, CURLUPart part, unsigned flags = 0) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, flags) != CURLUE_OK) return {};
    return CurlText(text).get();
}

}  // namespace

std::optional<Location> resolve_location(const std::string& base, const std::string& reference) {
    Url url(curl_url());
    if (!url) return std::nullopt;
    const unsigned lenient = CURLU_ALLOW_SPACE | CURLU_PATH_AS_IS;
    if (curl_url_set(url.get(), CURLUPART_URL, base.c_str(), lenient) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_URL, reference.c_str(), lenient) != CURLUE_OK) {
        return std::nullopt;
    }
    Location location;
    location.scheme = url_part(url.get(), CURLUPART_SCHEME);
    if (location.scheme != "http" && location.scheme != "https") return std::nullopt;
    const std::string host = url_part(url.get(), CURLUPART_HOST);
    const std::string port = url_part(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
    const std::string written_port = url_part(url.get(), CURLUPART_PORT, CURLU_NO_DEFAULT_PORT);
    location.origin = location.scheme + "://" + host + ":" + port;
    location.host_for_proxy = written_port.empty() ? host : host + ":" + written_port;
    location.target = url_part(url.get(), CURLUPART_PATH);
    if (const std::string query = url_part(url.get(), CURLUPART_QUERY); !query.empty()) {
        location.target += "?" + query;
    }
    return location;
}

}  // namespace orvu::curl
