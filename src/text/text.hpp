#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvu {

// Bytes with an explicit length; they may hold zero bytes (a fetched body, a
// decoded gzip body, a UTF-16 value).
class Bytes {
  public:
    Bytes() = default;
    explicit Bytes(std::string bytes) : bytes_(std::move(bytes)) {}

    std::string_view view() const noexcept { return bytes_; }
    const char* data() const noexcept { return bytes_.data(); }
    std::size_t size() const noexcept { return bytes_.size(); }
    bool empty() const noexcept { return bytes_.empty(); }

    void append(std::string_view more) { bytes_.append(more); }
    void clear() noexcept { bytes_.clear(); }
    std::string release() && { return std::move(bytes_); }

    friend bool operator==(const Bytes&, const Bytes&) = default;

  private:
    std::string bytes_;
};

// A zero-terminated byte string, GBK unless the routine that made it says UTF-8.
// It never holds a zero byte: whatever it is built from ends at the first one.
// Positions used by the text operations are 1-based byte positions.
class Text {
  public:
    Text() = default;
    // The bytes up to the first zero byte, taken as they are (no conversion).
    explicit Text(std::string_view bytes);
    static Text adopt(std::string&& bytes);

    std::string_view view() const noexcept { return bytes_; }
    const char* c_str() const noexcept { return bytes_.c_str(); }
    std::size_t size() const noexcept { return bytes_.size(); }
    int length() const noexcept { return static_cast<int>(bytes_.size()); }
    bool empty() const noexcept { return bytes_.empty(); }

    Text& operator+=(const Text& more);
    friend Text operator+(Text left, const Text& right) { return left += right; }
    friend bool operator==(const Text&, const Text&) = default;

  private:
    std::string bytes_;
};

using TextArray = std::vector<Text>;

// A body taken as text: its bytes up to the first zero byte, or all of them.
Text body_as_text(const Bytes& body);

namespace detail {
// A string literal that is checked, at compile time, to be plain ASCII: ASCII is
// the same in GBK and UTF-8, so such a literal is already a valid Text.
template <std::size_t N>
struct AsciiLiteral {
    consteval AsciiLiteral(const char (&literal)[N]) {
        for (std::size_t i = 0; i < N; ++i) {
            if (static_cast<unsigned char>(literal[i]) >= 0x80) throw "not an ASCII literal";
            if (literal[i] == '\0' && i + 1 != N) throw "literal holds a zero byte";
            chars[i] = literal[i];
        }
    }
    char chars[N]{};
};
}  // namespace detail

// "https://"_t is a Text; a literal with a byte of 0x80 or above does not compile.
// Chinese text comes from gbk_literal (codepage.hpp), which converts and checks it.
template <detail::AsciiLiteral literal>
Text operator""_t() {
    return Text(std::string_view(literal.chars, sizeof(literal.chars) - 1));
}

// Length of the GBK character that starts at byte index i: a byte of 0x80 or
// above takes the byte after it along, when there is one.
inline std::size_t gbk_char_length(std::string_view bytes, std::size_t i) noexcept {
    return static_cast<unsigned char>(bytes[i]) >= 0x80 && i + 1 < bytes.size() ? 2 : 1;
}

}  // namespace orvu
