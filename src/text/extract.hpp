#pragma once

// Cutting and rewriting text without regular expressions: the text between two
// markers, the value of a header line, and successive find-and-replace pairs.

#include <optional>

#include "text/text.hpp"

namespace orvu {

// "#引号": stands for a double quote in the markers of text_between, so that a
// marker can be written down without one.
const Text& quote_marker();

// The text between the first left marker at or after start and the first right
// marker after it; empty when either is missing. Not trimmed.
Text text_between(const Text& text, const Text& left, const Text& right, int start = 1,
                  bool ignore_case = false);

// The trimmed text after the first ":" of a header line, or empty.
Text header_line_value(const Text& line);

struct ReplaceOptions {
    std::optional<int> count{};   // at most this many per pair; not given: every occurrence
    int start = 1;                // below 1 means 1
    bool case_sensitive = false;  // ASCII letters compare without case unless true
};

struct FindReplace {
    Text find{};         // empty: the pair changes nothing
    Text replacement{};  // empty: the find text is deleted
};

// Applies up to five pairs in turn, each to the result of the one before.
Text replace_pairs(const Text& text, const ReplaceOptions& options, const FindReplace& pair1,
                   const FindReplace& pair2 = {}, const FindReplace& pair3 = {},
                   const FindReplace& pair4 = {}, const FindReplace& pair5 = {});

}  // namespace orvu
