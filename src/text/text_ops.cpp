#include "text/text_ops.hpp"

#include <algorithm>
#include <climits>
#include <cstring>

namespace orvu {

namespace {

using Index = std::size_t;

unsigned char byte_at(std::string_view bytes, Index i) {
    return static_cast<unsigned char>(bytes[i]);
}

char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether marker stands at byte i of bytes. Without regard to case, the ASCII
// letters of single-byte characters fold; double-byte characters compare exactly.
bool occurs_at(std::string_view bytes, Index i, std::string_view marker, bool ignore_case) {
    if (i + marker.size() > bytes.size()) return false;
    if (!ignore_case) return std::memcmp(bytes.data() + i, marker.data(), marker.size()) == 0;
    for (Index j = 0; j < marker.size();) {
        Index width = gbk_char_length(marker, j);
        if (width == 1) {
            if (ascii_lower(bytes[i + j]) != ascii_lower(marker[j])) return false;
        } else if (std::memcmp(bytes.data() + i + j, marker.data() + j, width) != 0) {
            return false;
        }
        j += width;
    }
    return true;
}

Index first_index(int start) {
    return start < 1 ? 0 : static_cast<Index>(start) - 1;
}

bool is_blank_at(std::string_view bytes, Index i) {
    return bytes[i] == ' ' ||
           (byte_at(bytes, i) == 0xA1 && i + 1 < bytes.size() && byte_at(bytes, i + 1) == 0xA1);
}

// Full-width digits 0 to 9 are A3 B0 to A3 B9 in GBK.
int digit_at(std::string_view bytes, Index i, Index& width) {
    width = 1;
    if (bytes[i] >= '0' && bytes[i] <= '9') return bytes[i] - '0';
    if (byte_at(bytes, i) == 0xA3 && i + 1 < bytes.size() && byte_at(bytes, i + 1) >= 0xB0 &&
        byte_at(bytes, i + 1) <= 0xB9) {
        width = 2;
        return byte_at(bytes, i + 1) - 0xB0;
    }
    return -1;
}

}  // namespace

int text_search(const Text& text, const Text& marker, int start, bool ignore_case) {
    std::string_view bytes = text.view();
    Index i = first_index(start);
    if (i >= bytes.size()) return -1;
    if (marker.empty()) return 1;
    const char first = marker.view()[0];
    const bool first_folds = ignore_case && static_cast<unsigned char>(first) < 0x80;
    for (; i + marker.size() <= bytes.size(); i += gbk_char_length(bytes, i)) {
        if (!first_folds && bytes[i] != first) continue;
        if (occurs_at(bytes, i, marker.view(), ignore_case)) return static_cast<int>(i) + 1;
    }
    return -1;
}

int text_reverse_search(const Text& text, const Text& marker, std::optional<int> start) {
    std::string_view bytes = text.view();
    if (marker.empty() || (start && *start <= 1)) return -1;
    Index limit = start ? std::min(bytes.size(), static_cast<Index>(*start) - 1) : bytes.size();
    int last = -1;
    for (Index i = 0; i + marker.size() <= limit; i += gbk_char_length(bytes, i)) {
        if (occurs_at(bytes, i, marker.view(), false)) last = static_cast<int>(i) + 1;
    }
    return last;
}

Text text_replace(const Text& text, const Text& find, const Text& replacement, int start,
                  std::optional<int> count, bool case_sensitive) {
    std::string_view bytes = text.view();
    Index i = first_index(start);
    if (bytes.empty() || find.empty() || i >= bytes.size() || (count && *count <= 0)) return text;
    std::string out(bytes.substr(0, i));
    out.reserve(bytes.size());
    int replaced = 0;
    while (i < bytes.size()) {
        if (count && replaced == *count) break;
        if (occurs_at(bytes, i, find.view(), !case_sensitive)) {
            out += replacement.view();
            i += find.size();
            ++replaced;
        } else {
            Index width = gbk_char_length(bytes, i);
            out.append(bytes.substr(i, width));
            i += width;
        }
    }
    out.append(bytes.substr(std::min(i, bytes.size())));
    return Text::adopt(std::move(out));
}

Text text_part(const Text& text, int position, int length) {
    if (position < 1 || position > text.length() || length <= 0) return {};
    return Text(text.view().substr(static_cast<Index>(position) - 1, static_cast<Index>(length)));
}

Text text_left(const Text& text, int length) {
    if (length <= 0) return {};
    return Text(text.view().substr(0, static_cast<Index>(length)));
}

Text text_right(const Text& text, int length) {
    if (length <= 0) return {};
    Index keep = std::min(text.size(), static_cast<Index>(length));
    return Text(text.view().substr(text.size() - keep));
}

Text text_trim(const Text& text) {
    std::string_view bytes = text.view();
    Index begin = 0;
    while (begin < bytes.size() && is_blank_at(bytes, begin))
        begin += gbk_char_length(bytes, begin);
    // The right end is found walking forward, so only whole characters are cut.
    Index end = begin;
    for (Index i = begin; i < bytes.size();) {
        bool blank = is_blank_at(bytes, i);
        i += gbk_char_length(bytes, i);
        if (!blank) end = i;
    }
    return Text(bytes.substr(begin, end - begin));
}

Text text_remove_blanks(const Text& text) {
    std::string_view bytes = text.view();
    std::string out;
    out.reserve(bytes.size());
    for (Index i = 0; i < bytes.size();) {
        Index width = gbk_char_length(bytes, i);
        if (!is_blank_at(bytes, i)) out.append(bytes.substr(i, width));
        i += width;
    }
    return Text::adopt(std::move(out));
}

Text text_lower(const Text& text) {
    std::string out(text.view());
    for (Index i = 0; i < out.size(); i += gbk_char_length(out, i))
        out[i] = ascii_lower(out[i]);
    return Text::adopt(std::move(out));
}

TextArray text_split(const Text& text, const Text& separator) {
    if (text.empty()) return {};
    if (separator.empty()) return {text};
    TextArray pieces;
    int from = 1;
    for (int at = text_search(text, separator, from); at != -1;
         at = text_search(text, separator, from)) {
        pieces.push_back(text_part(text, from, at - from));
        from = at + separator.length();
    }
    if (from <= text.length()) pieces.push_back(text_part(text, from, text.length()));
    return pieces;
}

int text_to_int(const Text& text) {
    std::string_view bytes = text.view();
    Index i = 0;
    while (i < bytes.size() && is_blank_at(bytes, i))
        i += gbk_char_length(bytes, i);
    bool negative = false;
    if (i < bytes.size() && (bytes[i] == '+' || bytes[i] == '-')) negative = bytes[i++] == '-';
    long long value = 0;
    Index width = 1;
    for (int digit; i < bytes.size() && (digit = digit_at(bytes, i, width)) >= 0; i += width) {
        value = std::min(value * 10 + digit, static_cast<long long>(INT_MAX) + 1);
    }
    if (negative) value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

Bytes text_to_bytes(const Text& text) {
    return Bytes(std::string(text.view()));
}

}  // namespace orvu
