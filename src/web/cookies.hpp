#pragma once

// Cookie texts: items "name=value" separated by "; ", attributes stripped.

#include "text/text.hpp"

namespace orvu {

// The cookies a response sets, from its header block (every "Set-Cookie" already
// spelled so): one item per line that holds "Set-Cookie".
Text capture_cookies(const Text& header_block);

// Merges the submitted cookies with the returned ones: the response's values win,
// deleted items ("=deleted") drop out, identical items collapse. Both arguments
// lose their blanks; submitted ends up holding the merged text, which is returned.
Text merge_cookies(Text& submitted, Text& returned);

// The trimmed text before the first "="; the whole trimmed item without one.
Text cookie_name(const Text& item);
bool cookie_name_listed(const TextArray& items, const Text& name);

// The text with repeated pieces (between separators) removed.
Text dedupe_split(const Text& text, const Text& separator);

// 1-based index of the first element equal to text, or -1.
int index_in_list(const TextArray& list, const Text& text);

}  // namespace orvu
