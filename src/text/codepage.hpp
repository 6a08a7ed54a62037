#pragma once

// Crossings between GBK, UTF-16 and UTF-8, the percent-encoding of keywords and
// the widening of a download address. A UTF-16 value travels as Bytes: 16-bit
// little-endian units ending in a zero unit. Conversions are complete whatever
// the input; bad input gets substitute characters, never an empty result.

#include <optional>
#include <string_view>

#include "text/text.hpp"

namespace orvu {

inline constexpr int cp_acp = 0;    // the ANSI code page: GBK here
inline constexpr int cp_oemcp = 1;  // the OEM code page: GBK here
inline constexpr int cp_gbk = 936;
inline constexpr int cp_utf8 = 65001;

Bytes text_to_utf16(const Text& text, int code_page = cp_utf8);
Text utf16_to_text(const Bytes& utf16, int code_page = cp_acp);

Text gbk_to_utf8(const Text& gbk);
Text utf8_to_gbk(const Text& utf8);

// Every byte as "%" and two upper-case hex digits, except "-", ".", digits and
// ASCII letters when keep_alnum; as_utf8 encodes the UTF-8 form of the text.
Text url_encode(const Text& text, bool keep_alnum = false, bool as_utf8 = false);

// The text read in the OEM code page, canonically decomposed, as a UTF-16 value;
// nothing when no conversion could be made.
std::optional<Bytes> text_to_wide_oem(const Text& text);

// A Chinese literal of the source (UTF-8) as GBK Text. Throws std::logic_error
// when the literal holds a character that GBK lacks: a literal is the
// programmer's, so that is a fault of the program, not of its input.
Text gbk_literal(std::u8string_view utf8);

}  // namespace orvu
