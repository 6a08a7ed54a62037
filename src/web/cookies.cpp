#include "web/cookies.hpp"

#include "text/extract.hpp"
#include "text/text_ops.hpp"

namespace orvu {

namespace {

const Text& item_separator() {
    static const Text separator = "; "_t;
    return separator;
}

Text without_last_bytes(const Text& text, int count) {
    return text_left(text, text.length() - count);
}

// A line with ";" carries attributes after the cookie; a line without one is
// taken whole, which also catches lines that only mention "Set-Cookie".
Text cookie_of_line(const Text& line) {
    if (text_search(line, ";"_t) != -1)
        return text_trim(text_between(line, "Set-Cookie:"_t, ";"_t));
    return text_trim(text_replace(line, "Set-Cookie:"_t, ""_t, 1, {}, false));
}

bool is_deleted(const Text& item) {
    return text_right(item, 8) == "=deleted"_t;
}

}  // namespace

Text capture_cookies(const Text& header_block) {
    Text cookies;
    for (const Text& line : text_split(header_block, "\r\n"_t)) {
        if (text_search(line, "Set-Cookie"_t) == -1) continue;
        cookies += cookie_of_line(line) + item_separator();
    }
    return without_last_bytes(cookies, item_separator().length());
}

Text merge_cookies(Text& submitted, Text& returned) {
    submitted = text_remove_blanks(submitted);
    returned = text_remove_blanks(returned);

    // The response's items come first, so a name it set keeps its value.
    TextArray items = text_split(returned, ";"_t);
    for (const Text& item : text_split(submitted, ";"_t)) {
        if (!cookie_name_listed(items, cookie_name(item))) items.push_back(item);
    }

    Text merged;
    for (const Text& item : items) {
        if (!is_deleted(item)) merged += item + item_separator();
    }
    merged = without_last_bytes(merged, item_separator().length());
    submitted = dedupe_split(merged, item_separator());
    return submitted;
}

Text cookie_name(const Text& item) {
    const int equals = text_search(item, "="_t);
    return text_trim(equals == -1 ? item : text_left(item, equals - 1));
}

bool cookie_name_listed(const TextArray& items, const Text& name) {
    for (const Text& item : items) {
        if (cookie_name(item) == name) return true;
    }
    return false;
}

Text dedupe_split(const Text& text, const Text& separator) {
    TextArray kept;
    Text result;
    for (const Text& piece : text_split(text, separator)) {
        if (index_in_list(kept, piece) != -1) continue;
        kept.push_back(piece);
        result += piece + separator;
    }
    return without_last_bytes(result, separator.length());
}

int index_in_list(const TextArray& list, const Text& text) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == text) return static_cast<int>(i) + 1;
    }
    return -1;
}

}  // namespace orvu
