#include "text/codepage.hpp"

#include <stdexcept>

#include "text/icu_converter.hpp"

namespace orvu {

namespace {

std::u16string widen(std::string_view bytes, int code_page) {
    return icu::decode(bytes, code_page).value_or(std::u16string());
}

Text narrow(std::u16string_view units, int code_page) {
    return Text::adopt(icu::encode(units, code_page).value_or(std::string()));
}

// Units up to the first zero unit; an odd last byte is no unit.
std::u16string units_of(const Bytes& utf16) {
    std::string_view bytes = utf16.view();
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (unit == 0) break;
        units.push_back(unit);
    }
    return units;
}

Bytes utf16_value(std::u16string_view units) {
    std::string bytes;
    bytes.reserve(units.size() * 2 + 2);
    for (char16_t unit : units) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    bytes.append(2, '\0');
    return Bytes(std::move(bytes));
}

bool kept_by_url_encode(unsigned char byte) {
    return byte == '-' || byte == '.' || (byte >= '0' && byte <= '9') ||
           (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

}  // namespace

Bytes text_to_utf16(const Text& text, int code_page) {
    return utf16_value(widen(text.view(), code_page));
}

Text utf16_to_text(const Bytes& utf16, int code_page) {
    return narrow(units_of(utf16), code_page);
}

Text gbk_to_utf8(const Text& gbk) {
    return narrow(widen(gbk.view(), cp_gbk), cp_utf8);
}

Text utf8_to_gbk(const Text& utf8) {
    return narrow(widen(utf8.view(), cp_utf8), cp_gbk);
}

Text url_encode(const Text& text, bool keep_alnum, bool as_utf8) {
    if (text.empty()) return {};
    const Text source = as_utf8 ? gbk_to_utf8(text) : text;
    static constexpr char hex_digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(source.size() * 3);
    for (char c : source.view()) {
        auto byte = static_cast<unsigned char>(c);
        if (keep_alnum && kept_by_url_encode(byte)) {
            out.push_back(c);
        } else {
            out += {'%', hex_digits[byte >> 4], hex_digits[byte & 0x0F]};
        }
    }
    return Text::adopt(std::move(out));
}

std::optional<Bytes> text_to_wide_oem(const Text& text) {
    std::optional<std::u16string> units = icu::decode(text.view(), cp_oemcp);
    if (!units) return std::nullopt;
    return utf16_value(icu::canonical_decomposition(*units));
}

Text gbk_literal(std::u8string_view utf8) {
    const Text source(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
    Text gbk = utf8_to_gbk(source);
    if (source.size() != utf8.size() || gbk_to_utf8(gbk) != source) {
        throw std::logic_error("literal is not representable in GBK: " +
                               std::string(source.view()));
    }
    return gbk;
}

}  // namespace orvu
