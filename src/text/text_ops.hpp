#pragma once

// The operations on Text that every routine rests on. Positions are 1-based byte
// positions and -1 means "not found". Searches and replacements step through the
// text by whole GBK characters, so a marker is only found where a character
// begins; parts taken by position and length count bytes.

#include <optional>

#include "text/text.hpp"

namespace orvu {

// First occurrence of marker that begins at or after start (below 1 counts as 1).
// ignore_case folds the ASCII letters only. An empty marker gives 1 when a byte
// lies at or after start.
int text_search(const Text& text, const Text& marker, int start = 1, bool ignore_case = false);

// Last occurrence of marker, letter case mattering. With start s: the last one
// that lies wholly within the first s - 1 bytes; s of 1 or less finds nothing.
// An empty marker finds nothing.
int text_reverse_search(const Text& text, const Text& marker, std::optional<int> start = {});

// Replaces occurrences of find from start on, scanning by characters, without
// overlap; at most count of them when a count is given, every one otherwise.
Text text_replace(const Text& text, const Text& find, const Text& replacement, int start = 1,
                  std::optional<int> count = {}, bool case_sensitive = true);

// Up to length bytes from position on; empty for a position outside the text.
Text text_part(const Text& text, int position, int length);
Text text_left(const Text& text, int length);
Text text_right(const Text& text, int length);

// Blanks are the ASCII space and the GBK full-width space (A1 A1), nothing else.
Text text_trim(const Text& text);
Text text_remove_blanks(const Text& text);

// A to Z become a to z; the bytes of double-byte characters pass unchanged.
Text text_lower(const Text& text);

// The pieces between the separators; no empty piece after a final separator,
// none at all for an empty text, the whole text for an empty separator.
TextArray text_split(const Text& text, const Text& separator);

// Leading blanks, an optional sign, then decimal digits (full-width ones too)
// up to the first other character; no digits give 0. Clamped to the int range.
int text_to_int(const Text& text);

Bytes text_to_bytes(const Text& text);

}  // namespace orvu
