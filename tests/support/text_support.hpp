#pragma once

// What the tests need to write and show GBK bytes: texts from hex digits, and
// printers that show a Text or Bytes as escaped bytes in a failure message.

#include <ostream>
#include <string_view>

#include "text/text.hpp"

namespace orvu {

void PrintTo(const Text& text, std::ostream* out);
void PrintTo(const Bytes& bytes, std::ostream* out);

namespace test {

// "D7 CA 31" or "D7CA31": the bytes of the hex digits; blanks are ignored.
std::string bytes_from_hex(std::string_view hex);
Text text_from_hex(std::string_view hex);

// Bytes as upper-case hex digits separated by blanks.
std::string hex_of(std::string_view bytes);

}  // namespace test
}  // namespace orvu
