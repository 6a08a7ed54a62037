#include "web/address.hpp"

#include "text/extract.hpp"
#include "text/text_ops.hpp"

namespace orvu {

namespace {

bool begins_with(const Text& text, const Text& prefix) {
    return text_left(text, prefix.length()) == prefix;
}

// The host runs from the scheme to the first "/" and nowhere else, so "?" and
// "#" stay part of it. An address without a scheme is taken as http.
Text host_by_scheme(Text address) {
    if (text_right(address, 1) != "/"_t) address += "/"_t;
    if (begins_with(address, "https://"_t)) return text_between(address, "https://"_t, "/"_t);
    if (text_search(address, "http://"_t) == -1) address = "http://"_t + address;
    return text_between(address, "http://"_t, "/"_t);
}

// The last two labels, or the host itself when it has only one.
Text last_two_labels(const Text& host) {
    const TextArray labels = text_split(host, "."_t);
    if (labels.size() <= 1) return host;
    return labels[labels.size() - 2] + "."_t + labels.back();
}

Text cut_before(const Text& text, const Text& marker) {
    int at = text_search(text, marker);
    return at == -1 ? text : text_left(text, at - 1);
}

// Counts dots from the end: the dots lying before the last `levels` ones decide
// how much of the host is kept.
Text host_by_levels(Text address, bool root_domain, int levels) {
    address = text_replace(address, "http://"_t, ""_t);
    address = text_replace(address, "https://"_t, ""_t);
    const Text host = cut_before(address, "/"_t);

    const int length = host.length();
    int before = length;
    for (int i = 0; i < levels; ++i)
        before = text_reverse_search(host, "."_t, before);
    const int dot = text_reverse_search(host, "."_t, before);

    if (root_domain) return text_right(host, length - dot);
    if (dot == -1) return host;
    const int outer_dot = text_reverse_search(host, "."_t, dot);
    return outer_dot == -1 ? host : text_right(host, length - outer_dot);
}

}  // namespace

Text url_host(const Text& address, bool root_domain, bool keep_port, std::optional<int> levels) {
    const Text lowered = text_lower(address);
    Text host;
    if (levels) {
        host = host_by_levels(lowered, root_domain, *levels);
    } else {
        host = host_by_scheme(lowered);
        if (root_domain) host = last_two_labels(host);
    }
    return keep_port ? host : cut_before(host, ":"_t);
}

int url_port(const Text& address) {
    const Text host = url_host(address, false, true);
    const int colon = text_reverse_search(host, ":"_t);
    if (colon != -1) return text_to_int(text_right(host, host.length() - colon));
    return begins_with(text_lower(address), "https"_t) ? 443 : 80;
}

Text url_path(const Text& address) {
    const Text host = url_host(address);
    // A host not found leaves -1, and a search from -1 starts at the beginning.
    const int host_at = text_search(address, host, 1, true);
    const int slash = text_search(address, "/"_t, host_at, true);
    if (slash <= 0) return "/"_t;
    return text_right(address, address.length() - slash + 1);
}

}  // namespace orvu
