#pragma once

#include "text/text.hpp"

namespace orvu {

// Decodes a gzip body (its first member). Never reports an error: a body that is
// not gzip gives empty bytes, a truncated or corrupt one what was decoded before
// the fault. A body that would decode to more than max_gunzip_size gives empty
// bytes rather than exhausting memory.
Bytes gunzip_body(const Bytes& body);

inline constexpr std::size_t max_gunzip_size = std::size_t{256} << 20;

}  // namespace orvu
