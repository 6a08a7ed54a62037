#pragma once

// Runs one regular expression over a page text and hands back its matches and
// their groups. Texts are GBK; they are widened to UTF-16 for matching, so "."
// consumes whole characters and no boundary falls inside a GBK character.
//
// The dialect: literal text, capturing groups, lazy quantifiers, "." matching
// anything but a line feed, letter case ignored unless asked, "^" and "$" at the
// ends of the whole text unless multi-line; global runs find every
// non-overlapping match from left to right, an empty match moving on by one
// character. A page built to make matching run away ends the run as a failure.

#include <memory>
#include <optional>

#include "text/text.hpp"

namespace orvu {

class RegexMatcher {
  public:
    RegexMatcher();
    ~RegexMatcher();
    RegexMatcher(const RegexMatcher&) = delete;
    RegexMatcher& operator=(const RegexMatcher&) = delete;

    // True when the pattern compiled and ran to the end (with or without
    // matches); false for a rejected pattern or a run stopped by its limits,
    // after which match_count() is 0. The quote marker "#引号" stands for a double
    // quote in the pattern only when quote_marker is true.
    bool run(const Text& pattern, const Text& subject, bool case_sensitive = false,
             bool multi_line = true, bool global = true, bool quote_marker = false);

    Text pattern() const;  // the pattern of the last run, as compiled; empty before any
    // The stored subject with every match (the first only, unless global)
    // replaced; "$1" to "$99" and "$&" in the replacement stand for groups, "$$"
    // for a dollar. After a failed run, the subject unchanged; before any, empty.
    Text replace(const Text& replacement) const;
    int match_count() const;
    Text match_text(int match) const;                 // 1-based; empty when there is none
    Text sub_match_text(int match, int group) const;  // 1-based; empty for a group not taken
    int sub_match_count() const;                      // groups of the first match

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace orvu
