#pragma once

// Cutting a web address into the pieces a request needs. Addresses come with
// "https://" or "http://" or with no scheme at all; whatever the input, the
// routines give a text or a number, and a malformed address gives pieces with
// which the connection later fails.

#include <optional>

#include "text/text.hpp"

namespace orvu {

// The host, lower-cased. Default mode: up to the first "/" after the scheme;
// root_domain keeps the last two labels. Levels mode (levels given, 0 included):
// counts dots from the end instead. keep_port keeps ":port".
Text url_host(const Text& address, bool root_domain = false, bool keep_port = false,
              std::optional<int> levels = {});

// The port written in the address; else 443 when it begins with "https", else 80.
int url_port(const Text& address);

// The first "/" after the host and everything behind it, or "/".
Text url_path(const Text& address);

}  // namespace orvu
