#include "support/text_support.hpp"

#include <stdexcept>

namespace orvu {

namespace {
void print_escaped(std::string_view bytes, std::ostream* out) {
    static constexpr char digits[] = "0123456789ABCDEF";
    *out << '"';
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\\' && c != '"') {
            *out << c;
        } else {
            *out << "\\x" << digits[byte >> 4] << digits[byte & 0xF];
        }
    }
    *out << '"';
}
}  // namespace

void PrintTo(const Text& text, std::ostream* out) {
    print_escaped(text.view(), out);
}

void PrintTo(const Bytes& bytes, std::ostream* out) {
    *out << bytes.size() << " bytes ";
    print_escaped(bytes.view().substr(0, 512), out);
    if (bytes.size() > 512) *out << "...";
}

namespace test {

std::string bytes_from_hex(std::string_view hex) {
    std::string bytes;
    int high = -1;
    for (char c : hex) {
        if (c == ' ') continue;
        int value = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                           : throw std::invalid_argument("not a hex digit");
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<char>(high << 4 | value));
            high = -1;
        }
    }
    if (high >= 0) throw std::invalid_argument("odd number of hex digits");
    return bytes;
}

Text text_from_hex(std::string_view hex) {
    return Text(bytes_from_hex(hex));
}

std::string hex_of(std::string_view bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (!hex.empty()) hex.push_back(' ');
        hex += {digits[byte >> 4], digits[byte & 0xF]};
    }
    return hex;
}

}  // namespace test
}  // namespace orvu
