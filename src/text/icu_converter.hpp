#pragma once

// The one place that talks to ICU. Conversions take the whole input and never
// fail on content: malformed bytes and unmappable characters become ICU's
// substitute characters. Code pages are the Windows numbers; 0 (ANSI), 1 (OEM)
// and 936 are all GBK ("windows-936"), 65001 is UTF-8.

#include <optional>
#include <string>
#include <string_view>

namespace orvu::icu {

// Bytes in the code page to UTF-16; nothing when the code page is unknown.
std::optional<std::u16string> decode(std::string_view bytes, int code_page);

// UTF-16 to bytes in the code page; nothing when the code page is unknown.
std::optional<std::string> encode(std::u16string_view units, int code_page);

// Canonical decomposition (NFD): precomposed characters become a base character
// followed by combining marks.
std::u16string canonical_decomposition(std::u16string_view units);

}  // namespace orvu::icu
